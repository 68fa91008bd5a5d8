// STAND-IN: the navigation exchange stream, until the navigation-data
// module that owns it is built; then this file goes and its callers
// include that module's header instead. The names and signatures are that
// module's.
//
// The fill side gives a fixed stream of NAV_STANDIN_STREAM_BYTES bytes
// (byte i of the stream with groups is (i * 7 + i / 1024) mod 256, the one
// without groups the same plus 0x55); the save side records what arrives
// and logs its size when the import ends.
#pragma once

#include "kernel/l_types.h"

constexpr U32 NAV_STANDIN_STREAM_BYTES = 131080;

void T_NAV_DATA_vFillBufferInit(void);
U32 T_NAV_DATA_u32FillBufferSegment(U8* pu8Block, U32 u32Parameter);
U32 T_NAV_DATA_u32FillNoGroupBufferSegment(U8* pu8Block, U32 u32Parameter);
void T_NAV_DATA_vSaveBufferInit(void);
void T_NAV_DATA_vSaveBufferSegment(U32 u32Count, const U8* pu8Block);
void T_NAV_DATA_vSaveBufferFree(void);
