// STAND-INS for the card task's services that the navigation card exchange
// calls (the folder maker of the exports and the three file-name helpers)
// and for the group manager's selection that the selection export reads.
// They keep the names and arguments of the card task's calls so that the
// callers do not change when the card task replaces them; delete them then.
//
// Card slot n is the folder /mnt/mmc<n> of the unit root (0 and 1); a slot
// is writable while that folder exists and may be written.
#pragma once

#include "kernel/l_types.h"

#include <vector>

constexpr S32 MMC_SLOT_COUNT = 2;

// Makes the folder chain ppcDirs (null-terminated) on the first writable
// card and returns its host path (H_MEMORY_pvMalloc, the caller frees), or
// null when no card can take it. The sizes are not checked.
char* T_MMC_pcDeviceMakeDirectory(const char* const* ppcDirs, const U32* pu32Sizes);
// "mmc" and slot n: the host path of the card's mount point with a
// trailing "/"; null for another device or slot. H_MEMORY_pvMalloc.
char* U_FILE_psCreateDeviceName(const char* pcDevice, S32 nUnit);
// pcPath followed by pcName. H_MEMORY_pvMalloc; null for a null argument.
char* U_FILE_psComposeFileName(const char* pcPath, const char* pcName);
// TRUE when the name ends in "." and the extension, letter case ignored.
BOOLEAN U_FILE_bCheckExtension(const char* pcName, const char* pcExtension);

// The group manager's selection ---------------------------------------------------

constexpr U32 SELECT_EXPORT_MAX_ITEMS = 3000;
// The list SELECT_EXPORT_DATA: U16 count, then up to 3000 item ids, in the
// order of the manager's selection (what NAV_STANDIN_vSetExportSelection set).
void T_NAV_GROUP_vExportSelectedDataItems(U16* pu16List);
// The manager back in browsing; counted.
void T_NAV_GROUP_vReturnToBrowseState(void);
// The resets of the editors and of the group manager by the settings
// defaults, with the defaults' writer priority; the last priority each was
// given is kept (-1 before any), and the calls are counted.
void T_NAV_EDIT_vReset(U32 u32Priority);
void T_NAV_GROUP_vReset(U32 u32Priority);
typedef struct tag_NAV_STANDIN_RESETS {
    U32 u32EditorResets;
    S32 s32EditorPriority;
    U32 u32GroupResets;
    S32 s32GroupPriority;
} NAV_STANDIN_RESETS;
NAV_STANDIN_RESETS NAV_STANDIN_tManagerResets(void);
void NAV_STANDIN_vForgetManagerResets(void);
void NAV_STANDIN_vSetExportSelection(const std::vector<U16>& ids);
U32 NAV_STANDIN_u32ReturnsToBrowse(void);
