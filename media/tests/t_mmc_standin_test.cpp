// The card task's stand-in: the recording's byte layout, a recording made
// and played back through the sonar's calls, bad records in a recording,
// and the thumbnails made of the card's PNG files.
#include "media/t_mmc_record.h"
#include "media/t_mmc_standin.h"

#include "graphics/g_bmp.h"
#include "graphics/g_buffers.h"
#include "graphics/g_pixel.h"
#include "graphics/g_png.h"
#include "kernel/h_memory.h"
#include "kernel/l_mbox.h"
#include "sonar/review/t_view_review.h"
#include "store/h_database.h"
#include "testing/t_root.h"
#include "ui/t_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void world()
{
    static vt::TempRoot root;
    static const bool ready = [] {
        root.exportEnv();
        H_DATABASE_vInit();
        return true;
    }();
    (void)ready;
}

std::string card(const std::string& file) { return std::string(T_MMC_STANDIN_pcCardFolder()) + "/" + file; }

void drainViewMailbox()
{
    while (MSGHEADER* p = L_MBOX_Receive(VIEW_MAILBOX))
        H_MEMORY_vFree(p);
}

std::vector<U8> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<U8>(std::istreambuf_iterator<char>(in), {});
}

void removeCardFiles()
{
    char name[THUMBNAIL_NAME_BYTES];
    U32 pos = 0;
    std::vector<std::string> files;
    while (T_MMC_STANDIN_eFindNext(name, &pos) != THUMBNAIL_NONE)
        files.push_back(name + 5);
    for (const std::string& f : files)
        remove(card(f).c_str());
}

struct Played {
    U32 result;
    BEAM beam;
    U32 stamp;
    U32 samples;
    U8 firstSample;
};

class Card : public ::testing::Test {
protected:
    void SetUp() override
    {
        world();
        T_MMC_STANDIN_vReset();
        removeCardFiles();
        samples_.assign(PING_MAX_SAMPLES, 0);
        ping_ = PING_DESCRIPTOR{};
        ping_.pu8RawSonarData = samples_.data();
    }
    void TearDown() override
    {
        T_MMC_STANDIN_vReset();
        drainViewMailbox();
    }

    void record(BEAM beam, U32 stamp, U32 count, U8 value)
    {
        ping_.Beam = beam;
        ping_.u32TimeStampMilliSeconds = stamp;
        ping_.u32NumberOfSamples = count;
        memset(samples_.data(), value, count);
        T_MMC_STANDIN_psSonarCalls()->vSaveRawDataToMMC(&ping_);
    }

    Played read(PLAYBACK_MODE_TYPE mode)
    {
        ping_ = PING_DESCRIPTOR{};
        ping_.pu8RawSonarData = samples_.data();
        samples_[0] = 0;
        S32 delay = -1;
        BOOLEAN seek = FALSE;
        const U32 r = T_MMC_STANDIN_psSonarCalls()->u32ReadPingFromMMC(&ping_, &delay, mode, &seek);
        return {r, ping_.Beam, ping_.u32TimeStampMilliSeconds, ping_.u32NumberOfSamples, samples_[0]};
    }

    std::vector<U8> samples_;
    PING_DESCRIPTOR ping_{};
};

TEST(RecordHeader, GoesToTheCardBigEndianFieldByFieldAndComesBack)
{
    SONAR_RECORD_THUMB_HEADER h{};
    h.u8Version = 1;
    h.u8WaterType = 2;
    h.u8BatteryVoltage = 3;
    h.bWaypointValid = TRUE;
    h.u32ModelNumber = 0x01020304;
    h.RecordingStartWaypoint.u32DateTime = 0xA0B0C0D0;
    h.RecordingStartWaypoint.pt = {-5, 7};
    memcpy(h.RecordingStartWaypoint.sName, "DOCK.1", 7);
    h.u32NumberOfPings = 0x11223344;
    h.u32TotalTimeMs = 5000;
    h.u32PingSizeBytes = 1234;
    h.u32FirstPingPeriodMs = 100;
    h.u32BeamMask = 0x3;
    U8 bytes[SONAR_RECORD_HEADER_BYTES];
    T_MMC_vEncodeRecordHeader(&h, bytes);
    EXPECT_EQ(bytes[3], 1);
    EXPECT_EQ(bytes[4], 0x01);
    EXPECT_EQ(bytes[7], 0x04);
    EXPECT_EQ(bytes[16], 0xA0);
    EXPECT_EQ(bytes[20], 0xFF) << "x -5";
    EXPECT_EQ(bytes[28], 'D');
    EXPECT_EQ(bytes[40], 0x11);
    EXPECT_EQ(bytes[43], 0x44);
    EXPECT_EQ(bytes[59], 0x03);
    SONAR_RECORD_THUMB_HEADER back{};
    T_MMC_vDecodeRecordHeader(bytes, &back);
    EXPECT_EQ(back.u32ModelNumber, h.u32ModelNumber);
    EXPECT_EQ(back.RecordingStartWaypoint.pt.x, -5);
    EXPECT_STREQ(back.RecordingStartWaypoint.sName, "DOCK.1");
    EXPECT_EQ(back.u32NumberOfPings, h.u32NumberOfPings);
    EXPECT_EQ(back.u32BeamMask, 3u);

    // A name filling its field is cut inside it.
    memset(bytes + 28, 'N', THUMBNAIL_WAYPOINT_NAME_BYTES);
    T_MMC_vDecodeRecordHeader(bytes, &back);
    EXPECT_EQ(strlen(back.RecordingStartWaypoint.sName), THUMBNAIL_WAYPOINT_NAME_BYTES - 1);
}

TEST_F(Card, ARecordingOfTwoBeamsPlaysForwardThenEndsEachBeamAndPlaysBackInReverse)
{
    ASSERT_TRUE(T_MMC_STANDIN_psSonarCalls()->bOpenSonarMMCFiles());
    record(0, 1000, 300, 10);
    record(1, 1000, 200, 20);
    record(0, 1100, 300, 11);
    record(1, 1100, 200, 21);
    record(0, 1200, 300, 12);
    T_MMC_STANDIN_psSonarCalls()->vCloseSonarMMCFiles(FALSE);

    char name[THUMBNAIL_NAME_BYTES];
    U32 pos = 0;
    ASSERT_EQ(T_MMC_STANDIN_eFindNext(name, &pos), THUMBNAIL_RECORDING_TYPE);
    EXPECT_STREQ(name, "mmc0/SON00001.SON");
    const std::vector<U8> file = bytesOf(card("SON00001.SON"));
    ASSERT_GE(file.size(), SONAR_RECORD_HEADER_BYTES);
    SONAR_RECORD_THUMB_HEADER h{};
    T_MMC_vDecodeRecordHeader(file.data(), &h);
    EXPECT_EQ(h.u32NumberOfPings, 5u);
    EXPECT_EQ(h.u32TotalTimeMs, 200u);
    EXPECT_EQ(h.u32FirstPingPeriodMs, 100u);
    EXPECT_EQ(h.u32BeamMask, 3u);
    EXPECT_EQ(T_VIEW_u32AveragePingPeriod(&h), 80u) << "200 ms x 2 beams / 5 pings";

    ASSERT_TRUE(T_MMC_STANDIN_bOpenPlaybackFile(TRUE, name));
    const Played expected[] = {{1, 0, 1, 300, 10}, {1, 1, 1, 200, 20}, {1, 0, 101, 300, 11},
                               {1, 1, 101, 200, 21}, {1, 0, 201, 300, 12}};
    for (const Played& e : expected) {
        const Played p = read(PLAYBACK_MODE_FORWARD);
        EXPECT_EQ(p.result, e.result);
        EXPECT_EQ(p.beam, e.beam);
        EXPECT_EQ(p.stamp, e.stamp);
        EXPECT_EQ(p.samples, e.samples);
        EXPECT_EQ(p.firstSample, e.firstSample);
    }
    Played p = read(PLAYBACK_MODE_FORWARD);
    EXPECT_EQ(p.result, 2u);
    EXPECT_EQ(p.beam, 0);
    p = read(PLAYBACK_MODE_FORWARD);
    EXPECT_EQ(p.result, 2u);
    EXPECT_EQ(p.beam, 1);
    EXPECT_EQ(read(PLAYBACK_MODE_FORWARD).result, 0u);

    p = read(PLAYBACK_MODE_REVERSE);
    EXPECT_EQ(p.result, 1u);
    EXPECT_EQ(p.firstSample, 12);
    EXPECT_TRUE(ping_.bReversePing);
    EXPECT_EQ(read(PLAYBACK_MODE_REVERSE).firstSample, 21);
    EXPECT_EQ(T_MMC_STANDIN_u32DroppedRecords(), 0u);
}

TEST_F(Card, BadRecordsAreDroppedAndCountedAndTheFileStaysAsItWas)
{
    ASSERT_TRUE(T_MMC_STANDIN_psSonarCalls()->bOpenSonarMMCFiles());
    record(0, 1000, 50, 1);
    record(1, 1010, 50, 2);
    record(0, 1100, 50, 3);
    record(1, 1110, 50, 4);
    T_MMC_STANDIN_psSonarCalls()->vCloseSonarMMCFiles(FALSE);
    const std::string path = card("SON00001.SON");
    std::vector<U8> file = bytesOf(path);
    const size_t record = PING_RECORD_HEAD_BYTES + 50;
    file[SONAR_RECORD_HEADER_BYTES + 1 * record + 4] = 5;          // second record: beam 5
    file[SONAR_RECORD_HEADER_BYTES + 2 * record + 32] = 0x7F;      // third: a count far above 55000
    file.resize(file.size() - 10);                                 // fourth: cut
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), (std::streamsize)file.size());
    }
    const U32 before = T_MMC_STANDIN_u32DroppedRecords();
    char name[] = "mmc0/SON00001.SON";
    ASSERT_TRUE(T_MMC_STANDIN_bOpenPlaybackFile(TRUE, name));
    EXPECT_EQ(T_MMC_STANDIN_u32DroppedRecords() - before, 3u);
    const Played p = read(PLAYBACK_MODE_FORWARD);
    EXPECT_EQ(p.result, 1u);
    EXPECT_EQ(p.firstSample, 1);
    EXPECT_EQ(read(PLAYBACK_MODE_FORWARD).result, 2u) << "no other record was read";
    EXPECT_EQ(bytesOf(path), file);
}

TEST_F(Card, AThumbnailIsEveryFourthPixelOfAFullScreenPngAndOtherSizesAreMarked)
{
    BITMAP* pFrame = G_BUFFERS_pCreateFullScreenBitmap();
    G_BMP_vSet(pFrame, 0xF800);
    for (PIXEL y = 596; y < 600; ++y) // the top four rows blue
        for (PIXEL x = 0; x < 800; ++x)
            *G_PIXEL_pcolLogical(pFrame, x, y) = 0x001F;
    ASSERT_TRUE(G_PNG_bWriteBitmap(pFrame, card("A.PNG").c_str()));
    G_BUFFERS_vFreeFullScreenBitmap(pFrame);
    BITMAP* pSmall = G_BUFFERS_pCreateBitmap(100, 100, nullptr, nullptr);
    G_BMP_vSet(pSmall, 0x07E0);
    ASSERT_TRUE(G_PNG_bWriteBitmap(pSmall, card("B.PNG").c_str()));
    G_BUFFERS_vFreeBitmap(pSmall);

    static THUMBNAIL_DATA_FILE data;
    THUMBNAIL_HEADER_TYPE slot{};
    slot.snapshot = &data;
    for (const char* name : {"mmc0/A.PNG", "mmc0/B.PNG"}) {
        auto* pMail = static_cast<MSG_LOAD_THUMBNAIL*>(H_MEMORY_pvMalloc(sizeof(MSG_LOAD_THUMBNAIL)));
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->header.Cmd = CMD_ID_LOAD_THUMBNAIL;
        pMail->pcName = static_cast<char*>(H_MEMORY_pvMalloc(THUMBNAIL_NAME_BYTES));
        snprintf(pMail->pcName, THUMBNAIL_NAME_BYTES, "%s", name);
        pMail->psSlot = &slot;
        T_MMC_STANDIN_vHandleMail(&pMail->header);
        if (strcmp(name, "mmc0/A.PNG") == 0) {
            EXPECT_FALSE(slot.bWrongSizeThumbnail);
            EXPECT_EQ(data.ImageData[0], 0xF800) << "bottom row first";
            EXPECT_EQ(data.ImageData[THUMBNAIL_PIXELS - 1], 0x001F) << "the top row last";
            EXPECT_GT(slot.u32CardSizeKB, 0u);
        } else {
            EXPECT_TRUE(slot.bWrongSizeThumbnail);
        }
    }
    EXPECT_EQ(T_MMC_STANDIN_u32ThumbNailsInList(), 2u);
    char name[THUMBNAIL_NAME_BYTES];
    U32 pos = 2;
    EXPECT_EQ(T_MMC_STANDIN_eFindPreviousImage(name, &pos), THUMBNAIL_IMAGE_TYPE);
    EXPECT_EQ(pos, 1u);
    EXPECT_STREQ(name, "mmc0/A.PNG");
}

TEST_F(Card, OnlyTheLatestPreviewRequestIsLoaded)
{
    BITMAP* pFrame = G_BUFFERS_pCreateFullScreenBitmap();
    G_BMP_vSet(pFrame, 0x07E0);
    ASSERT_TRUE(G_PNG_bWriteBitmap(pFrame, card("P.PNG").c_str()));
    std::atomic<U32> latest{2};
    struct Case {
        U32 id;
        COLOR after;
    } cases[] = {{1, 0x1234}, {2, 0x07E0}}; // the first was superseded by the second
    for (const Case& c : cases) {
        G_BMP_vSet(pFrame, 0x1234);
        auto* pMail = static_cast<MSG_LOAD_BMP*>(H_MEMORY_pvMalloc(sizeof(MSG_LOAD_BMP)));
        memset(static_cast<void*>(pMail), 0, sizeof *pMail);
        pMail->header.Cmd = CMD_ID_LOAD_BMP;
        pMail->pBitmap = pFrame;
        pMail->pcName = static_cast<char*>(H_MEMORY_pvMalloc(THUMBNAIL_NAME_BYTES));
        snprintf(pMail->pcName, THUMBNAIL_NAME_BYTES, "P.PNG");
        pMail->u32RequestId = c.id;
        pMail->pu32LatestRequestId = &latest;
        T_MMC_STANDIN_vHandleMail(&pMail->header);
        EXPECT_EQ(*G_PIXEL_pcolLogical(pFrame, 400, 300), c.after) << "request " << c.id;
    }
    G_BUFFERS_vFreeFullScreenBitmap(pFrame);
}

} // namespace
