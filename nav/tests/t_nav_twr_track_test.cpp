// The saved-track table: where a track lands and under which name, its file,
// renaming and deleting, the list, and the display settings packed per
// track into the "SN" keys.
#include "nav/tests/nav_tables_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using namespace navr;

std::string name(U32 slot)
{
    const TRACK_HEADER* h = T_NAV_pGetTrackHeader(slot);
    return std::string(h->sName, strnlen(h->sName, TRACK_NAME_CHARS));
}

TEST_F(TableStore, ATrackTakesTheLowestFreeSlotAndItsNameOrTheSlotNumber)
{
    auto t = track(40, "CALLER");
    for (U32 s = 0; s < 4; ++s)
        ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, "X", FALSE), (S32)s);
    T_NAV_vDeleteTrack(2, FALSE);

    EXPECT_EQ(T_NAV_nAddTrack(t.get(), 5555, nullptr, FALSE), 2);
    EXPECT_EQ(name(2), "03");
    EXPECT_EQ(T_NAV_nAddTrack(t.get(), 5555, nullptr, FALSE), 4);
    EXPECT_EQ(name(4), "05");
    EXPECT_EQ(T_NAV_nAddTrack(t.get(), 5555, "ABCDEFGHIJKLMNOPQRSTUVWXY", FALSE), 5);
    EXPECT_EQ(name(5), "ABCDEFGHIJKLMNOPQRS") << "19 characters and a NUL";
    EXPECT_EQ(T_NAV_pGetTrackHeader(5)->sName[19], '\0');

    const TRACK_HEADER& h = *T_NAV_pGetTrackHeader(4);
    EXPECT_EQ(h.u32DateTime, 5555u);
    EXPECT_EQ(h.u16Count, 40);
    EXPECT_TRUE(navt::same(h.ptLast, t->ptLast));
    EXPECT_EQ(name(0), "X");
    EXPECT_EQ(std::string(t->sName), "CALLER") << "the caller's record is its own";
    EXPECT_EQ(t->u32DateTime, 4242u);

    TRACK* loaded = T_NAV_NVRAM_pLoadTrack(4);
    EXPECT_TRUE(navt::sameTrackHeader(*loaded, h));
    EXPECT_TRUE(navt::sameRing(*loaded, *t));
    T_NAV_NVRAM_vReleaseTrack();

    char buf[8];
    U16 count = 0;
    U32 date = 0;
    T_NAV_vCopyTrackInfo(5, buf, sizeof buf, &count, &date);
    EXPECT_STREQ(buf, "ABCDEFG");
    EXPECT_EQ(count, 40);
    EXPECT_EQ(date, 5555u);
}

TEST_F(TableStore, AFullTrackTableAndABadTrackChangeNothing)
{
    auto t = track(3);
    for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s)
        ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, nullptr, FALSE), (S32)s);
    setU32(FCID("SNS7"), 0x12345678);
    EXPECT_EQ(T_NAV_nAddTrack(t.get(), 1, "ONE MORE", FALSE), 0xFFFF);
    EXPECT_EQ(filesIn("tracks"), NAV_TRACK_SLOTS);
    EXPECT_EQ(getU32(FCID("SNS7")), 0x12345678u) << "no settings touched";

    T_NAV_vDeleteTrack(9, FALSE);
    struct Case {
        U16 count;
        U16 firstDelta;
    };
    for (const Case& c : {Case{0, 0}, Case{TRACK_MAX_POINTS + 1, 0}, Case{5, TRACK_DELTA_COUNT}}) {
        auto bad = track(3);
        bad->u16Count = c.count;
        bad->u16FirstDelta = c.firstDelta;
        EXPECT_EQ(T_NAV_nAddTrack(bad.get(), 1, nullptr, FALSE), 0xFFFF) << c.count << " " << c.firstDelta;
    }
    EXPECT_EQ(T_NAV_pGetTrackHeader(9)->u16Count, 0);
    EXPECT_FALSE(hasFile("tracks/9"));
}

TEST_F(TableStore, NewTracksTakeTheDefaultStyleColourAndVisibility)
{
    setU32(FCID("SNDS"), 3);
    setU32(FCID("SNRC"), 16);
    setU32(FCID("SNDV"), 0);
    setU32(FCID("SNS1"), 0xAAAAAAAA);
    auto t = track(2);
    std::set<U32> colours;
    for (U32 s = 0; s < NAV_TRACK_SLOTS; ++s) {
        ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, nullptr, FALSE), (S32)s);
        EXPECT_EQ(T_NAV_nGetTrackStyle(s), 3u);
        const U32 c = T_NAV_nGetTrackColor(s);
        EXPECT_LE(c, 14u);
        colours.insert(c);
        EXPECT_FALSE(T_NAV_bGetTrackVisibility(s));
    }
    EXPECT_GT(colours.size(), 3u) << "random colours";
    EXPECT_EQ(getU32(FCID("SNS1")), 0x33333333u);
    EXPECT_EQ(getU32(FCID("SNTV")), 0u);
    EXPECT_EQ(getU32(FCID("SNV2")), 0xFFFC0000u) << "only tracks 32-49 cleared";

    T_NAV_vDeleteTrack(7, FALSE);
    EXPECT_EQ(getU32(FCID("SNTV")), 1u << 7) << "a deleted slot starts visible again";
    setU32(FCID("SNRC"), 9);
    setU32(FCID("SNDV"), 1);
    ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, nullptr, FALSE), 7);
    EXPECT_EQ(T_NAV_nGetTrackColor(7), 9u);
    EXPECT_TRUE(T_NAV_bGetTrackVisibility(7));
}

TEST_F(TableStore, EachTracksSettingsLiveInItsOwnBitsOfItsOwnKey)
{
    // Missing keys read as the defaults.
    EXPECT_TRUE(T_NAV_bGetTrackVisibility(35));
    EXPECT_EQ(T_NAV_nGetTrackStyle(35), NAV_TRACK_DEFAULT_STYLE);
    EXPECT_EQ(T_NAV_nGetTrackColor(35), NAV_TRACK_DEFAULT_COLOR);

    T_NAV_vSetTrackVisibility(35, FALSE);
    EXPECT_EQ(getU32(FCID("SNV2")), ~(1u << 3)) << "all others visible";
    EXPECT_EQ(getU32(FCID("SNTV")), 0xDEADBEEFu) << "untouched";
    EXPECT_TRUE(T_NAV_bSetTrackStyle(35, 0x1B));
    EXPECT_EQ(getU32(FCID("SNS5")), 0xBu << 12) << "the low four bits, all others 0";
    EXPECT_TRUE(T_NAV_bSetTrackColor(35, 6));
    EXPECT_EQ(getU32(FCID("SNC5")), 6u << 12);

    struct Case {
        U32 slot;
        char key[5];
        U32 shift;
    };
    const Case cases[] = {{0, "SNS1", 0}, {7, "SNS1", 28}, {8, "SNS2", 0}, {35, "SNS5", 12}, {49, "SNS7", 4}};
    for (const Case& c : cases) {
        const FOURCHARID key = FCID(c.key);
        setU32(key, 0x76543210u ^ (0xFu << c.shift));
        EXPECT_EQ(T_NAV_nGetTrackStyle(c.slot), (0x76543210u >> c.shift & 0xF) ^ 0xF) << c.slot;
        T_NAV_bSetTrackStyle(c.slot, 2);
        EXPECT_EQ(getU32(key), (0x76543210u & ~(0xFu << c.shift)) | 2u << c.shift) << c.slot;
    }

    EXPECT_FALSE(T_NAV_bGetTrackVisibility(50));
    EXPECT_FALSE(T_NAV_bSetTrackStyle(50, 1));
    EXPECT_FALSE(T_NAV_bSetTrackColor(56, 1));
    T_NAV_vSetTrackVisibility(50, FALSE);
    EXPECT_EQ(getU32(FCID("SNV2")), ~(1u << 3));
    EXPECT_EQ(getU32(FCID("SNC8")), 0xDEADBEEFu);
}

TEST_F(TableStore, RenamingRewritesTheTrackAndDeletingRemovesIt)
{
    auto t = track(12, "OLD");
    ASSERT_EQ(T_NAV_nAddTrack(t.get(), 77, "OLD", FALSE), 0);
    ASSERT_EQ(T_NAV_nAddTrack(t.get(), 77, "LOST", FALSE), 1);
    T_NAV_vRenameTrack(0, "A NAME LONGER THAN TWENTY");
    EXPECT_EQ(name(0), "A NAME LONGER THAN ");
    TRACK* loaded = T_NAV_NVRAM_pLoadTrack(0);
    EXPECT_TRUE(navt::sameTrackHeader(*loaded, *T_NAV_pGetTrackHeader(0)));
    EXPECT_TRUE(navt::sameRing(*loaded, *t));
    T_NAV_NVRAM_vReleaseTrack();

    // A track whose file is gone keeps its header; an empty track is not
    // written in its place.
    std::filesystem::remove(at("tracks/1"));
    T_NAV_vRenameTrack(1, "FOUND");
    EXPECT_EQ(name(1), "FOUND");
    EXPECT_EQ(T_NAV_pGetTrackHeader(1)->u16Count, 12);
    EXPECT_FALSE(hasFile("tracks/1"));
    T_NAV_vRenameTrack(2, "FREE");
    EXPECT_EQ(name(2), "") << "a free slot is left alone";
    EXPECT_FALSE(hasFile("tracks/2"));

    navt::setState(6);
    T_NAV_vDeleteTrack(0, FALSE);
    EXPECT_EQ(T_NAV_pGetTrackHeader(0)->u16Count, 0) << "memory changes in any case";
    EXPECT_TRUE(hasFile("tracks/0")) << "point of sale";
    ASSERT_EQ(T_NAV_nAddTrack(t.get(), 1, "AGAIN", FALSE), 0);
    T_NAV_vDeleteTrack(0, TRUE);
    EXPECT_FALSE(hasFile("tracks/0"));
}

TEST_F(TableStore, TheTrackListIsSortedByNamesReadOnlyWithinTheNameField)
{
    auto t = track(2);
    const char* names[] = {"DELTA", "ALPHA", "ABCDEFGHIJKLMNOPQRST", "CHARLIE", "ABCDEFGHIJKLMNOPQRST"};
    for (const char* n : names)
        T_NAV_nAddTrack(t.get(), 1, n, FALSE);
    // The 20th character is forced to a NUL; fill it again so that the
    // name runs to the field's end, as a header from a card may.
    T_NAV_pGetTrackHeader(2)->sName[19] = 'T';
    T_NAV_pGetTrackHeader(4)->sName[19] = 'T';
    U16 a = 2, b = 4;
    EXPECT_EQ(T_NAV_nCompareTracks(&a, &b), 0);

    U32 n = 0;
    U16 list[NAV_TRACK_SLOTS];
    T_NAV_vGetTracks(&n, list);
    ASSERT_EQ(n, 5u);
    std::vector<std::string> sorted;
    for (U32 i = 0; i < n; ++i)
        sorted.push_back(name(list[i]));
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    EXPECT_EQ(sorted.back(), "DELTA");
}

} // namespace
