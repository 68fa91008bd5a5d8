// STAND-IN of the card task (see the header).
#include "media/t_mmc_standin.h"

#include "graphics/g_png.h"
#include "kernel/h_memory.h"
#include "kernel/l_clock.h"
#include "kernel/l_mbox.h"
#include "kernel/l_root.h"
#include "kernel/l_sema.h"
#include "kernel/lm_log.h"
#include "media/t_mmc_record.h"
#include "sonar/history/t_n_history.h"
#include "sonar/review/t_view_review.h"
#include "store/h_database.h"
#include "ui/t_view.h"
#include "ui/u_view.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* CARD_UNIT_PATH = "/mnt/mmc0";
constexpr const char* LIST_PREFIX = "mmc0/";
constexpr U32 FRAME_WIDTH = 800;
constexpr U32 FRAME_HEIGHT = 600;
constexpr U32 THUMBNAIL_STEP = 4; // 800 x 600 -> 200 x 150
constexpr U32 CARD_FULL_KB = 200;
constexpr S32 IDLE_DELAY_MS = 100;
constexpr S32 MAX_DELAY_MS = 2000;
constexpr PRIORITY VIEW_MAIL_PRIORITY = 3;

// ---- The card folder and its list ----

std::string sCardFolder(void)
{
    char acPath[512];
    L_ROOT_pcResolve(CARD_UNIT_PATH, acPath, sizeof acPath);
    return acPath;
}

void vMakeCardFolder(void)
{
    const std::string folder = sCardFolder();
    const std::string parent = folder.substr(0, folder.rfind('/'));
    mkdir(parent.c_str(), 0755);
    mkdir(folder.c_str(), 0755);
}

bool bEndsWith(const std::string& s, const char* pcEnd)
{
    const size_t n = strlen(pcEnd);
    return s.size() > n && s.compare(s.size() - n, n, pcEnd) == 0;
}

THUMBNAIL_TYPE eTypeOf(const std::string& file)
{
    if (bEndsWith(file, ".PNG"))
        return THUMBNAIL_IMAGE_TYPE;
    if (bEndsWith(file, ".SON"))
        return THUMBNAIL_RECORDING_TYPE;
    return THUMBNAIL_NONE;
}

// The card's files in list order.
std::vector<std::string> list(void)
{
    std::vector<std::string> files;
    DIR* pDir = opendir(sCardFolder().c_str());
    if (pDir == nullptr)
        return files;
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string name = pEntry->d_name;
        // A name that does not fit the review's records is left out.
        if (eTypeOf(name) != THUMBNAIL_NONE && name.size() + strlen(LIST_PREFIX) < THUMBNAIL_NAME_BYTES)
            files.push_back(name);
    }
    closedir(pDir);
    std::sort(files.begin(), files.end());
    return files;
}

// The host path of a list name ("mmc0/<file>"); empty for anything else.
std::string sPathOf(const char* pcName)
{
    if (pcName == nullptr || strncmp(pcName, LIST_PREFIX, strlen(LIST_PREFIX)) != 0)
        return {};
    const std::string file = pcName + strlen(LIST_PREFIX);
    if (file.empty() || file.find('/') != std::string::npos || file[0] == '.')
        return {};
    return sCardFolder() + "/" + file;
}

THUMBNAIL_TYPE eAt(const std::vector<std::string>& files, U32 u32Position, char* pcName, U32* pu32Position)
{
    if (u32Position < 1 || u32Position > files.size())
        return THUMBNAIL_NONE;
    const std::string& file = files[u32Position - 1];
    if (pcName != nullptr)
        snprintf(pcName, THUMBNAIL_NAME_BYTES, "%s%s", LIST_PREFIX, file.c_str());
    if (pu32Position != nullptr)
        *pu32Position = u32Position;
    return eTypeOf(file);
}

THUMBNAIL_TYPE eStep(char* pcName, U32* pu32Position, int nStep, bool bImagesOnly)
{
    const std::vector<std::string> files = list();
    S64 s64Position = pu32Position != nullptr ? *pu32Position : 0;
    for (;;) {
        s64Position += nStep;
        if (s64Position < 1 || s64Position > (S64)files.size())
            return THUMBNAIL_NONE;
        if (!bImagesOnly || eTypeOf(files[(size_t)s64Position - 1]) == THUMBNAIL_IMAGE_TYPE)
            return eAt(files, (U32)s64Position, pcName, pu32Position);
    }
}

void vCardSizes(U32* pu32SizeKB, U32* pu32AvailableKB)
{
    struct statvfs st{};
    *pu32SizeKB = 0;
    *pu32AvailableKB = 0;
    if (statvfs(sCardFolder().c_str(), &st) != 0)
        return;
    const U64 u64Size = (U64)st.f_blocks * st.f_frsize / 1024;
    const U64 u64Free = (U64)st.f_bavail * st.f_frsize / 1024;
    *pu32SizeKB = (U32)std::min<U64>(u64Size, 0xFFFFFFFFu);
    *pu32AvailableKB = (U32)std::min<U64>(u64Free, 0xFFFFFFFFu);
}

std::string sNextName(const char* pcStem, const char* pcExtension, int nDigits)
{
    const std::vector<std::string> files = list();
    for (U32 n = 1; n < 100000; ++n) {
        char acName[32];
        snprintf(acName, sizeof acName, "%s%0*u.%s", pcStem, nDigits, n, pcExtension);
        if (std::find(files.begin(), files.end(), acName) == files.end())
            return acName;
    }
    return {};
}

// ---- PNG ----

// The PNG as 8-bit RGB rows, top row first; false when it cannot be read.
bool bReadPng(const std::string& path, std::vector<U8>* pRgb, U32* pu32Width, U32* pu32Height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    if (image.width == 0 || image.height == 0 || image.width > 4096 || image.height > 4096) {
        png_image_free(&image);
        return false;
    }
    pRgb->resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pRgb->data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    *pu32Width = image.width;
    *pu32Height = image.height;
    return true;
}

COLOR colFromRgb(const U8* p) { return (COLOR)(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3)); }

// ---- Recording and playback state (one lock: the processing, playback
// and card tasks all reach it) ----

struct INDEX_ENTRY {
    long lOffset;
    BEAM Beam;
    U32 u32TimeStampMs;
    U32 u32Bytes;
};

std::mutex s_lock;
// Recording.
FILE* s_pRecordFile = nullptr;
std::string s_recordPath;
SONAR_RECORD_THUMB_HEADER s_recordHeader{};
U32 s_u32RecordFirstStamp = 0;
U32 s_u32RecordBytes = 0;
U32 s_u32AvailableAtStartKB = 0;
U32 s_au32LastStamp[PLAYED_BEAMS_MAX] = {};
U32 s_au32BeamPings[PLAYED_BEAMS_MAX] = {};
// Playback.
FILE* s_pPlayFile = nullptr;
std::vector<INDEX_ENTRY> s_index;
size_t s_nNext = 0; // the record read next going forward; the one before it going back
U32 s_u32PlayBeamMask = 0;
U32 s_u32EndedBeams = 0;
U32 s_u32LastPlayedMode = 0;
std::atomic<U32> s_u32Dropped{0};
std::vector<U8> s_samples;
U32 s_u32SeekStamp = 0;
bool s_bSeekPending = false;

void vWriteU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

U32 u32LowestBeam(U32 u32Mask)
{
    for (U32 b = 0; b < PLAYED_BEAMS_MAX; ++b)
        if (u32Mask & (1u << b))
            return b;
    return 0;
}

void vCompleteHeaderLocked(void)
{
    SONAR_RECORD_THUMB_HEADER& h = s_recordHeader;
    h.u32PingSizeBytes = h.u32NumberOfPings != 0 ? s_u32RecordBytes / h.u32NumberOfPings : 0;
    U8 au8Header[SONAR_RECORD_HEADER_BYTES];
    T_MMC_vEncodeRecordHeader(&h, au8Header);
    fseek(s_pRecordFile, 0, SEEK_SET);
    fwrite(au8Header, 1, sizeof au8Header, s_pRecordFile);
    fseek(s_pRecordFile, 0, SEEK_END);
}

// ---- Sonar calls ----

BOOLEAN bOpenSonarMMCFiles(void)
{
    vMakeCardFolder();
    U32 u32SizeKB = 0, u32AvailableKB = 0;
    vCardSizes(&u32SizeKB, &u32AvailableKB);
    if (u32AvailableKB <= CARD_FULL_KB)
        return FALSE;
    const std::string file = sNextName("SON", "SON", 5);
    if (file.empty())
        return FALSE;
    const U32 u32Now = (U32)time(nullptr);
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (s_pRecordFile != nullptr)
            return TRUE;
        s_recordPath = sCardFolder() + "/" + file;
        s_pRecordFile = fopen(s_recordPath.c_str(), "w+b");
        if (s_pRecordFile == nullptr)
            return FALSE;
        s_recordHeader = SONAR_RECORD_THUMB_HEADER{};
        s_recordHeader.u8Version = SONAR_RECORD_VERSION;
        s_recordHeader.RecordingStartWaypoint.u32DateTime = u32Now;
        s_u32RecordFirstStamp = 0;
        s_u32RecordBytes = 0;
        s_u32AvailableAtStartKB = u32AvailableKB;
        for (U32 b = 0; b < PLAYED_BEAMS_MAX; ++b)
            s_au32LastStamp[b] = s_au32BeamPings[b] = 0;
        vCompleteHeaderLocked();
    }
    // The view task shows the new recording's name and card sizes.
    auto* pMail = static_cast<MSG_PING_START*>(H_MEMORY_pvMallocNoWait(sizeof(MSG_PING_START)));
    if (pMail != nullptr) {
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->header.Cmd = CMD_ID_PING_START;
        pMail->u32StartDateTime = u32Now;
        pMail->u32AvailableKB = u32AvailableKB;
        pMail->u32CardSizeKB = u32SizeKB;
        pMail->u8DeviceNumber = 0;
        snprintf(pMail->acRootName, RECORD_ROOT_NAME_BYTES, "%s", file.substr(0, file.find('.')).c_str());
        if (L_MBOX_Send(VIEW_MAILBOX, &pMail->header.msghdr, VIEW_MAIL_PRIORITY, 0) != 0)
            H_MEMORY_vFree(pMail);
    }
    return TRUE;
}

void vSaveRawDataToMMC(PING_DESCRIPTOR* pPing)
{
    if (pPing == nullptr || pPing->Beam >= PLAYED_BEAMS_MAX)
        return;
    bool bFull = false;
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (s_pRecordFile == nullptr)
            return;
        SONAR_RECORD_THUMB_HEADER& h = s_recordHeader;
        if (h.u32NumberOfPings == 0)
            s_u32RecordFirstStamp = pPing->u32TimeStampMilliSeconds;
        const U32 u32Stamp = pPing->u32TimeStampMilliSeconds - s_u32RecordFirstStamp;
        const PING_RECORD_HEAD head = T_MMC_tPingRecordHead(pPing, u32Stamp, h.u32NumberOfPings + 1);
        U8 au8Head[PING_RECORD_HEAD_BYTES];
        T_MMC_vEncodePingRecordHead(&head, au8Head);
        if (fwrite(au8Head, 1, sizeof au8Head, s_pRecordFile) != sizeof au8Head ||
            fwrite(pPing->pu8RawSonarData, 1, head.u32NumberOfSamples, s_pRecordFile) != head.u32NumberOfSamples) {
            bFull = true;
        }
        const U32 b = pPing->Beam;
        const U32 u32Lowest = u32LowestBeam(h.u32BeamMask | (1u << b));
        U32 u32Period = 0;
        if (s_au32BeamPings[b] != 0)
            u32Period = u32Stamp - s_au32LastStamp[b];
        if (s_au32BeamPings[b] == 1 && b == u32Lowest && h.u32FirstPingPeriodMs == 0)
            h.u32FirstPingPeriodMs = u32Period;
        s_au32LastStamp[b] = u32Stamp;
        ++s_au32BeamPings[b];
        h.u32BeamMask |= 1u << b;
        ++h.u32NumberOfPings;
        h.u32TotalTimeMs = u32Stamp;
        s_u32RecordBytes += PING_RECORD_HEAD_BYTES + head.u32NumberOfSamples;
        if (b == u32Lowest) {
            vWriteU32("CRCP", u32Period);
            const U32 u32Pings = s_au32BeamPings[b];
            vWriteU32("CRAV", u32Pings > 1 ? u32Stamp / (u32Pings - 1) : 0);
            vWriteU32("CRPB", u32Pings != 0 ? s_u32RecordBytes / u32Pings : 0);
        }
        vWriteU32("CRTS", u32Stamp);
        vWriteU32("CRBS", s_u32RecordBytes);
        if (s_u32AvailableAtStartKB <= CARD_FULL_KB + s_u32RecordBytes / 1024)
            bFull = true;
    }
    if (bFull) {
        // The card is full: the recording stops, the review goes back to
        // the thumbnails on "CSRE" turning off.
        log_me("[%d]%s: card full, recording stopped\n", __LINE__, __func__);
        H_DATABASE_bUpdateValueBoolean(FCID("CSRE"), FALSE, P_NORMAL);
    }
}

void vCloseSonarMMCFiles(BOOLEAN bRemove)
{
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (s_pRecordFile == nullptr)
            return;
        vCompleteHeaderLocked();
        fclose(s_pRecordFile);
        s_pRecordFile = nullptr;
        if (bRemove)
            remove(s_recordPath.c_str());
    }
    if (!bRemove)
        T_VIEW_vRecordingSaveComplete();
}

void vDrawErrorMessage(void) { log_me("[%d]%s: no card to record on\n", __LINE__, __func__); }

void vClosePlaybackLocked(void)
{
    if (s_pPlayFile != nullptr)
        fclose(s_pPlayFile);
    s_pPlayFile = nullptr;
    s_index.clear();
    s_nNext = 0;
    s_u32PlayBeamMask = 0;
    s_u32EndedBeams = 0;
    s_bSeekPending = false;
}

// The file's ping records, each checked; the others are dropped and
// counted, and the index goes on at the next record found.
void vIndexLocked(void)
{
    std::vector<U8> bytes;
    fseek(s_pPlayFile, 0, SEEK_END);
    const long lSize = ftell(s_pPlayFile);
    if (lSize <= (long)SONAR_RECORD_HEADER_BYTES)
        return;
    bytes.resize((size_t)lSize);
    fseek(s_pPlayFile, 0, SEEK_SET);
    if (fread(bytes.data(), 1, bytes.size(), s_pPlayFile) != bytes.size())
        return;
    size_t n = SONAR_RECORD_HEADER_BYTES;
    bool bInBadStretch = false;
    while (n + PING_RECORD_HEAD_BYTES <= bytes.size()) {
        PING_RECORD_HEAD head{};
        const PING_RECORD_CHECK e = T_MMC_eDecodePingRecordHead(&bytes[n], bytes.size() - n, &head);
        if (e == PING_RECORD_OK) {
            const U32 u32Bytes = (U32)PING_RECORD_HEAD_BYTES + head.u32NumberOfSamples;
            s_index.push_back({(long)n, head.Beam, head.u32TimeStampMs, u32Bytes});
            s_u32PlayBeamMask |= 1u << head.Beam;
            n += u32Bytes;
            bInBadStretch = false;
            continue;
        }
        if (e == PING_RECORD_BAD_MAGIC) {
            // Not a record: the index looks for the next one.
            if (!bInBadStretch) {
                ++s_u32Dropped;
                log_me("[%d]%s: no ping record at %zu\n", __LINE__, __func__, n);
            }
            bInBadStretch = true;
            ++n;
            continue;
        }
        ++s_u32Dropped;
        log_me("[%d]%s: bad ping record %d at %zu dropped\n", __LINE__, __func__, (int)e, n);
        if (e == PING_RECORD_SHORT)
            break;
        if (e == PING_RECORD_BAD_BEAM && head.u32NumberOfSamples <= PING_MAX_SAMPLES &&
            bytes.size() - n - PING_RECORD_HEAD_BYTES >= head.u32NumberOfSamples) {
            // A whole record of a beam that cannot be played: step over it.
            n += PING_RECORD_HEAD_BYTES + head.u32NumberOfSamples;
            bInBadStretch = false;
            continue;
        }
        // Its length cannot be trusted: the index looks for the next record.
        bInBadStretch = true;
        ++n;
    }
}

BOOLEAN bOpenPlaybackFile(BOOLEAN bOpenFile, char* pcName)
{
    std::lock_guard<std::mutex> lock(s_lock);
    vClosePlaybackLocked();
    if (!bOpenFile)
        return TRUE;
    const std::string path = sPathOf(pcName);
    if (path.empty() || eTypeOf(path) != THUMBNAIL_RECORDING_TYPE)
        return FALSE;
    s_pPlayFile = fopen(path.c_str(), "rb");
    if (s_pPlayFile == nullptr)
        return FALSE;
    vIndexLocked();
    s_u32LastPlayedMode = 0;
    return TRUE;
}

S32 s32Scaled(U32 u32Ms, U32 u32Mode)
{
    switch (u32Mode) {
    case PLAYBACK_MODE_REVERSE_SLOW:
    case PLAYBACK_MODE_FORWARD_SLOW:
        u32Ms *= 2;
        break;
    case PLAYBACK_MODE_2XREVERSE:
    case PLAYBACK_MODE_2XFORWARD:
        u32Ms /= 2;
        break;
    case PLAYBACK_MODE_4XREVERSE:
    case PLAYBACK_MODE_4XFORWARD:
        u32Ms /= 4;
        break;
    default:
        break;
    }
    return (S32)std::min<U32>(u32Ms, MAX_DELAY_MS);
}

bool bForward(U32 u32Mode) { return u32Mode >= PLAYBACK_MODE_FORWARD_SLOW && u32Mode <= PLAYBACK_MODE_4XFORWARD; }

bool bReverse(U32 u32Mode)
{
    return (u32Mode >= PLAYBACK_MODE_4XREVERSE && u32Mode <= PLAYBACK_MODE_REVERSE_SLOW) ||
           u32Mode == PLAYBACK_MODE_END_FILL;
}

// Reads record i into the descriptor; false (and counted) when the file no
// longer gives it.
bool bReadRecordLocked(size_t i, PING_DESCRIPTOR* pPing)
{
    const INDEX_ENTRY& e = s_index[i];
    s_samples.resize(e.u32Bytes);
    if (fseek(s_pPlayFile, e.lOffset, SEEK_SET) != 0 ||
        fread(s_samples.data(), 1, e.u32Bytes, s_pPlayFile) != e.u32Bytes) {
        ++s_u32Dropped;
        return false;
    }
    PING_RECORD_HEAD head{};
    if (T_MMC_eDecodePingRecordHead(s_samples.data(), s_samples.size(), &head) != PING_RECORD_OK) {
        ++s_u32Dropped;
        return false;
    }
    pPing->Beam = head.Beam;
    pPing->u8Transducer = head.u8Transducer;
    pPing->u8TransmitCycles = head.u8TransmitCycles;
    pPing->u8TransmitPower = head.u8TransmitPower;
    pPing->u8AdcChannel = head.u8AdcChannel;
    pPing->u8NoiseLevel = head.u8NoiseLevel;
    pPing->u8PeakNoiseLevel = head.u8PeakNoiseLevel;
    pPing->u8BandwidthControl = head.u8BandwidthControl;
    // A stamp of 0 would read as no column: the stamps count from 1.
    pPing->u32TimeStampMilliSeconds = head.u32TimeStampMs + 1;
    pPing->u32PingIndex = head.u32PingIndex != 0 ? head.u32PingIndex : (U32)i + 1;
    pPing->u32SamplePeriodMicroSeconds = head.u32SamplePeriodMicroSeconds;
    pPing->u32TransmitFrequencyHertz = head.u32TransmitFrequencyHertz;
    pPing->u16MilliSecondsBetweenPings = head.u16MilliSecondsBetweenPings;
    pPing->u16MilliSecondsBeforeNextPing = head.u16MilliSecondsBeforeNextPing;
    pPing->u32NumberOfSamples = head.u32NumberOfSamples;
    if (pPing->pu8RawSonarData != nullptr)
        memcpy(pPing->pu8RawSonarData, s_samples.data() + PING_RECORD_HEAD_BYTES, head.u32NumberOfSamples);
    vWriteU32("CRTS", head.u32TimeStampMs);
    vWriteU32("CRBS", (U32)(e.lOffset + (long)e.u32Bytes - (long)SONAR_RECORD_HEADER_BYTES));
    return true;
}

void vSeekLocked(U32 u32Stamp, bool bReverseSeek)
{
    size_t i = 0;
    while (i < s_index.size() && s_index[i].u32TimeStampMs + 1 < u32Stamp)
        ++i;
    s_nNext = bReverseSeek ? i : std::min(i + 1, s_index.size());
    s_u32EndedBeams = 0;
}

U32 u32ReadPingFromMMC(PING_DESCRIPTOR* pPing, S32* ps32Delay, PLAYBACK_MODE_TYPE eMode, BOOLEAN* pbNeedSeek)
{
    S32 s32Delay = IDLE_DELAY_MS;
    U32 u32Result = 0;
    U32 u32WriteMode = 0;
    bool bPrepare = false;
    {
        std::lock_guard<std::mutex> lock(s_lock);
        const U32 u32Mode = eMode;
        const bool bFirstOfMode = u32Mode != s_u32LastPlayedMode;
        s_u32LastPlayedMode = u32Mode;
        if (s_pPlayFile == nullptr || pPing == nullptr) {
            // nothing open: nothing to read
        } else if (pbNeedSeek != nullptr && *pbNeedSeek) {
            if (s_bSeekPending)
                vSeekLocked(s_u32SeekStamp, bReverse(u32Mode));
            s_bSeekPending = false;
            *pbNeedSeek = FALSE;
            s32Delay = 0;
        } else if (u32Mode == PLAYBACK_MODE_BEGIN) {
            s_nNext = 0;
            s_u32EndedBeams = 0;
            bPrepare = true;
            u32WriteMode = PLAYBACK_MODE_PAUSED_BEGIN;
        } else if (u32Mode == PLAYBACK_MODE_END) {
            s_nNext = s_index.size();
            s_u32EndedBeams = 0;
            u32WriteMode = PLAYBACK_MODE_END_FILL;
        } else if (bForward(u32Mode) || bReverse(u32Mode)) {
            const bool bBack = bReverse(u32Mode);
            if (bFirstOfMode)
                s_u32EndedBeams = 0;
            const bool bAtEdge = bBack ? s_nNext == 0 : s_nNext >= s_index.size();
            if (bAtEdge) {
                if (bBack) {
                    // Back at the start: the playback waits there.
                    u32WriteMode = u32Mode == PLAYBACK_MODE_END_FILL ? PLAYBACK_MODE_PAUSED_END
                                                                    : PLAYBACK_MODE_PAUSED_BEGIN;
                    if (u32Mode == PLAYBACK_MODE_END_FILL)
                        s_nNext = s_index.size();
                } else {
                    const U32 u32Left = s_u32PlayBeamMask & ~s_u32EndedBeams;
                    if (u32Left != 0) {
                        const U32 b = u32LowestBeam(u32Left);
                        s_u32EndedBeams |= 1u << b;
                        pPing->Beam = (BEAM)b;
                        u32Result = 2;
                        s32Delay = 0;
                    } else if (s_u32PlayBeamMask == 0) {
                        u32WriteMode = PLAYBACK_MODE_PAUSED_END;
                    }
                }
            } else {
                const size_t i = bBack ? s_nNext - 1 : s_nNext;
                s_nNext = bBack ? s_nNext - 1 : s_nNext + 1;
                if (bReadRecordLocked(i, pPing)) {
                    pPing->bReversePing = bBack ? TRUE : FALSE;
                    u32Result = 1;
                    const size_t j = bBack ? (i > 0 ? i - 1 : i) : (i + 1 < s_index.size() ? i + 1 : i);
                    const U32 a = s_index[i].u32TimeStampMs, c = s_index[j].u32TimeStampMs;
                    s32Delay = s32Scaled(a > c ? a - c : c - a, u32Mode);
                } else {
                    s32Delay = 0;
                }
            }
        }
    }
    if (bPrepare)
        T_N_HISTORY_vPrepareForPlayback();
    if (u32WriteMode != 0)
        H_DATABASE_bUpdateValueU32(FCID("CPSP"), u32WriteMode, P_NORMAL);
    if (ps32Delay != nullptr)
        *ps32Delay = s32Delay;
    return u32Result;
}

void vSeekPingsInPlaybackFile(U32* pu32TimeStamps)
{
    if (pu32TimeStamps == nullptr)
        return;
    std::lock_guard<std::mutex> lock(s_lock);
    U32 u32Stamp = 0;
    for (U32 b = 0; b < PLAYED_BEAMS_MAX; ++b)
        u32Stamp = std::max(u32Stamp, pu32TimeStamps[b]);
    s_u32SeekStamp = u32Stamp;
    s_bSeekPending = u32Stamp != 0;
}

void vSetEndFillDone(void)
{
    {
        std::lock_guard<std::mutex> lock(s_lock);
        s_nNext = s_index.size();
    }
    H_DATABASE_bUpdateValueU32(FCID("CPSP"), PLAYBACK_MODE_PAUSED_END, P_NORMAL);
}

const SONAR_CARD_CALLS s_sonarCalls = {
    T_MMC_STANDIN_bOpenPlaybackFile, nullptr, bOpenSonarMMCFiles, vSaveRawDataToMMC, vCloseSonarMMCFiles,
    vSeekPingsInPlaybackFile,        vDrawErrorMessage, u32ReadPingFromMMC, vSetEndFillDone,
};

// ---- Mails ----

void vScreenDump(const MSG_SCREEN_DUMP* pMail)
{
    vMakeCardFolder();
    const std::string file = sNextName("SNAP", "PNG", 4);
    if (pMail->pBitmap != nullptr && !file.empty() &&
        !G_PNG_bWriteBitmap(pMail->pBitmap, (sCardFolder() + "/" + file).c_str()))
        log_me("[%d]%s: snapshot not saved\n", __LINE__, __func__);
    L_SEMA_Signal(SEMA_VIEW_RELEASE_BITMAP);
    T_VIEW_vSnapshotSaveComplete();
}

void vLoadBmp(MSG_LOAD_BMP* pMail)
{
    const bool bLatest = pMail->pu32LatestRequestId == nullptr || pMail->u32RequestId == pMail->pu32LatestRequestId->load();
    const std::string path = sPathOf(pMail->pcName) ;
    const std::string fallback = pMail->pcName != nullptr && strchr(pMail->pcName, '/') == nullptr
                                     ? sPathOf((std::string(LIST_PREFIX) + pMail->pcName).c_str())
                                     : std::string();
    if (bLatest && pMail->pBitmap != nullptr) {
        std::vector<U8> rgb;
        U32 w = 0, h = 0;
        if (bReadPng(path.empty() ? fallback : path, &rgb, &w, &h)) {
            BITMAP* pBmp = pMail->pBitmap;
            const U32 u32W = std::min<U32>(w, pBmp->pixels_wide);
            const U32 u32H = std::min<U32>(h, pBmp->pixels_high);
            COLOR* pBase = reinterpret_cast<COLOR*>(pBmp->pBuffer);
            for (U32 r = 0; r < u32H; ++r)
                for (U32 c = 0; c < u32W; ++c)
                    pBase[(size_t)r * pBmp->__u32PixelWidthOfBuffer + c] = colFromRgb(&rgb[((size_t)r * w + c) * 3]);
        } else {
            log_me("[%d]%s: image not loaded\n", __LINE__, __func__);
        }
    }
    if (pMail->pcName != nullptr)
        H_MEMORY_vFree(pMail->pcName);
    pMail->pcName = nullptr;
}

void vDeleteImage(const MSG_DELETE_IMAGE* pMail)
{
    char acName[THUMBNAIL_NAME_BYTES];
    memcpy(acName, pMail->sName, sizeof acName);
    acName[sizeof acName - 1] = '\0';
    const bool bAllImages = strcmp(acName, DELETE_ALL_IMAGES) == 0;
    const bool bAllRecordings = strcmp(acName, DELETE_ALL_RECORDINGS) == 0;
    if (bAllImages || bAllRecordings) {
        for (const std::string& file : list())
            if (eTypeOf(file) == (bAllImages ? THUMBNAIL_IMAGE_TYPE : THUMBNAIL_RECORDING_TYPE))
                remove((sCardFolder() + "/" + file).c_str());
        T_VIEW_vDeleteAllComplete();
        return;
    }
    const std::string path = sPathOf(acName);
    if (!path.empty() && eTypeOf(path) != THUMBNAIL_NONE)
        remove(path.c_str());
    T_VIEW_vDeleteComplete();
}

void vLoadThumbnail(MSG_LOAD_THUMBNAIL* pMail)
{
    std::lock_guard<std::recursive_mutex> slotGuard(T_VIEW_REVIEW_rmSlotLock());
    THUMBNAIL_HEADER_TYPE* pSlot = pMail->psSlot;
    const std::string path = sPathOf(pMail->pcName);
    if (pSlot != nullptr && pSlot->snapshot != nullptr) {
        vCardSizes(&pSlot->u32CardSizeKB, &pSlot->u32CardAvailableKB);
        THUMBNAIL_DATA_FILE* pData = pSlot->snapshot;
        pData->Header = THUMBNAIL_FILE_HEADER{};
        pData->Header.Version = 1;
        std::vector<U8> rgb;
        U32 w = 0, h = 0;
        if (path.empty() || !bReadPng(path, &rgb, &w, &h) || w != FRAME_WIDTH || h != FRAME_HEIGHT) {
            pSlot->bWrongSizeThumbnail = TRUE;
        } else {
            // Every fourth pixel of every fourth row; bottom row first.
            for (U32 r = 0; r < THUMBNAIL_HEIGHT; ++r) {
                const U32 u32SourceRow = FRAME_HEIGHT - 1 - r * THUMBNAIL_STEP;
                for (U32 c = 0; c < THUMBNAIL_WIDTH; ++c)
                    pData->ImageData[r * THUMBNAIL_WIDTH + c] =
                        colFromRgb(&rgb[((size_t)u32SourceRow * w + c * THUMBNAIL_STEP) * 3]);
            }
            pSlot->bWrongSizeThumbnail = FALSE;
        }
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    }
    if (pMail->pcName != nullptr)
        H_MEMORY_vFree(pMail->pcName);
    pMail->pcName = nullptr;
}

void vLoadRecording(MSG_LOAD_THUMBNAIL* pMail)
{
    std::lock_guard<std::recursive_mutex> slotGuard(T_VIEW_REVIEW_rmSlotLock());
    THUMBNAIL_HEADER_TYPE* pSlot = pMail->psSlot;
    const std::string path = sPathOf(pMail->pcName);
    if (pSlot != nullptr && pSlot->recording != nullptr) {
        vCardSizes(&pSlot->u32CardSizeKB, &pSlot->u32CardAvailableKB);
        U8 au8Header[SONAR_RECORD_HEADER_BYTES] = {};
        FILE* pFile = path.empty() ? nullptr : fopen(path.c_str(), "rb");
        if (pFile != nullptr && fread(au8Header, 1, sizeof au8Header, pFile) == sizeof au8Header)
            T_MMC_vDecodeRecordHeader(au8Header, pSlot->recording);
        else
            *pSlot->recording = SONAR_RECORD_THUMB_HEADER{};
        if (pFile != nullptr)
            fclose(pFile);
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
    }
    if (pMail->pcName != nullptr)
        H_MEMORY_vFree(pMail->pcName);
    pMail->pcName = nullptr;
}

} // namespace

void T_MMC_STANDIN_vHandleMail(GENERIC_MESSAGE* pMail)
{
    bool bFrame = false;
    switch (pMail->Cmd) {
    case CMD_ID_SCREEN_DUMP:
        vScreenDump(reinterpret_cast<MSG_SCREEN_DUMP*>(pMail));
        break;
    case CMD_ID_LOAD_BMP:
        vLoadBmp(reinterpret_cast<MSG_LOAD_BMP*>(pMail));
        bFrame = true;
        break;
    case CMD_ID_DELETE_IMAGE:
        vDeleteImage(reinterpret_cast<MSG_DELETE_IMAGE*>(pMail));
        bFrame = true;
        break;
    case CMD_ID_LOAD_THUMBNAIL:
        vLoadThumbnail(reinterpret_cast<MSG_LOAD_THUMBNAIL*>(pMail));
        break;
    case CMD_ID_LOAD_RECORDING:
        vLoadRecording(reinterpret_cast<MSG_LOAD_THUMBNAIL*>(pMail));
        break;
    default:
        log_me("[%d]%s: mail %d not handled\n", __LINE__, __func__, (int)pMail->Cmd);
        break;
    }
    // A sender waiting for the answer keeps its mail.
    H_MEMORY_vDumpMail(reinterpret_cast<RTOSMSG*>(pMail));
    if (bFrame)
        L_SEMA_Signal(SEMA_VIEW_UPDATE);
}

void T_MMC_vMain(void)
{
    vMakeCardFolder();
    log_me("card task stand-in: card folder %s", sCardFolder().c_str());
    H_DATABASE_bUpdateEverythingU32(FCID("TMMC"), CARD_MAILBOX, P_NORMAL, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    for (;;) {
        MSGHEADER* pHeader = L_MBOX_ReceiveWait(CARD_MAILBOX);
        if (pHeader == nullptr)
            return;
        T_MMC_STANDIN_vHandleMail(reinterpret_cast<GENERIC_MESSAGE*>(pHeader));
    }
}

const SONAR_CARD_CALLS* T_MMC_STANDIN_psSonarCalls(void) { return &s_sonarCalls; }

THUMBNAIL_TYPE T_MMC_STANDIN_eFindNext(char* pcName, U32* pu32Position)
{
    return eStep(pcName, pu32Position, 1, false);
}

THUMBNAIL_TYPE T_MMC_STANDIN_eFindPrevious(char* pcName, U32* pu32Position)
{
    return eStep(pcName, pu32Position, -1, false);
}

THUMBNAIL_TYPE T_MMC_STANDIN_eFindLast(char* pcName, U32* pu32Position)
{
    const std::vector<std::string> files = list();
    return eAt(files, (U32)files.size(), pcName, pu32Position);
}

THUMBNAIL_TYPE T_MMC_STANDIN_eFindNextImage(char* pcName, U32* pu32Position)
{
    return eStep(pcName, pu32Position, 1, true);
}

THUMBNAIL_TYPE T_MMC_STANDIN_eFindPreviousImage(char* pcName, U32* pu32Position)
{
    return eStep(pcName, pu32Position, -1, true);
}

U32 T_MMC_STANDIN_u32ThumbNailsInList(void) { return (U32)list().size(); }

BOOLEAN T_MMC_STANDIN_bOpenPlaybackFile(BOOLEAN bOpenFile, char* pcName) { return bOpenPlaybackFile(bOpenFile, pcName); }

const char* T_MMC_STANDIN_pcCardFolder(void)
{
    static thread_local std::string folder;
    vMakeCardFolder();
    folder = sCardFolder();
    return folder.c_str();
}

U32 T_MMC_STANDIN_u32DroppedRecords(void) { return s_u32Dropped; }

void T_MMC_STANDIN_vReset(void)
{
    std::lock_guard<std::mutex> lock(s_lock);
    vClosePlaybackLocked();
    if (s_pRecordFile != nullptr)
        fclose(s_pRecordFile);
    s_pRecordFile = nullptr;
}
