// Base64: padding rules, the validity check, and agreement with the
// coreutils base64 program both ways over random data.
#include "util/base64.h"

#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string encode(const std::string& data)
{
    char* text = BASE64_pcEncode((const U8*)data.data(), (int)data.size());
    std::string s = text ? text : "<null>";
    free(text);
    return s;
}

std::string decode(const std::string& text)
{
    int n = -1;
    U8* data = BASE64_pu8Decode(text.c_str(), &n);
    std::string s = data ? std::string((const char*)data, (size_t)n) : "<null>";
    free(data);
    return s;
}

TEST(Base64, PaddingByGroupLength)
{
    struct {
        const char* data;
        const char* text;
    } cases[] = {{"M", "TQ=="}, {"Ma", "TWE="}, {"Man", "TWFu"}, {"Many", "TWFueQ=="}, {"Many?", "TWFueT8="}};
    for (auto& c : cases) {
        EXPECT_EQ(encode(c.data), c.text);
        EXPECT_EQ(decode(c.text), c.data);
    }
}

TEST(Base64, EmptyOrNullInputEncodesToNull)
{
    EXPECT_EQ(BASE64_pcEncode(nullptr, 3), nullptr);
    const U8 one = 1;
    EXPECT_EQ(BASE64_pcEncode(&one, 0), nullptr);
    EXPECT_EQ(decode(""), "");
}

TEST(Base64, ValidityCheck)
{
    struct {
        const char* text;
        BOOLEAN valid;
    } cases[] = {
        {"TQ==", TRUE}, {"", TRUE},      {"TWFu", TRUE},  {"=QQQ", FALSE}, // '=' before the last three
        {"TQ=", FALSE}, {"TQ*=", FALSE}, {"TW u", FALSE}, {"TWFuTQ==", TRUE},
        {"TQ==TWFu", FALSE},
    };
    for (auto& c : cases)
        EXPECT_EQ(BASE64_bIsBase64(c.text), c.valid) << c.text;
}

TEST(Base64, RoundTripAgainstCoreutils)
{
    vt::TempRoot root;
    std::mt19937 rng(7);
    for (size_t len : {1u, 2u, 3u, 4u, 5u, 57u, 58u, 59u, 1000u, 4099u}) {
        std::string data(len, '\0');
        for (auto& c : data)
            c = (char)rng();
        std::string bin = root.at("/tmp/data.bin");
        ASSERT_TRUE(vt::writeFile(bin, data));
        auto theirs = vt::runProcess({"/usr/bin/base64", "-w0", bin});
        ASSERT_EQ(theirs.status, 0);
        std::string ours = encode(data);
        EXPECT_EQ(ours, theirs.out) << len;
        EXPECT_TRUE(BASE64_bIsBase64(ours.c_str()));

        std::string txt = root.at("/tmp/data.txt");
        ASSERT_TRUE(vt::writeFile(txt, ours));
        auto back = vt::runProcess({"/usr/bin/base64", "-d", txt});
        ASSERT_EQ(back.status, 0);
        EXPECT_EQ(back.out, data) << len;
        EXPECT_EQ(decode(theirs.out), data) << len;
    }
}

} // namespace
