// Small helpers of the message-fabric tests: byte strings from hex, the
// serializer called the way the message layer calls it, captured log text.
#pragma once

#include "gmsg/datatype.h"
#include "kernel/h_memory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace gt {

using Bytes = std::vector<U8>;

inline Bytes hex(const char* text)
{
    Bytes out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        char pair[3] = {p[0], p[1], 0};
        out.push_back((U8)strtoul(pair, nullptr, 16));
        p += 2;
    }
    return out;
}

// Serializes into a block of its own; result < 0 leaves `out` empty.
inline int serialize(const void* value, const G_DATA_TYPE* t, Bytes& out)
{
    void* block = nullptr;
    int remaining = 0;
    int size = 0;
    const int r = t->pfSerialize(const_cast<void*>(value), &block, &remaining, &size, t);
    out.clear();
    if (r >= 0) {
        EXPECT_EQ(r, size);
        EXPECT_EQ(remaining, 0);
        out.assign((U8*)block, (U8*)block + size);
        H_MEMORY_vFree(block);
    } else {
        EXPECT_EQ(block, nullptr);
    }
    return r;
}

inline Bytes serialized(const void* value, const G_DATA_TYPE* t)
{
    Bytes out;
    EXPECT_GE(serialize(value, t, out), 0) << t->pTypeId;
    return out;
}

// Deserializes all of `wire` into a new value (*value null) or into *value.
inline int deserialize(const Bytes& wire, const G_DATA_TYPE* t, void** value, int* consumed = nullptr)
{
    int remaining = (int)wire.size();
    int size = 0;
    const int r = t->pfDeserialize(value, wire.empty() ? nullptr : (void*)wire.data(), &remaining, &size, t);
    if (r >= 0) {
        EXPECT_EQ(r, size);
        EXPECT_EQ(remaining, (int)wire.size() - size);
    }
    if (consumed)
        *consumed = size;
    return r;
}

// Log lines written while the object lives.
class LogCapture {
public:
    LogCapture() { testing::internal::CaptureStdout(); }
    ~LogCapture()
    {
        if (!taken_)
            testing::internal::GetCapturedStdout();
    }
    std::string text()
    {
        if (!taken_) {
            text_ = testing::internal::GetCapturedStdout();
            taken_ = true;
        }
        return text_;
    }
    bool has(const std::string& line) { return text().find(line) != std::string::npos; }

private:
    bool taken_ = false;
    std::string text_;
};

} // namespace gt
