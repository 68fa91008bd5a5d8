// UTF-16 to and from the font coding: both font sets round-trip every
// character they have, and unmapped input, bad languages and short buffers
// give the documented results.
#include "util/u_unicode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr U32 LANG_ENGLISH = 0;
constexpr U32 LANG_RUSSIAN = 16;

std::u16string fromUnit(const std::string& in, U32 lang, int maxLen = 256)
{
    std::vector<UCHAR16> out((size_t)(maxLen > 0 ? maxLen : 1), 0xFFFF);
    U_UNICODE_vFromQuellmar(out.data(), in.c_str(), maxLen, lang);
    return std::u16string((const char16_t*)out.data());
}

std::string toUnit(const std::u16string& in, U32 lang, int maxLen = 256)
{
    std::vector<char> out((size_t)(maxLen > 6 ? maxLen : 6), 'x');
    U_UNICODE_vToQuellmar(out.data(), (const UCHAR16*)in.c_str(), maxLen, lang);
    return std::string(out.data());
}

TEST(Unicode, EachColumnCodesABytePerCharacterAtMostOnce)
{
    std::set<U8> set1, set2;
    std::set<UCHAR16> points;
    for (int r = 0; r < Unicode_Table_Rows; ++r) {
        const auto& row = Unicode_Table_Hex[r];
        EXPECT_TRUE(points.insert(row.u16CodePoint).second) << r;
        if (row.u8FontSet1) {
            EXPECT_TRUE(set1.insert(row.u8FontSet1).second) << r;
        }
        if (row.u8FontSet2) {
            EXPECT_TRUE(set2.insert(row.u8FontSet2).second) << r;
        }
        if (row.u16CodePoint >= 0x20 && row.u16CodePoint < 0x7F) {
            EXPECT_EQ(row.u8FontSet1, row.u16CodePoint);
            EXPECT_EQ(row.u8FontSet2, row.u16CodePoint);
        }
    }
}

TEST(Unicode, EveryCharacterOfBothSetsRoundTrips)
{
    for (U32 lang : {LANG_ENGLISH, LANG_RUSSIAN}) {
        std::string unit;
        std::u16string wide;
        for (int r = 0; r < Unicode_Table_Rows; ++r) {
            const auto& row = Unicode_Table_Hex[r];
            U8 code = lang == LANG_RUSSIAN ? row.u8FontSet2 : row.u8FontSet1;
            if (!code)
                continue;
            unit += (char)code;
            wide += (char16_t)row.u16CodePoint;
        }
        SCOPED_TRACE(lang);
        EXPECT_EQ(fromUnit(unit, lang, 1024), wide);
        EXPECT_EQ(toUnit(wide, lang, 1024), unit);
    }
}

TEST(Unicode, FontSetFollowsLanguage)
{
    const std::u16string zhe = u"\u0416"; // Cyrillic capital zhe
    EXPECT_EQ(toUnit(zhe, LANG_ENGLISH), "U-ERR");
    for (U32 lang : {15u, 16u, 17u})
        EXPECT_NE(toUnit(zhe, lang), "U-ERR") << lang;
}

TEST(Unicode, UnmappedCharactersAreDroppedOrMarked)
{
    // To 8-bit: one unmapped character among mapped ones is left out.
    EXPECT_EQ(toUnit(u"a\u4E2Db", LANG_ENGLISH), "ab");
    // Only unmapped characters: the error text.
    EXPECT_EQ(toUnit(u"\u4E2D\u6587", LANG_ENGLISH), "U-ERR");
    // From 8-bit: a byte the set lacks becomes '.'.
    std::string withControl = "a";
    withControl += '\x01';
    EXPECT_EQ(fromUnit(withControl, LANG_ENGLISH), u"a.");
}

TEST(Unicode, BadArgumentsGiveEmptyOrErrorText)
{
    EXPECT_EQ(fromUnit("abc", 22), u"");
    EXPECT_EQ(fromUnit("", LANG_ENGLISH), u"");
    EXPECT_EQ(fromUnit("abc", LANG_ENGLISH, 1), u"");
    EXPECT_EQ(toUnit(u"abc", 22), "U-ERR");
    EXPECT_EQ(toUnit(u"", LANG_ENGLISH), "U-ERR");
    EXPECT_EQ(toUnit(u"abc", LANG_ENGLISH, 1), "U-ERR");
}

TEST(Unicode, OutputLengthIsBoundedByMaxLen)
{
    EXPECT_EQ(fromUnit("abcdef", LANG_ENGLISH, 4), u"abc");
    EXPECT_EQ(toUnit(u"abcdef", LANG_ENGLISH, 4), "abc");
    EXPECT_EQ(toUnit(u"abcdef", LANG_ENGLISH, 2), "a");
}

} // namespace
