// vondrel-fontgen: makes the program's bitmap fonts from a scalable font.
//
//   vondrel-fontgen OUTPUT_FOLDER [WIDE.ttf NARROW.ttf]
//
// Writes one C++ file per font of the catalogue below into OUTPUT_FOLDER
// (the checked-in copy lives in graphics/fonts/). The sources are a wide
// and a narrow bold sans, by default DejaVu Sans Bold and Liberation Sans
// Narrow Bold; each font is drawn from the one whose proportions are
// nearer its name's. Every glyph is rendered hinted and 1-bit by FreeType,
// so the same source files and FreeType version give the same files; both
// are named in each file's first lines.
//
// Sizes follow the font names: "16x17" is a core height of 17 rows (the
// capital H of a text font, the digit 0 of a readout font, measured in ink
// rows) and a digit advance of 16 pixels. The vertical size is searched for
// the core height, then the horizontal size for the digit advance, so the
// face is drawn narrower or wider as the name asks. A glyph wider than the
// font's maximum width is drawn narrower until it fits; the digits all take
// the width of the widest.
//
// Which character a code shows comes from the unit's code table
// (Unicode_Table_Hex): the first row holding the code in the font's set.
#include "util/u_unicode.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* DEFAULT_WIDE = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char* DEFAULT_NARROW = "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf";

enum class Glyphs {
    SET_1,   // the whole coding of font set 1
    SET_2,   // the whole coding of font set 2
    ASCII,   // printable ASCII
    READOUT, // numeric readouts
};

// A readout font carries the characters of numbers, times, positions and
// bearings; the degree sign has code 0xBA in both font sets.
constexpr char READOUT_CHARACTERS[] = " +,-./0123456789:x\xBA";

struct CatalogueEntry {
    const char* name;       // the font is <name>_font_def
    unsigned digitAdvance;  // from the name
    unsigned core;          // from the name
    unsigned height;        // cell height in rows
    unsigned ascender;
    unsigned descender;
    unsigned maxWidth;      // 0: the widest glyph as drawn
    unsigned spacing;       // informative
    Glyphs glyphs;
};

// Metrics the screens are laid out for. Readout fonts not given otherwise
// get core / 40 rows above and below the core.
#define READOUT(name, w, h, max) {name, w, h, h + 2 * (h / 40), h / 40, h / 40, max, 2, Glyphs::READOUT}
const CatalogueEntry CATALOGUE[] = {
    {"vondrel_9x13", 9, 13, 21, 4, 4, 17, 2, Glyphs::SET_1},
    {"vondrel_9x13_Cro_Rus", 9, 13, 21, 4, 4, 17, 2, Glyphs::SET_2},
    {"vondrel_11x14", 11, 14, 22, 4, 4, 18, 2, Glyphs::SET_1},
    {"vondrel_11x14_Cro_Rus", 11, 14, 22, 4, 4, 18, 2, Glyphs::SET_2},
    {"vondrel_16x17", 16, 17, 27, 5, 5, 22, 2, Glyphs::SET_1},
    {"vondrel_16x17_Cro_Rus", 16, 17, 27, 5, 5, 22, 2, Glyphs::SET_2},
    {"vondrel_6x11short", 6, 11, 17, 3, 3, 11, 2, Glyphs::ASCII},
    {"a14x21", 14, 21, 34, 7, 6, 19, 2, Glyphs::ASCII},
    {"f15x21", 15, 21, 33, 6, 6, 26, 2, Glyphs::ASCII},
    {"a15x25", 15, 25, 40, 7, 8, 29, 2, Glyphs::SET_1},
    {"atwentfourfourthreegreek", 24, 42, 68, 12, 14, 50, 2, Glyphs::SET_1},
    {"atwentfourfourthreeRUS", 24, 42, 66, 12, 12, 50, 2, Glyphs::SET_2},
    {"f7x10", 7, 10, 10, 0, 0, 9, 1, Glyphs::READOUT},
    {"a87x133", 87, 133, 139, 3, 3, 97, 3, Glyphs::READOUT},
    {"aonehuntwentfiveonehuneightone", 125, 178, 182, 1, 3, 125, 2, Glyphs::READOUT},
    READOUT("f9x14", 9, 14, 0),
    READOUT("f13x19", 13, 19, 0),
    READOUT("f13x19a", 13, 19, 0),
    READOUT("f16x26", 16, 26, 0),
    READOUT("f17x21", 17, 21, 0),
    READOUT("f18x27", 18, 27, 0),
    READOUT("f18x32", 18, 32, 0),
    READOUT("f19x30", 19, 30, 0),
    READOUT("f21x33", 21, 33, 0),
    READOUT("f21x38", 21, 38, 0),
    READOUT("f22x32", 22, 32, 0),
    READOUT("f25x44", 25, 44, 0),
    READOUT("f29x44", 29, 44, 0),
    READOUT("f31x57", 31, 57, 0),
    READOUT("f32x48", 32, 48, 0),
    READOUT("f34x62", 34, 62, 0),
    READOUT("f40x60", 40, 60, 0),
    READOUT("f40x71", 40, 71, 0),
    READOUT("f44x76", 44, 76, 0),
    READOUT("f58x88", 58, 88, 0),
    READOUT("f65x133", 65, 133, 0),
    READOUT("a24x37", 24, 37, 0),
    READOUT("a29x44", 29, 44, 0),
    READOUT("a34x53", 34, 53, 0),
    READOUT("a38x60", 38, 60, 0),
    READOUT("a42x66", 42, 66, 0),
    READOUT("a58x88", 58, 88, 0),
    READOUT("myriad_9x14", 9, 14, 0),
    READOUT("myriad_15x21", 15, 21, 0),
    READOUT("myriad_21x33", 21, 33, 0),
    READOUT("myriad_22x32", 22, 32, 0),
    READOUT("myriad_29x44", 29, 44, 0),
    READOUT("myriad_42x66", 42, 66, 0),
    READOUT("myr33x44", 33, 44, 0),
    READOUT("aonehunsixteenonehunsixnine", 116, 169, 0),
};
#undef READOUT

// Code point of each code the font carries.
std::map<unsigned, unsigned> codesOf(Glyphs glyphs)
{
    std::map<unsigned, unsigned> codes;
    auto fromSet = [&](bool bSet1) {
        for (int r = 0; r < Unicode_Table_Rows; ++r) {
            const UNICODE_TABLE_ROW& row = Unicode_Table_Hex[r];
            const unsigned code = bSet1 ? row.u8FontSet1 : row.u8FontSet2;
            if (code >= 0x20)
                codes.emplace(code, row.u16CodePoint); // the first row wins
        }
    };
    switch (glyphs) {
    case Glyphs::SET_1:
        fromSet(true);
        break;
    case Glyphs::SET_2:
        fromSet(false);
        break;
    case Glyphs::ASCII:
        for (unsigned c = 0x20; c < 0x7F; ++c)
            codes[c] = c;
        break;
    case Glyphs::READOUT: {
        std::map<unsigned, unsigned> set1;
        for (int r = 0; r < Unicode_Table_Rows; ++r)
            if (Unicode_Table_Hex[r].u8FontSet1 != 0)
                set1.emplace(Unicode_Table_Hex[r].u8FontSet1, Unicode_Table_Hex[r].u16CodePoint);
        for (const char* p = READOUT_CHARACTERS; *p != 0; ++p)
            codes[(unsigned char)*p] = set1.at((unsigned char)*p);
        break;
    }
    }
    return codes;
}

struct Glyph {
    unsigned code;
    unsigned codePoint;
    unsigned width;
    std::vector<unsigned char> bits; // height rows of (width + 7) / 8 bytes
};

class Renderer {
public:
    explicit Renderer(FT_Face face) : face_(face) {}

    bool setSize(FT_F26Dot6 width, FT_F26Dot6 height)
    {
        width_ = width;
        height_ = height;
        return FT_Set_Char_Size(face_, width, height, 72, 72) == 0;
    }

    bool load(unsigned codePoint)
    {
        const FT_UInt index = FT_Get_Char_Index(face_, codePoint);
        return index != 0 && FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0 &&
               face_->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    }

    bool hasGlyph(unsigned codePoint) const { return FT_Get_Char_Index(face_, codePoint) != 0; }

    // Ink rows and hinted advance of a character at the current size.
    unsigned inkRows(unsigned codePoint) { return load(codePoint) ? face_->glyph->bitmap.rows : 0; }
    unsigned advance(unsigned codePoint)
    {
        return load(codePoint) ? (unsigned)((face_->glyph->advance.x + 32) >> 6) : 0;
    }

    FT_GlyphSlot slot() const { return face_->glyph; }
    FT_F26Dot6 width() const { return width_; }
    FT_F26Dot6 height() const { return height_; }

private:
    FT_Face face_;
    FT_F26Dot6 width_ = 0;
    FT_F26Dot6 height_ = 0;
};

// The vertical size, in 1/64 pixel, whose reference character is core
// rows high: the largest such size, so that strokes are as heavy as the
// core allows. Hinting makes some heights unreachable; then the largest
// size one row short of the core serves.
std::optional<FT_F26Dot6> findHeight(Renderer& r, unsigned reference, unsigned core)
{
    std::optional<FT_F26Dot6> exact, below;
    for (FT_F26Dot6 h = 64 * 4; h <= 64 * 400; h += 4) {
        if (!r.setSize(h, h))
            return std::nullopt;
        const unsigned rows = r.inkRows(reference);
        if (rows == core)
            exact = h;
        else if (rows + 1 == core)
            below = h;
        if (rows > core)
            break;
    }
    return exact ? exact : below;
}

// The horizontal size whose digit advance is the name's, closest to square.
std::optional<FT_F26Dot6> findWidth(Renderer& r, FT_F26Dot6 height, unsigned digitAdvance)
{
    std::optional<FT_F26Dot6> best;
    for (FT_F26Dot6 w = 64; w <= 64 * 600; w += 4) {
        if (!r.setSize(w, height))
            return std::nullopt;
        const unsigned adv = r.advance('0');
        if (adv == digitAdvance && (!best || std::abs(w - height) < std::abs(*best - height)))
            best = w;
        if (adv > digitAdvance)
            break;
    }
    return best;
}

// Draws the loaded glyph into a cell of entry.height rows.
Glyph cellOf(const CatalogueEntry& entry, FT_GlyphSlot slot, unsigned code, unsigned codePoint, unsigned minWidth)
{
    const FT_Bitmap& bm = slot->bitmap;
    const int left = std::max(0, slot->bitmap_left);
    const unsigned advance = (unsigned)((slot->advance.x + 32) >> 6);
    Glyph g{code, codePoint, std::max({advance, (unsigned)left + bm.width, minWidth}), {}};
    if (entry.maxWidth != 0)
        g.width = std::min(g.width, entry.maxWidth);
    const unsigned rowBytes = (g.width + 7) / 8;
    g.bits.assign((size_t)rowBytes * entry.height, 0);
    const int baselineRow = (int)(entry.height - entry.descender); // first row below the baseline
    for (unsigned k = 0; k < bm.rows; ++k) {
        const int row = baselineRow - slot->bitmap_top + (int)k;
        if (row < 0 || row >= (int)entry.height)
            continue;
        const unsigned char* src = bm.buffer + (ptrdiff_t)k * bm.pitch;
        for (unsigned j = 0; j < bm.width; ++j) {
            const unsigned col = (unsigned)left + j;
            if (col >= g.width || (src[j / 8] & (0x80 >> (j % 8))) == 0)
                continue;
            g.bits[(size_t)row * rowBytes + col / 8] |= (unsigned char)(0x80 >> (col % 8));
        }
    }
    return g;
}

std::optional<Glyph> renderGlyph(Renderer& r, const CatalogueEntry& entry, unsigned code, unsigned codePoint,
                                 unsigned minWidth = 0)
{
    if (!r.hasGlyph(codePoint))
        return std::nullopt;
    const FT_F26Dot6 width = r.width(), height = r.height();
    // Narrower until the glyph fits the maximum width.
    for (FT_F26Dot6 w = width; w > 64; w -= 8) {
        if (!r.setSize(w, height) || !r.load(codePoint))
            break;
        const FT_GlyphSlot slot = r.slot();
        const unsigned need = std::max((unsigned)((slot->advance.x + 32) >> 6),
                                       (unsigned)std::max(0, slot->bitmap_left) + slot->bitmap.width);
        if (entry.maxWidth == 0 || need <= entry.maxWidth) {
            Glyph g = cellOf(entry, slot, code, codePoint, minWidth);
            r.setSize(width, height);
            return g;
        }
    }
    r.setSize(width, height);
    if (!r.load(codePoint))
        return std::nullopt;
    return cellOf(entry, r.slot(), code, codePoint, minWidth);
}

std::string sourceVersion(FT_Face face)
{
    FT_SfntName name;
    for (FT_UInt i = 0, n = FT_Get_Sfnt_Name_Count(face); i < n; ++i) {
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != TT_NAME_ID_VERSION_STRING ||
            name.platform_id != TT_PLATFORM_MACINTOSH)
            continue;
        return std::string((const char*)name.string, name.string_len);
    }
    return "unknown version";
}

std::string describe(unsigned code, unsigned codePoint)
{
    char text[48];
    snprintf(text, sizeof text, "0x%02X U+%04X", code, codePoint);
    return text;
}

// Fonts whose glyphs come out the same (the free faces draw several catalogue
// fonts alike at one size) share the first one's table: glyph table text ->
// name of the font that holds it.
using SharedTables = std::map<std::string, std::string>;

bool writeFont(const std::filesystem::path& folder, const CatalogueEntry& entry, const std::vector<Glyph>& glyphs,
               const std::string& stamp, SharedTables& shared)
{
    unsigned maxWidth = entry.maxWidth;
    for (const Glyph& g : glyphs)
        if (entry.maxWidth == 0)
            maxWidth = std::max(maxWidth, g.width);

    std::ostringstream out;
    out << "const U8 s_au8Bits[] = {";
    size_t offset = 0, column = 80;
    std::vector<size_t> offsets;
    for (const Glyph& g : glyphs) {
        offsets.push_back(offset);
        for (unsigned char b : g.bits) {
            const std::string item = std::to_string(b) + ",";
            if (column + item.size() > 110) {
                out << "\n    ";
                column = 4;
            }
            out << item;
            column += item.size();
        }
        offset += g.bits.size();
    }
    out << "\n};\n\nconst CHAR_DESC s_aChars[] = {\n";
    for (size_t i = 0; i < glyphs.size(); ++i)
        out << "    {s_au8Bits + " << offsets[i] << ", " << glyphs[i].width << "}, // "
            << describe(glyphs[i].code, glyphs[i].codePoint) << "\n";
    out << "};\n\n} // namespace\n\n";
    std::vector<int> slot(256, -1);
    for (size_t i = 0; i < glyphs.size(); ++i)
        slot[glyphs[i].code] = (int)i;
    std::ostringstream pointers;
    for (unsigned code = 0; code < 256; code += 8) {
        pointers << "   ";
        for (unsigned c = code; c < code + 8; ++c)
            pointers << " " << (slot[c] < 0 ? std::string("nullptr,") : "&s_aChars[" + std::to_string(slot[c]) + "],");
        pointers << "\n";
    }
    const std::string table = out.str() + pointers.str();

    std::ostringstream file;
    file << "// " << entry.name << "_font_def: generated by tools/vondrel_fontgen.cpp, do not edit.\n";
    file << "// " << stamp << "\n";
    file << "#include \"graphics/u_fonts.h\"\n\n";
    std::string owner = entry.name;
    auto [it, fresh] = shared.emplace(table, owner);
    if (fresh) {
        file << "namespace {\n\n" << out.str();
        file << "extern const CHAR_DESC* const " << owner << "_glyphs[256];\n";
        file << "const CHAR_DESC* const " << owner << "_glyphs[256] = {\n" << pointers.str() << "};\n\n";
    } else {
        owner = it->second;
        file << "// The same glyphs as " << owner << ".\n";
        file << "extern const CHAR_DESC* const " << owner << "_glyphs[256];\n\n";
    }
    file << "extern const FONT_DEF " << entry.name << "_font_def = {{" << owner << "_glyphs}, " << entry.height
         << ", " << entry.ascender << ", " << entry.descender << ", " << maxWidth << ", " << entry.spacing << "};\n";

    const std::filesystem::path path = folder / (std::string(entry.name) + ".cpp");
    std::ofstream f(path, std::ios::binary);
    f << file.str();
    return (bool)f;
}

// A source face and the proportion it was designed with: digit advance
// over the height of the reference character, in font units.
struct Source {
    FT_Face face = nullptr;
    std::string stamp;

    double proportion(unsigned reference) const
    {
        double advance = 0, height = 0;
        if (FT_Load_Char(face, '0', FT_LOAD_NO_SCALE) == 0)
            advance = (double)face->glyph->metrics.horiAdvance;
        if (FT_Load_Char(face, reference, FT_LOAD_NO_SCALE) == 0)
            height = (double)face->glyph->metrics.height;
        return height > 0 ? advance / height : 1.0;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        fprintf(stderr, "usage: vondrel-fontgen OUTPUT_FOLDER [WIDE.ttf NARROW.ttf]\n");
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    const char* paths[2] = {argc == 4 ? argv[2] : DEFAULT_WIDE, argc == 4 ? argv[3] : DEFAULT_NARROW};
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return 2;
    FT_Int major, minor, patch;
    FT_Library_Version(library, &major, &minor, &patch);
    Source sources[2];
    for (int k = 0; k < 2; ++k) {
        if (FT_New_Face(library, paths[k], 0, &sources[k].face) != 0) {
            fprintf(stderr, "vondrel-fontgen: cannot open %s\n", paths[k]);
            return 2;
        }
        const FT_Face face = sources[k].face;
        sources[k].stamp = std::string("Source: ") + face->family_name + " " + face->style_name + ", " +
                           sourceVersion(face) + "; FreeType " + std::to_string(major) + "." +
                           std::to_string(minor) + "." + std::to_string(patch) + ".";
    }

    int failures = 0;
    SharedTables shared;
    for (const CatalogueEntry& entry : CATALOGUE) {
        const unsigned reference = entry.glyphs == Glyphs::READOUT ? '0' : 'H';
        // The face whose own proportion is nearest the name's needs the
        // least squeezing or stretching.
        const double want = (double)entry.digitAdvance / entry.core;
        const Source& source = std::abs(std::log(want / sources[0].proportion(reference))) <=
                                       std::abs(std::log(want / sources[1].proportion(reference)))
                                   ? sources[0]
                                   : sources[1];
        Renderer r(source.face);
        const std::optional<FT_F26Dot6> height = findHeight(r, reference, entry.core);
        const std::optional<FT_F26Dot6> width = height ? findWidth(r, *height, entry.digitAdvance) : std::nullopt;
        if (!height || !width) {
            fprintf(stderr, "vondrel-fontgen: no size fits %s\n", entry.name);
            ++failures;
            continue;
        }
        r.setSize(*width, *height);
        // Digits share one width, the widest one's, so readouts stand still.
        unsigned digitWidth = 0;
        for (unsigned d = '0'; d <= '9'; ++d)
            if (std::optional<Glyph> g = renderGlyph(r, entry, d, d))
                digitWidth = std::max(digitWidth, g->width);
        std::vector<Glyph> glyphs;
        for (const auto& [code, codePoint] : codesOf(entry.glyphs)) {
            const bool bDigit = code >= '0' && code <= '9';
            std::optional<Glyph> g = renderGlyph(r, entry, code, codePoint, bDigit ? digitWidth : 0);
            if (g)
                glyphs.push_back(std::move(*g));
            else
                fprintf(stderr, "vondrel-fontgen: %s has no glyph for %s\n", entry.name,
                        describe(code, codePoint).c_str());
        }
        if (!writeFont(folder, entry, glyphs, source.stamp, shared)) {
            fprintf(stderr, "vondrel-fontgen: cannot write %s\n", entry.name);
            ++failures;
        }
    }
    for (Source& source : sources)
        FT_Done_Face(source.face);
    FT_Done_FreeType(library);
    return failures == 0 ? 0 : 3;
}
