// Writes chart_sdk/graphics/fnt_glyphs.cpp, the bodies of the three built-in
// chart bitmap fonts, from the public-domain "misc-fixed" X11 bitmap fonts
// (Debian package xfonts-base) read with FreeType:
//   6 x 9 cell  from 6x9.pcf.gz   (digits, signs and the degree ring only)
//   6 x 11 cell from 6x10.pcf.gz  (one empty row on top)
//   9 x 15 cell from 9x15.pcf.gz
// Run tools/chart_fonts/regenerate.sh; the output is checked in.
//
// Body layout: 256 little-endian 32-bit offsets from the start of the body
// (entry i is the glyph record of code i), four bytes 0xFF, then the glyph
// records: a width byte and the rows bottom row first, column j being bit
// j mod 8 of byte j / 8. Codes without a glyph share the first record, the
// empty one.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct FontSpec {
    const char* name;
    const char* file;
    int width;
    int height;
    int descender;
    bool digitsOnly;
};

const FontSpec kFonts[] = {
    {"Orvane06x09", "6x9.pcf.gz", 6, 9, 2, true},
    {"Orvane06x11", "6x10.pcf.gz", 6, 11, 2, false},
    {"Orvane09x15", "9x15.pcf.gz", 9, 15, 3, false},
};

// The character code of the unit and the Unicode character drawn for it.
unsigned Unicode(int code)
{
    switch (code) {
    case 24:
        return 0x2191; // up arrow
    case 25:
        return 0x2193; // down arrow
    case 127:
        return 0x00B0; // degree ring
    case 138:
        return 0x0160;
    case 140:
        return 0x0152;
    case 142:
        return 0x017D;
    case 154:
        return 0x0161;
    case 156:
        return 0x0153;
    case 158:
        return 0x017E;
    case 159:
        return 0x0178;
    default:
        return static_cast<unsigned>(code);
    }
}

std::vector<int> Codes(bool digitsOnly)
{
    std::vector<int> codes;
    if (digitsOnly) {
        for (int c : std::initializer_list<int>{'+', '-', '.', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', ':', 127}) {
            codes.push_back(c);
        }
        return codes;
    }
    codes = {24, 25};
    for (int c = 33; c <= 127; ++c) {
        codes.push_back(c);
    }
    // A few letters in 128..159, then letters with diacritics, currency and
    // punctuation signs at their ISO 8859-1 places.
    for (int c : {138, 140, 142, 154, 156, 158, 159}) {
        codes.push_back(c);
    }
    for (int c : {161, 162, 163, 165, 167, 171, 176, 177, 187, 191}) {
        codes.push_back(c);
    }
    for (int c = 192; c <= 255; ++c) {
        codes.push_back(c);
    }
    return codes;
}

bool Render(FT_Face face, const FontSpec& spec, int code, std::vector<uint8_t>* record)
{
    const int rowSize = (spec.width + 7) / 8;
    record->assign(1 + static_cast<size_t>(spec.height) * rowSize, 0);
    (*record)[0] = static_cast<uint8_t>(spec.width);
    const FT_UInt index = FT_Get_Char_Index(face, Unicode(code));
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
        std::fprintf(stderr, "%s: no glyph for code %d\n", spec.name, code);
        return false;
    }
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    for (unsigned y = 0; y < bm.rows; ++y) {
        for (unsigned x = 0; x < bm.width; ++x) {
            const uint8_t* src = bm.buffer + static_cast<long>(y) * bm.pitch;
            if (!((src[x / 8] >> (7 - x % 8)) & 1)) {
                continue;
            }
            const int row = g->bitmap_top - 1 - static_cast<int>(y) + spec.descender;
            const int col = g->bitmap_left + static_cast<int>(x);
            if (row < 0 || row >= spec.height || col < 0 || col >= spec.width) {
                std::fprintf(stderr, "%s: code %d loses a pixel outside the cell\n", spec.name, code);
                continue;
            }
            (*record)[1 + static_cast<size_t>(row) * rowSize + col / 8] |= static_cast<uint8_t>(1u << (col % 8));
        }
    }
    return true;
}

bool Body(FT_Library lib, const std::string& dir, const FontSpec& spec, std::vector<uint8_t>* body, int* records)
{
    FT_Face face = nullptr;
    const std::string path = dir + "/" + spec.file;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return false;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    const int rowSize = (spec.width + 7) / 8;
    const uint32_t blockSize = 1 + static_cast<uint32_t>(spec.height * rowSize);
    const std::vector<int> codes = Codes(spec.digitsOnly);
    std::vector<uint32_t> offsets(256, 1028);
    std::vector<uint8_t> glyphs(blockSize, 0);
    glyphs[0] = static_cast<uint8_t>(spec.width);
    bool ok = true;
    for (size_t i = 0; i < codes.size(); ++i) {
        std::vector<uint8_t> record;
        ok = Render(face, spec, codes[i], &record) && ok;
        offsets[static_cast<size_t>(codes[i])] = 1028 + static_cast<uint32_t>(i + 1) * blockSize;
        glyphs.insert(glyphs.end(), record.begin(), record.end());
    }
    FT_Done_Face(face);
    body->clear();
    for (uint32_t off : offsets) {
        for (int b = 0; b < 4; ++b) {
            body->push_back(static_cast<uint8_t>(off >> (8 * b)));
        }
    }
    body->insert(body->end(), 4, 0xFF);
    body->insert(body->end(), glyphs.begin(), glyphs.end());
    *records = static_cast<int>(codes.size() + 1);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/usr/share/fonts/X11/misc";
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) {
        return 1;
    }
    std::printf("// Bodies of the built-in chart bitmap fonts. Generated by\n"
                "// tools/chart_fonts/gen_chart_fonts.cpp from the public-domain misc-fixed\n"
                "// X11 bitmap fonts; do not edit.\n"
                "#include \"chart_sdk/graphics/fnt_glyphs.h\"\n");
    bool ok = true;
    for (const FontSpec& spec : kFonts) {
        std::vector<uint8_t> body;
        int records = 0;
        ok = Body(lib, dir, spec, &body, &records) && ok;
        std::printf("\n// %s: %d x %d cell, %d glyph records.\n", spec.name, spec.width, spec.height, records);
        std::printf("const UCHAR fnt_aucBody%s[%zu] = {", spec.name, body.size());
        for (size_t i = 0; i < body.size(); ++i) {
            std::printf("%s0x%02X,", i % 16 == 0 ? "\n    " : " ", body[i]);
        }
        std::printf("\n};\n");
    }
    FT_Done_FreeType(lib);
    return ok ? 0 : 1;
}
