// The NVRAM files: slot mapping, the module's copy of each file, and the
// whole-file replace that keeps every file either old or new.
//
// Each file is read once, on its first use, into a copy that from then on
// is the authority (missing files are created empty then, so a read leaves
// a unit with its files in place). A value write changes the copy of
// nvr_entries.dat and sets the slot's bit in the copy of nvr_statbit.dat,
// growing each copy exactly as writing the 4-byte value and the whole
// 4-byte bitmap word in place would, so the bytes on the medium are those
// of the format. H_NVRAM_vFlashWriteBack then replaces nvr_entries.dat and
// only after that nvr_statbit.dat: whatever moment a crash picks, a key
// reads its old value or its new one, and a key that was new has no valid
// bit until its value is on the medium. Block writes replace their file at
// once. A replace writes "<name>.tmp", syncs it, renames it over the file
// and syncs the directory.
//
// The NVRAM task is the writer while the system runs, but the erase comes
// from other tasks at shutdown, so every call takes the module's lock. The
// copies are never destroyed: the task may still be writing one out while
// the process exits, and a copy freed under it would go to the medium as
// whatever the heap holds then.
#include "store/h_nvram.h"

#include "kernel/l_root.h"
#include "kernel/l_utils.h"
#include "kernel/linux_fs.h"
#include "kernel/lm_log.h"
#include "store/h_database.h"
#include "util/dd_util.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Constants ---------------------------------------------------------------

namespace {

constexpr U32 NVR_S_SLOTS = 46656;
constexpr U32 NVR_S_LAST_WORD = 1457;
constexpr U32 NVR_SPECIAL_WORD = 1458;
constexpr std::array<FOURCHARID, 3> special_fcids = {FCID("NVER"), FCID("CREV"), FCID("FFST")};
constexpr const char* vondrel_tmp_path = "/tmp/vondrel";
constexpr const char* TMP_SUFFIX = ".tmp";

// Largest size of each file's format; bytes past it are not kept.
constexpr std::array<U32, nfCOUNT> s_u32MaxBytes = {SONAR_DATA_BYTES, PERSONALIZATION_DATA_BYTES,
                                                    4 * NVR_STATBIT_WORDS, 4 * NVR_SLOT_COUNT};

} // namespace

// Statics -----------------------------------------------------------------

UNIT_HEADER_CONTROL s_4chHeader[NVR_HEADER_ROWS] = {
    {FCID("NVER"), FALSE}, {FCID("CREV"), FALSE}, {FCID("SCFO"), FALSE}, {FCID("SMDL"), FALSE},
    {FCID("SENB"), FALSE}, {FCID("SENU"), FALSE}, {FCID("SEDB"), FALSE}, {FCID("SEDU"), FALSE},
    {FCID("SEIB"), FALSE}, {FCID("SEIU"), FALSE}, {FCID("SETB"), FALSE}, {FCID("SCOM"), FALSE},
    {FCID("SSTD"), FALSE}, {FCID("SMAC"), FALSE}, {NVR_HEADER_END, FALSE}, {NVR_HEADER_END, FALSE},
    {NVR_HEADER_END, FALSE}, {NVR_HEADER_END, FALSE}, {NVR_HEADER_END, FALSE}, {NVR_HEADER_END, FALSE},
};

const char* const vondrel_filenames[nfCOUNT] = {"sonar.dat", "personal.dat", "nvr_statbit.dat", "nvr_entries.dat"};

namespace {

// The module's copy of one file.
struct FILE_COPY {
    bool bLoaded = false;
    bool bDirty = false; // the copy differs from the file on the medium
    std::vector<U8> bytes;
};

std::array<FILE_COPY, nfCOUNT>& s_files = *new std::array<FILE_COPY, nfCOUNT>();

// Recursive: the iterator and the header reads go through public calls.
std::recursive_mutex s_lock;

// The slot iterator: current bitmap word, mask and number of the bit last
// returned (mask 0 at the start of a word).
U32 fcread_offset;
U32 fcread_offbit;
U32 fcread_offbno;

std::string sPath(U32 u32Index)
{
    return std::string(L_UTILS_cpGetPathnamePtr()) + "/" + vondrel_filenames[u32Index];
}

void vMakeDirectories(const char* pcPath)
{
    std::string p(pcPath);
    for (size_t i = 1; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/')
            mkdir(p.substr(0, i).c_str(), 0777);
    }
}

void vMakeUnitDirectories(void)
{
    vMakeDirectories(L_UTILS_cpGetPathnamePtr());
    char tmp[4096];
    vMakeDirectories(L_ROOT_pcResolve(vondrel_tmp_path, tmp, sizeof tmp));
}

void vSyncDirectory(void)
{
    int fd = open(L_UTILS_cpGetPathnamePtr(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Reads the file into its copy on first use, creating it when missing.
bool bOpen(U32 u32Index)
{
    FILE_COPY& f = s_files[u32Index];
    if (f.bLoaded)
        return true;
    std::string path = sPath(u32Index);
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0666);
    if (fd < 0)
        return false;
    std::vector<U8> bytes(s_u32MaxBytes[u32Index]);
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        got += (size_t)n;
    }
    close(fd);
    bytes.resize(got);
    f.bytes = std::move(bytes);
    f.bLoaded = true;
    f.bDirty = false;
    return true;
}

// Puts bytes on the medium as the whole new content of the file.
bool bReplaceFile(U32 u32Index, const std::vector<U8>& bytes)
{
    std::string path = sPath(u32Index);
    if (FS_ReplaceFile(path.c_str(), bytes.data(), bytes.size()) != 0) {
        log_me("NVRAM: could not write %s: %s", vondrel_filenames[u32Index], strerror(errno));
        return false;
    }
    return true;
}

bool bCommit(U32 u32Index)
{
    FILE_COPY& f = s_files[u32Index];
    if (!f.bLoaded || !f.bDirty)
        return true;
    if (!bReplaceFile(u32Index, f.bytes))
        return false;
    f.bDirty = false;
    return true;
}

// Values before the bitmap, and no bitmap while its values are not out.
bool bCommitSlotFiles(void)
{
    return bCommit(nfFCID_ENTRIES) && bCommit(nfFCID_STATBIT);
}

bool bOpenSlotFiles(void)
{
    return bOpen(nfFCID_ENTRIES) && bOpen(nfFCID_STATBIT);
}

U32 u32GetLE32(const std::vector<U8>& b, size_t at)
{
    return (U32)b[at] | (U32)b[at + 1] << 8 | (U32)b[at + 2] << 16 | (U32)b[at + 3] << 24;
}

// Writes 4 bytes at a 4-byte offset, growing the copy with zeros as a
// write past the end of a file does. True when a byte changed.
bool bPutLE32(FILE_COPY& f, size_t at, U32 u32Value)
{
    bool changed = false;
    if (f.bytes.size() < at + 4) {
        f.bytes.resize(at + 4, 0);
        changed = true;
    }
    for (int i = 0; i < 4; ++i) {
        U8 b = (U8)(u32Value >> (8 * i));
        if (f.bytes[at + i] != b) {
            f.bytes[at + i] = b;
            changed = true;
        }
    }
    if (changed)
        f.bDirty = true;
    return changed;
}

// Little-endian words make slot n's bit bit n % 8 of byte n / 8.
bool bSlotValid(U32 u32Slot)
{
    const std::vector<U8>& b = s_files[nfFCID_STATBIT].bytes;
    return u32Slot / 8 < b.size() && (b[u32Slot / 8] >> (u32Slot % 8) & 1);
}

U32 u32StatbitWord(U32 u32Word)
{
    const std::vector<U8>& b = s_files[nfFCID_STATBIT].bytes;
    U32 w = 0;
    for (U32 i = 0; i < 4; ++i) {
        if (4 * u32Word + i < b.size())
            w |= (U32)b[4 * u32Word + i] << (8 * i);
    }
    return w;
}

void vSetSlotValid(U32 u32Slot)
{
    U32 word = u32Slot / 32;
    bPutLE32(s_files[nfFCID_STATBIT], 4 * word, u32StatbitWord(word) | 1u << (u32Slot % 32));
}

bool bReadSlot(U32 u32Slot, U32* pu32Value)
{
    const std::vector<U8>& b = s_files[nfFCID_ENTRIES].bytes;
    if ((size_t)u32Slot * 4 + 4 > b.size())
        return false;
    *pu32Value = u32GetLE32(b, (size_t)u32Slot * 4);
    return true;
}

bool bInHeaderTable(FOURCHARID fcid)
{
    for (U32 row = 0; row < NVR_HEADER_ROWS && s_4chHeader[row].id != NVR_HEADER_END; ++row) {
        if (s_4chHeader[row].id == fcid)
            return true;
    }
    return false;
}

DB_DATA_TYPE dbFrom32(U32 u32)
{
    DB_DATA_TYPE v;
    v.RawSlot = 0;
    v.RawData = u32;
    return v;
}

void vReadFailed(NVR_ENTRY* pentry)
{
    pentry->id = 0xFFFFFFFF;
    pentry->data = dbFrom32(0xFFFFFFFF);
}

// One step of an iteration inside the current bitmap word. A set bit whose
// value cannot be read is passed over for the next one.
bool H_NVRAM_bTryNextEntry(NVR_ENTRY* pentry)
{
    U32 word = u32StatbitWord(fcread_offset);
    if (word == 0) {
        fcread_offbit = 0;
        return false;
    }
    for (U32 bit = fcread_offbit == 0 ? 0 : fcread_offbno + 1; bit < 32; ++bit) {
        if (!(word & 1u << bit))
            continue;
        fcread_offbit = 1u << bit;
        fcread_offbno = bit;
        U32 slot = 32 * fcread_offset + bit;
        NVR_ENTRY e = {H_NVRAM_fcidXlatNumber(slot), dbFrom32(0)};
        if (H_NVRAM_bGetItemByNumber(slot, &e)) {
            *pentry = e;
            return true;
        }
    }
    fcread_offbit = 0;
    return false;
}

BOOLEAN bIterate(U32 u32LastWord, NVR_ENTRY* pentry)
{
    if (!bOpenSlotFiles())
        return FALSE;
    while (fcread_offset <= u32LastWord) {
        if (H_NVRAM_bTryNextEntry(pentry))
            return TRUE;
        ++fcread_offset;
        fcread_offbit = 0;
    }
    return FALSE;
}

// Block codecs: little-endian U16 words.
template <size_t N>
void vDecodeU16(const U8* pBytes, U16 (&au16)[N])
{
    for (size_t i = 0; i < N; ++i)
        au16[i] = (U16)(pBytes[2 * i] | pBytes[2 * i + 1] << 8);
}

template <size_t N>
void vEncodeU16(const U16 (&au16)[N], U8* pBytes)
{
    for (size_t i = 0; i < N; ++i) {
        pBytes[2 * i] = (U8)au16[i];
        pBytes[2 * i + 1] = (U8)(au16[i] >> 8);
    }
}

} // namespace

// Slot mapping --------------------------------------------------------------

U32 H_NVRAM_u32XlatID(FOURCHARID fcid)
{
    for (U32 i = 0; i < special_fcids.size(); ++i) {
        if (fcid == special_fcids[i])
            return NVR_S_SLOTS + i;
    }
    if ((fcid & 0x7F) != 'S')
        return NVR_NO_SLOT;
    return 1296 * DD_UTIL_XlatCapNumeric(fcid >> 8 & 0xFF) + 36 * DD_UTIL_XlatCapNumeric(fcid >> 16 & 0xFF) +
           DD_UTIL_XlatCapNumeric(fcid >> 24 & 0xFF);
}

FOURCHARID H_NVRAM_fcidXlatNumber(U32 u32Number)
{
    if (u32Number < NVR_S_SLOTS) {
        return (U32)'S' | DD_UTIL_FormCapNumeric(u32Number / 1296 % 36) << 8 |
               DD_UTIL_FormCapNumeric(u32Number / 36 % 36) << 16 | DD_UTIL_FormCapNumeric(u32Number % 36) << 24;
    }
    if (u32Number < NVR_SLOT_COUNT)
        return special_fcids[u32Number - NVR_S_SLOTS];
    return 0xFFFFFFFF;
}

// Files ---------------------------------------------------------------------

NVR_STATE H_NVRAM_eInit(void)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    vMakeUnitDirectories();
    struct stat st;
    if (stat(L_UTILS_cpGetPathnamePtr(), &st) != 0 || !S_ISDIR(st.st_mode))
        return STATE_HARDWARE_FAILURE;
    if (stat(sPath(nfFCID_STATBIT).c_str(), &st) != 0 || st.st_size == 0)
        return STATE_VIRGIN;
    return STATE_ACTIVE;
}

BOOLEAN H_NVRAM_bScratchNVR(U32 u32Code1, U32 u32Code2)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (u32Code1 != NVR_SCRATCH_CODE1 || u32Code2 != NVR_SCRATCH_CODE2)
        return FALSE;
    for (U32 i : {nfSONAR_DATA, nfPERSONAL_DATA, nfFCID_STATBIT, nfFCID_ENTRIES}) {
        std::string path = sPath(i);
        unlink(path.c_str());
        unlink((path + TMP_SUFFIX).c_str());
        s_files[i] = FILE_COPY{};
    }
    vSyncDirectory();
    fcread_offset = fcread_offbit = fcread_offbno = 0;
    vMakeUnitDirectories();
    return TRUE;
}

void H_NVRAM_vFlashWriteBack(void)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    bCommitSlotFiles();
}

// Values --------------------------------------------------------------------

BOOLEAN H_NVRAM_bWriteFCID(NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (!pentry || !bOpenSlotFiles())
        return FALSE;
    U32 slot = H_NVRAM_u32XlatID(pentry->id);
    if (slot == NVR_NO_SLOT)
        return FALSE;
    bPutLE32(s_files[nfFCID_ENTRIES], (size_t)slot * 4, pentry->data.RawData);
    vSetSlotValid(slot);
    return TRUE;
}

BOOLEAN H_NVRAM_bGetItemByID(NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (!pentry)
        return FALSE;
    U8 first = (U8)(pentry->id & 0xFF);
    if (first != 'F' && first != 'S' && !bInHeaderTable(pentry->id))
        return FALSE;
    U32 slot = H_NVRAM_u32XlatID(pentry->id);
    U32 value;
    if (slot == NVR_NO_SLOT || !bOpenSlotFiles() || !bSlotValid(slot) || !bReadSlot(slot, &value)) {
        vReadFailed(pentry);
        return FALSE;
    }
    pentry->data = dbFrom32(value);
    return TRUE;
}

BOOLEAN H_NVRAM_bReadUnitHeaderEntry(U32 u32ItemNumber, NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (u32ItemNumber >= NVR_HEADER_ROWS || !pentry)
        return FALSE;
    pentry->id = s_4chHeader[u32ItemNumber].id;
    pentry->data = dbFrom32(0);
    if (pentry->id == NVR_HEADER_END) {
        vReadFailed(pentry);
        return FALSE;
    }
    return H_NVRAM_bGetItemByID(pentry);
}

BOOLEAN H_NVRAM_bGetItemByNumber(U32 u32Number, NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    U32 value;
    if (!pentry || u32Number >= NVR_SLOT_COUNT || !bOpenSlotFiles() || !bSlotValid(u32Number) ||
        !bReadSlot(u32Number, &value))
        return FALSE;
    pentry->data = dbFrom32(value);
    return TRUE;
}

BOOLEAN H_NVRAM_bReadSEntry(U32 index, NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (index == 0) {
        fcread_offset = 0;
        fcread_offbit = 0;
    }
    return pentry ? bIterate(NVR_S_LAST_WORD, pentry) : FALSE;
}

BOOLEAN H_NVRAM_bReadFEntry(U32 index, NVR_ENTRY* pentry)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (index == 0) {
        fcread_offset = NVR_SPECIAL_WORD;
        fcread_offbit = 0;
    }
    return pentry ? bIterate(NVR_SPECIAL_WORD, pentry) : FALSE;
}

// Blocks --------------------------------------------------------------------

BOOLEAN H_NVRAM_bReadBlock(U32 u32Index, U8* pData, U32 u32Size)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (u32Index >= nfCOUNT || !pData || !bOpen(u32Index))
        return FALSE;
    const std::vector<U8>& b = s_files[u32Index].bytes;
    if (b.size() < u32Size)
        return FALSE;
    memcpy(pData, b.data(), u32Size);
    return TRUE;
}

BOOLEAN H_NVRAM_bWriteBlock(U32 u32Index, const U8* pData, U32 u32Size)
{
    std::lock_guard<std::recursive_mutex> guard(s_lock);
    if (u32Index >= nfCOUNT || !pData || u32Size > s_u32MaxBytes[u32Index] || !bOpen(u32Index))
        return FALSE;
    FILE_COPY& f = s_files[u32Index];
    std::vector<U8> bytes = f.bytes;
    if (bytes.size() < u32Size)
        bytes.resize(u32Size, 0);
    memcpy(bytes.data(), pData, u32Size);
    if (u32Index == nfFCID_ENTRIES || u32Index == nfFCID_STATBIT) {
        // The slot files keep their order: whatever the block, pending
        // values go out before any bitmap.
        if (bytes != f.bytes) {
            f.bytes = std::move(bytes);
            f.bDirty = true;
        }
        return bOpen(nfFCID_ENTRIES) && bOpen(nfFCID_STATBIT) && bCommitSlotFiles() ? TRUE : FALSE;
    }
    if (!bReplaceFile(u32Index, bytes))
        return FALSE;
    f.bytes = std::move(bytes);
    return TRUE;
}

BOOLEAN H_NVRAM_bReadSonarData(SONAR_DATA_BLOCK* pBlock)
{
    U8 bytes[SONAR_DATA_BYTES];
    if (!pBlock || !H_NVRAM_bReadBlock(nfSONAR_DATA, bytes, sizeof bytes))
        return FALSE;
    vDecodeU16(bytes, pBlock->u16Data);
    return TRUE;
}

BOOLEAN H_NVRAM_bWriteSonarData(const SONAR_DATA_BLOCK* pBlock)
{
    U8 bytes[SONAR_DATA_BYTES];
    if (!pBlock)
        return FALSE;
    vEncodeU16(pBlock->u16Data, bytes);
    return H_NVRAM_bWriteBlock(nfSONAR_DATA, bytes, sizeof bytes);
}

BOOLEAN H_NVRAM_bReadPersonalizationData(PERSONALIZATION_DATA_BLOCK* pBlock)
{
    U8 bytes[PERSONALIZATION_DATA_BYTES];
    if (!pBlock || !H_NVRAM_bReadBlock(nfPERSONAL_DATA, bytes, sizeof bytes))
        return FALSE;
    vDecodeU16(bytes, pBlock->u16Data);
    return TRUE;
}

BOOLEAN H_NVRAM_bWritePersonalizationData(const PERSONALIZATION_DATA_BLOCK* pBlock)
{
    U8 bytes[PERSONALIZATION_DATA_BYTES];
    if (!pBlock)
        return FALSE;
    vEncodeU16(pBlock->u16Data, bytes);
    return H_NVRAM_bWriteBlock(nfPERSONAL_DATA, bytes, sizeof bytes);
}

void H_NVRAM_vVersionChangeFindAndSave(FOURCHARID fcid)
{
    NVR_ENTRY e = {fcid, dbFrom32(0)};
    if (H_NVRAM_bGetItemByID(&e))
        H_DATABASE_bUpdateValue(fcid, e.data, P_NORMAL);
}
