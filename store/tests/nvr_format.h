// The settings files as a reader outside the unit sees them, written from
// the format alone: nvr_entries.dat (little-endian U32 per slot) and
// nvr_statbit.dat (little-endian U32 words, slot n in bit n % 32 of word
// n / 32), slots 0-46655 for "S" plus three base-36 digits and
// 46656-46658 for "NVER", "CREV", "FFST". Also a model of how the files
// grow when each value and its whole bitmap word are written in place.
#pragma once

#include "kernel/l_types.h"
#include "testing/t_root.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace nvt {

constexpr U32 SLOTS = 46659;
const char* const SPECIALS[3] = {"NVER", "CREV", "FFST"};

inline U32 fc(const std::string& key)
{
    return (U32)(U8)key[0] | (U32)(U8)key[1] << 8 | (U32)(U8)key[2] << 16 | (U32)(U8)key[3] << 24;
}

inline U32 digit(char c)
{
    if (c >= '0' && c <= '9')
        return (U32)(c - '0');
    if (c >= 'A' && c <= 'Z')
        return (U32)(c - 'A' + 10);
    return 0;
}

// The slot of a key; SLOTS for a key without one.
inline U32 slotOf(const std::string& key)
{
    for (U32 i = 0; i < 3; ++i) {
        if (key == SPECIALS[i])
            return 46656 + i;
    }
    if (key.size() != 4 || key[0] != 'S')
        return SLOTS;
    return 1296 * digit(key[1]) + 36 * digit(key[2]) + digit(key[3]);
}

inline std::string keyOf(U32 slot)
{
    if (slot >= 46656)
        return SPECIALS[slot - 46656];
    auto d = [](U32 v) { return (char)(v < 10 ? '0' + v : 'A' + v - 10); };
    return std::string("S") + d(slot / 1296) + d(slot / 36 % 36) + d(slot % 36);
}

struct Files {
    std::string entries;
    std::string statbit;
    bool operator==(const Files&) const = default;
};

inline U32 le32(const std::string& b, size_t at)
{
    return (U32)(U8)b[at] | (U32)(U8)b[at + 1] << 8 | (U32)(U8)b[at + 2] << 16 | (U32)(U8)b[at + 3] << 24;
}

inline void putLe32(std::string& b, size_t at, U32 v)
{
    if (b.size() < at + 4)
        b.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i)
        b[at + i] = (char)(v >> (8 * i));
}

// Every slot whose bit is set and whose value the entries file holds.
inline std::map<std::string, U32> decode(const Files& f)
{
    std::map<std::string, U32> out;
    std::string bits = f.statbit;
    bits.resize(std::max(bits.size(), (size_t)4 * 1459), '\0'); // missing words are zero
    for (U32 slot = 0; slot < SLOTS; ++slot) {
        if (!(le32(bits, 4 * (size_t)(slot / 32)) >> (slot % 32) & 1))
            continue;
        if (f.entries.size() < 4 * (size_t)slot + 4)
            continue;
        out[keyOf(slot)] = le32(f.entries, 4 * (size_t)slot);
    }
    return out;
}

// Writing one value and then its whole bitmap word in place.
inline void writeInPlace(Files& f, const std::string& key, U32 value)
{
    U32 slot = slotOf(key);
    putLe32(f.entries, 4 * (size_t)slot, value);
    size_t word = slot / 32;
    std::string padded = f.statbit;
    padded.resize(std::max(padded.size(), 4 * word + 4), '\0');
    putLe32(f.statbit, 4 * word, le32(padded, 4 * word) | 1u << (slot % 32));
}

inline Files encode(const std::map<std::string, U32>& values)
{
    Files f;
    for (const auto& [key, value] : values)
        writeInPlace(f, key, value);
    return f;
}

inline Files readFiles(const std::string& dir)
{
    return {vt::readFile(dir + "/nvr_entries.dat"), vt::readFile(dir + "/nvr_statbit.dat")};
}

inline void writeFiles(const std::string& dir, const Files& f)
{
    vt::writeFile(dir + "/nvr_entries.dat", f.entries);
    vt::writeFile(dir + "/nvr_statbit.dat", f.statbit);
}

inline std::map<std::string, U32> readValues(const std::string& dir)
{
    return decode(readFiles(dir));
}

} // namespace nvt
