// TrueType text (see g_truetype.h).
//
// FreeType's own caches are held to 1024 bytes: the module's glyph list,
// searched linearly per (character, height), does the caching, so a
// readout redrawn every frame costs one list walk per character. Records
// and their coverage come from the program heap.
//
// The face is built in memory from a stock font file: its character maps
// are replaced by the three the unit's text needs, two 8-bit maps (Mac
// platform, encoding 0, format 6) that send the codes of font sets 1 and 2
// to their glyphs, and the Unicode map (Windows platform, encoding 1,
// format 4) of the file. The code table of the unit's character coding
// decides which character each 8-bit code is.
//
// One lock guards the glyph list, the pixel size of the next lookup and
// every FreeType call: the language change that empties the list comes from
// another task than the drawing. The outlined text sizes the face through
// a size object of its own, so that the cache's sizes keep their scale.
#include "graphics/g_truetype.h"

#include "graphics/g_image.h"
#include "graphics/g_pixel.h"
#include "kernel/h_memory.h"
#include "kernel/lm_log.h"
#include "util/u_unicode.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_SIZES_H

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

FONT_DEF ArialNarrow_Bold_Quellmarcoding = {{nullptr}, 0, 0, 0, 0, 0};

namespace {

constexpr const char* TRUETYPE_FONT_FOLDER = "/usr/share/fonts";
constexpr const char* TRUETYPE_FONT_NAME = "LiberationSansNarrow-Bold.ttf";
constexpr size_t TRUETYPE_MAX_FILE = 16u << 20;

constexpr U32 TRUETYPE_WORK_BYTES = 480000;
constexpr S32 TRUETYPE_WORK_PIXELS = TRUETYPE_WORK_BYTES / 4; // 32-bit pixels of the rotated text
constexpr S32 TRUETYPE_WORK_COLUMNS = 800;                    // cells of the outlined text
constexpr S32 TRUETYPE_WORK_ROWS = 600;
constexpr S64 TRUETYPE_SCREEN_TOP = 599;
constexpr S32 TRUETYPE_ROTATED_BASELINE = 32;
// Glyphs are not rendered above this pixel size: the small bitmaps of the
// cache hold no more than 255 rows, so a larger glyph could not be drawn,
// and rendering it would cost a bitmap of the size squared.
constexpr U32 TRUETYPE_MAX_PIXEL_SIZE = 1000;

// Coverage above this is the text colour, below the other one the pixel
// is left: the two ends need no division.
constexpr U8 TRUETYPE_COVERAGE_FULL = 208;
constexpr U8 TRUETYPE_COVERAGE_NONE = 48;
constexpr U8 TRUETYPE_OUTLINED_FULL = 241;

// The glyph list: a circular doubly linked list through the records.
struct list_head {
    list_head* next;
    list_head* prev;
};

typedef struct tag_grBitmap {
    int rows;
    int width;
    int pitch;
    unsigned char* buffer;
} grBitmap;

typedef struct tag_ST {
    char ch;
    U32 height;
    int top;
    list_head i_list;
    grBitmap bit3;
} ST;

typedef struct tag_TFont {
    const char* filepathname;
    int face_index;
    int cmap_index;
    int num_indices;
} TFont;

std::mutex s_lock;
// Never destroyed: drawing tasks may still render text while the process exits.
std::string& s_fontFile = *new std::string();
std::vector<U8>& s_fontBytes = *new std::vector<U8>();

bool s_bReady = false;
FT_Library s_FontLibrary = nullptr;
FT_Face s_FontFace = nullptr;
FTC_Manager s_ftc_Manager = nullptr;
FTC_SBitCache s_sbits_cache = nullptr;
FTC_CMapCache s_cmap_cache = nullptr;
TFont s_font;
FTC_ImageTypeRec s_current_font;
FT_Error s_fterror = 0;
list_head s_listCacheBuffer = {&s_listCacheBuffer, &s_listCacheBuffer};

ST* st_Of(list_head* pLink)
{
    return reinterpret_cast<ST*>(reinterpret_cast<char*>(pLink) - offsetof(ST, i_list));
}

// ---------------------------------------------------------------------------
// The face with the unit's character maps.

void be16(std::vector<U8>& out, U32 v)
{
    out.push_back((U8)(v >> 8));
    out.push_back((U8)v);
}

void be32(std::vector<U8>& out, U32 v)
{
    be16(out, v >> 16);
    be16(out, v & 0xFFFF);
}

void put32(std::vector<U8>& out, size_t at, U32 v)
{
    out[at] = (U8)(v >> 24);
    out[at + 1] = (U8)(v >> 16);
    out[at + 2] = (U8)(v >> 8);
    out[at + 3] = (U8)v;
}

U32 get16(const std::vector<U8>& in, size_t at) { return (U32)in[at] << 8 | in[at + 1]; }

U32 get32(const std::vector<U8>& in, size_t at) { return get16(in, at) << 16 | get16(in, at + 2); }

U32 sfnt_Checksum(const U8* p, size_t n)
{
    U32 sum = 0;
    for (size_t i = 0; i < n; i += 4) {
        U32 word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < n ? p[i + k] : 0);
        sum += word;
    }
    return sum;
}

// Format 6 over codes 0..255.
void cmap_Format6(std::vector<U8>& out, const std::vector<U16>& glyphs)
{
    be16(out, 6);
    be16(out, 10 + 2 * 256);
    be16(out, 0); // no particular language
    be16(out, 0);
    be16(out, 256);
    for (U16 g : glyphs)
        be16(out, g);
}

// Format 4 from (code point, glyph) pairs in ascending order, one segment
// per run of consecutive code points, glyphs through the glyph array.
bool cmap_Format4(std::vector<U8>& out, const std::vector<std::pair<U32, U16>>& map)
{
    struct Segment {
        U32 start;
        U32 end;
        size_t first;
    };
    std::vector<Segment> segments;
    for (size_t i = 0; i < map.size(); ++i) {
        if (!segments.empty() && map[i].first == segments.back().end + 1)
            segments.back().end = map[i].first;
        else
            segments.push_back({map[i].first, map[i].first, i});
    }
    const size_t segCount = segments.size() + 1;
    const size_t length = 16 + 8 * segCount + 2 * map.size();
    if (length > 0xFFFF)
        return false;
    U32 entrySelector = 0;
    while ((2u << entrySelector) <= segCount)
        ++entrySelector;
    const U32 searchRange = 2u << entrySelector;
    be16(out, 4);
    be16(out, (U32)length);
    be16(out, 0);
    be16(out, (U32)(2 * segCount));
    be16(out, searchRange);
    be16(out, entrySelector);
    be16(out, (U32)(2 * segCount) - searchRange);
    for (const Segment& s : segments)
        be16(out, s.end);
    be16(out, 0xFFFF);
    be16(out, 0); // reserved pad
    for (const Segment& s : segments)
        be16(out, s.start);
    be16(out, 0xFFFF);
    for (size_t k = 0; k < segments.size(); ++k)
        be16(out, 0); // idDelta
    be16(out, 1);
    // idRangeOffset: from this entry to the segment's first glyph.
    for (size_t k = 0; k < segments.size(); ++k)
        be16(out, (U32)(2 * (segCount - k) + 2 * segments[k].first));
    be16(out, 0);
    for (const auto& [codePoint, glyph] : map)
        be16(out, glyph);
    return true;
}

// Glyph of every 8-bit code of a font set, by its character in the code
// table (the first row holding the code) and the file's Unicode map.
std::vector<U16> truetype_SetGlyphs(FT_Face face, bool bSet1)
{
    std::vector<U16> glyphs(256, 0);
    std::vector<bool> bTaken(256, false);
    for (int r = 0; r < Unicode_Table_Rows; ++r) {
        const UNICODE_TABLE_ROW& row = Unicode_Table_Hex[r];
        const U8 code = bSet1 ? row.u8FontSet1 : row.u8FontSet2;
        if (code == 0 || bTaken[code])
            continue;
        bTaken[code] = true;
        glyphs[code] = (U16)FT_Get_Char_Index(face, row.u16CodePoint);
    }
    return glyphs;
}

// The font file with its cmap table replaced; empty when the file is not
// a TrueType font FreeType can read.
std::vector<U8> truetype_BuildFace(FT_Library library, const std::vector<U8>& file)
{
    FT_Face face;
    if (FT_New_Memory_Face(library, file.data(), (FT_Long)file.size(), 0, &face) != 0)
        return {};
    std::vector<std::pair<U32, U16>> unicode;
    std::vector<U16> set1, set2;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
        FT_UInt index;
        for (FT_ULong c = FT_Get_First_Char(face, &index); index != 0; c = FT_Get_Next_Char(face, c, &index))
            if (c < 0xFFFF)
                unicode.emplace_back((U32)c, (U16)index);
        set1 = truetype_SetGlyphs(face, true);
        set2 = truetype_SetGlyphs(face, false);
    }
    FT_Done_Face(face);
    if (unicode.empty())
        return {};

    std::vector<U8> cmap;
    be16(cmap, 0);
    be16(cmap, 3);
    const U32 firstOffset = 4 + 3 * 8, format6Size = 10 + 2 * 256;
    for (U32 k = 0; k < 2; ++k) {
        be16(cmap, 1);
        be16(cmap, 0);
        be32(cmap, firstOffset + k * format6Size);
    }
    be16(cmap, 3);
    be16(cmap, 1);
    be32(cmap, firstOffset + 2 * format6Size);
    cmap_Format6(cmap, set1);
    cmap_Format6(cmap, set2);
    if (!cmap_Format4(cmap, unicode))
        return {};

    // The table directory, checked against the file's size.
    if (file.size() < 12)
        return {};
    const U32 numTables = get16(file, 4);
    if (12 + 16 * (size_t)numTables > file.size())
        return {};
    struct Table {
        U32 tag;
        const U8* data;
        size_t length;
    };
    std::vector<Table> tables;
    const U32 CMAP = 0x636D6170, HEAD = 0x68656164;
    for (U32 t = 0; t < numTables; ++t) {
        const size_t rec = 12 + 16 * (size_t)t;
        const U32 tag = get32(file, rec), offset = get32(file, rec + 8), length = get32(file, rec + 12);
        if ((size_t)offset + length > file.size())
            return {};
        if (tag != CMAP)
            tables.push_back({tag, file.data() + offset, length});
    }
    tables.push_back({CMAP, cmap.data(), cmap.size()});
    std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.tag < b.tag; });

    std::vector<U8> out;
    be32(out, get32(file, 0));
    U32 entrySelector = 0;
    while ((2u << entrySelector) <= tables.size())
        ++entrySelector;
    const U32 searchRange = 16u << entrySelector;
    be16(out, (U32)tables.size());
    be16(out, searchRange);
    be16(out, entrySelector);
    be16(out, (U32)(16 * tables.size()) - searchRange);
    const size_t directory = out.size();
    out.resize(directory + 16 * tables.size());
    size_t headAt = 0;
    for (size_t t = 0; t < tables.size(); ++t) {
        while (out.size() % 4 != 0)
            out.push_back(0);
        const size_t at = out.size();
        out.insert(out.end(), tables[t].data, tables[t].data + tables[t].length);
        if (tables[t].tag == HEAD && tables[t].length >= 12) {
            headAt = at;
            put32(out, at + 8, 0); // checkSumAdjustment, set below
        }
        const size_t rec = directory + 16 * t;
        put32(out, rec, tables[t].tag);
        put32(out, rec + 4, sfnt_Checksum(out.data() + at, tables[t].length));
        put32(out, rec + 8, (U32)at);
        put32(out, rec + 12, (U32)tables[t].length);
    }
    while (out.size() % 4 != 0)
        out.push_back(0);
    if (headAt != 0)
        put32(out, headAt + 8, 0xB1B0AFBAu - sfnt_Checksum(out.data(), out.size()));
    return out;
}

std::string truetype_FindFontFile()
{
    if (!s_fontFile.empty())
        return s_fontFile;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(TRUETYPE_FONT_FOLDER, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().filename() == TRUETYPE_FONT_NAME)
            return it->path().string();
    return {};
}

bool truetype_ReadFile(const std::string& path, std::vector<U8>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() && !bytes.empty() && bytes.size() <= TRUETYPE_MAX_FILE;
}

// Fills the FONT_DEF with the face bytes unless it has them already.
bool truetype_LoadFont()
{
    if (ArialNarrow_Bold_Quellmarcoding.pu8TTFdata != nullptr)
        return true;
    const std::string path = truetype_FindFontFile();
    std::vector<U8> file;
    if (path.empty() || !truetype_ReadFile(path, file)) {
        log_me("TRUETYPE: no font file %s", path.empty() ? TRUETYPE_FONT_NAME : path.c_str());
        return false;
    }
    s_fontBytes = truetype_BuildFace(s_FontLibrary, file);
    if (s_fontBytes.empty()) {
        log_me("TRUETYPE: %s is not a usable TrueType font", path.c_str());
        return false;
    }
    ArialNarrow_Bold_Quellmarcoding.pu8TTFdata = s_fontBytes.data();
    ArialNarrow_Bold_Quellmarcoding.u32MaxWidth = (U32)s_fontBytes.size();
    return true;
}

// ---------------------------------------------------------------------------
// Glyphs.

FT_Error face_requester(FTC_FaceID, FT_Library, FT_Pointer, FT_Face* aface)
{
    *aface = s_FontFace;
    return 0;
}

// There is one face: every style draws with it.
FT_Face G_TRUETYPE_GetFontFace(U32) { return s_FontFace; }

U32 truetype_PixelSize(U32 u32Height) { return (U32)((U64)u32Height * 60 / 44); }

U32 truetype_Gap(U32 u32Height) { return u32Height / 64 + 1; }

void truetype_SetSize(U32 u32Height)
{
    const U32 u32Pixels = std::min<U32>(truetype_PixelSize(u32Height), TRUETYPE_MAX_PIXEL_SIZE + 1);
    s_current_font.width = u32Pixels;
    s_current_font.height = u32Pixels;
}

// A glyph as drawn: coverage rows top row first.
struct Glyph {
    int top;
    int rows;
    int width;
    int pitch;
    const unsigned char* buffer;

    bool empty() const { return buffer == nullptr || rows <= 0 || width <= 0 || pitch < width; }
};

ST* bInCacheBuffer(char ch, U32 u32Height)
{
    for (list_head* p = s_listCacheBuffer.next; p != &s_listCacheBuffer; p = p->next) {
        ST* pRecord = st_Of(p);
        if (pRecord->ch == ch && pRecord->height == u32Height && pRecord->bit3.buffer != nullptr)
            return pRecord;
    }
    return nullptr;
}

FT_UInt get_glyph_index(char ch)
{
    const FT_Int nCharmap = s_FontFace->charmap != nullptr ? FT_Get_Charmap_Index(s_FontFace->charmap) : 0;
    return FTC_CMapCache_Lookup(s_cmap_cache, (FTC_FaceID)&s_font, nCharmap, (FT_UInt32)(U8)ch);
}

bool get_glyph_bitmap(FT_UInt uIndex, FTC_SBit* pSbit)
{
    s_fterror = FTC_SBitCache_Lookup(s_sbits_cache, &s_current_font, uIndex, pSbit, nullptr);
    return s_fterror == 0 && *pSbit != nullptr;
}

void truetype_RemoveList()
{
    list_head* pHead = &s_listCacheBuffer;
    while (pHead->next != pHead) {
        list_head* pLink = pHead->next;
        pHead->next = pLink->next;
        pLink->next->prev = pHead;
        ST* pRecord = st_Of(pLink);
        H_MEMORY_vFree(pRecord->bit3.buffer);
        H_MEMORY_vFree(pRecord);
    }
}

// Keeps a copy of the coverage in the list; the glyph is drawn all the same
// when the heap has no room for it.
void bSaveToCacheBuffer(char ch, U32 u32Height, const Glyph& glyph)
{
    ST* pRecord = static_cast<ST*>(H_MEMORY_pvMalloc(sizeof(ST)));
    if (pRecord == nullptr)
        return;
    const size_t size = (size_t)glyph.rows * (size_t)glyph.pitch;
    pRecord->bit3.buffer = static_cast<unsigned char*>(H_MEMORY_pvMalloc((U32)size));
    if (pRecord->bit3.buffer == nullptr) {
        H_MEMORY_vFree(pRecord);
        return;
    }
    memcpy(pRecord->bit3.buffer, glyph.buffer, size);
    pRecord->ch = ch;
    pRecord->height = u32Height;
    pRecord->top = glyph.top;
    pRecord->bit3.rows = glyph.rows;
    pRecord->bit3.width = glyph.width;
    pRecord->bit3.pitch = glyph.pitch;
    list_head* pHead = &s_listCacheBuffer;
    pRecord->i_list.next = pHead->next;
    pRecord->i_list.prev = pHead;
    pHead->next->prev = &pRecord->i_list;
    pHead->next = &pRecord->i_list;
}

// The glyph of ch at the current size: from the list, else from FreeType.
// FALSE when FreeType cannot give it.
bool truetype_Fetch(char ch, U32 u32Height, bool bKeep, Glyph* pGlyph)
{
    if (const ST* pRecord = bInCacheBuffer(ch, u32Height)) {
        *pGlyph = Glyph{pRecord->top, pRecord->bit3.rows, pRecord->bit3.width, pRecord->bit3.pitch,
                        pRecord->bit3.buffer};
        return true;
    }
    FTC_SBit sbit;
    if (s_current_font.height > TRUETYPE_MAX_PIXEL_SIZE || !get_glyph_bitmap(get_glyph_index(ch), &sbit))
        return false;
    *pGlyph = Glyph{sbit->top, sbit->height, sbit->width, sbit->pitch, sbit->buffer};
    if (pGlyph->empty()) {
        *pGlyph = Glyph{0, 0, 0, 0, nullptr};
        return true;
    }
    if (bKeep)
        bSaveToCacheBuffer(ch, u32Height, *pGlyph);
    return true;
}

// Advance of one character, or -1 when it is skipped.
S64 truetype_Advance(char ch, U32 u32Height, const Glyph& glyph)
{
    return ch == ' ' ? u32Height / 2 : (S64)glyph.width + truetype_Gap(u32Height);
}

// Bounds of a drawing: the clip box within the surface.
struct Box {
    S64 left;
    S64 bottom;
    S64 right;
    S64 top;

    bool has(S64 x, S64 y) const { return x >= left && x <= right && y >= bottom && y <= top; }
};

Box truetype_Box(const BITMAP* pBmp)
{
    const S64 width = std::min(pBmp->pixels_wide_full_screen, pBmp->__u32PixelWidthOfBuffer);
    const S64 height = std::min(pBmp->pixels_high_full_screen, pBmp->__u32PixelHeightOfBuffer);
    return Box{std::max<S64>(pBmp->s32ClipLeft, 0), std::max<S64>(pBmp->s32ClipBottom, 0),
               std::min<S64>(pBmp->s32ClipRight, width - 1), std::min<S64>(pBmp->s32ClipTop, height - 1)};
}

// Channel-wise (c * a + (255 - c) * b) / 255.
COLOR truetype_Mix(COLOR a, COLOR b, U32 c)
{
    const U32 inverse = 255 - c;
    const U32 r = (c * (a >> 11) + inverse * (b >> 11)) / 255;
    const U32 g = (c * ((a >> 5) & 0x3F) + inverse * ((b >> 5) & 0x3F)) / 255;
    const U32 bl = (c * (a & 0x1F) + inverse * (b & 0x1F)) / 255;
    return (COLOR)(r << 11 | g << 5 | bl);
}

void truetype_Put(BITMAP* pBmp, const char* pText, const POINT* pAnchor, COLOR colorText, U32 u32Height)
{
    if (!s_bReady || pText == nullptr || pAnchor == nullptr)
        return;
    truetype_SetSize(u32Height);
    const Box box = truetype_Box(pBmp);
    S64 pen = pAnchor->x;
    for (; *pText != 0; ++pText) {
        Glyph glyph{0, 0, 0, 0, nullptr};
        if (*pText != ' ') {
            if (!truetype_Fetch(*pText, u32Height, true, &glyph))
                continue;
            const S64 y0 = (S64)pAnchor->y + glyph.top - glyph.rows;
            if (y0 + glyph.rows > TRUETYPE_SCREEN_TOP)
                return;
            for (int k = 0; !glyph.empty() && k < glyph.rows; ++k) {
                const S64 y = y0 + k;
                const unsigned char* pRow = glyph.buffer + (size_t)(glyph.rows - 1 - k) * (size_t)glyph.pitch;
                for (int j = 0; j < glyph.width; ++j) {
                    const U8 c = pRow[j];
                    const S64 x = pen + j;
                    if (c < TRUETYPE_COVERAGE_NONE || !box.has(x, y))
                        continue;
                    COLOR* pPixel = G_PIXEL_pcolLogical(pBmp, (PIXEL)x, (PIXEL)y);
                    *pPixel = c > TRUETYPE_COVERAGE_FULL ? colorText : truetype_Mix(colorText, *pPixel, c);
                }
            }
        }
        pen += truetype_Advance(*pText, u32Height, glyph);
    }
}

U32 truetype_Width(const char* pText, U32 u32Height)
{
    if (!s_bReady || pText == nullptr)
        return 0;
    truetype_SetSize(u32Height);
    U32 u32Width = 0;
    for (; *pText != 0; ++pText) {
        Glyph glyph{0, 0, 0, 0, nullptr};
        if (*pText != ' ' && !truetype_Fetch(*pText, u32Height, false, &glyph))
            continue;
        u32Width += (U32)truetype_Advance(*pText, u32Height, glyph);
    }
    return u32Width;
}

bool truetype_IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

U32 truetype_WidthFixed(const char* pText, U32 u32Height)
{
    if (!s_bReady || pText == nullptr)
        return 0;
    const U32 u32Digit = truetype_Width("0", u32Height);
    U32 u32Width = 0;
    for (; *pText != 0; ++pText) {
        const char one[2] = {*pText, 0};
        u32Width += truetype_IsDigit(*pText) ? u32Digit : truetype_Width(one, u32Height);
    }
    return u32Width;
}

// Frees a work buffer on every way out.
struct WorkBuffer {
    explicit WorkBuffer(U32 u32Bytes) : p(static_cast<U8*>(H_MEMORY_pvMalloc(u32Bytes)))
    {
        if (p != nullptr)
            memset(p, 0, u32Bytes);
    }
    ~WorkBuffer()
    {
        if (p != nullptr)
            H_MEMORY_vFree(p);
    }
    WorkBuffer(const WorkBuffer&) = delete;
    WorkBuffer& operator=(const WorkBuffer&) = delete;
    U8* p;
};

U32 isqrt(U32 n)
{
    U32 root = 0, bit = 1u << 30;
    while (bit > n)
        bit >>= 2;
    while (bit != 0) {
        if (n >= root + bit) {
            n -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return root;
}

} // namespace

void G_TRUETYPE_vSetFontFile(const char* pcPath)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_fontFile = pcPath != nullptr ? pcPath : "";
}

BOOLEAN G_TRUETYPE_bInit(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    truetype_RemoveList();
    if (s_bReady)
        return TRUE;
    if (s_FontLibrary == nullptr && FT_Init_FreeType(&s_FontLibrary) != 0) {
        s_FontLibrary = nullptr;
        return FALSE;
    }
    if (!truetype_LoadFont())
        return FALSE;
    if (s_FontFace == nullptr &&
        FT_New_Memory_Face(s_FontLibrary, ArialNarrow_Bold_Quellmarcoding.pu8TTFdata,
                           (FT_Long)ArialNarrow_Bold_Quellmarcoding.u32MaxWidth, 0, &s_FontFace) != 0) {
        s_FontFace = nullptr;
        return FALSE;
    }
    if (s_ftc_Manager == nullptr &&
        FTC_Manager_New(s_FontLibrary, 1, 0, 1024, face_requester, nullptr, &s_ftc_Manager) != 0) {
        s_ftc_Manager = nullptr;
        return FALSE;
    }
    if ((s_sbits_cache == nullptr && FTC_SBitCache_New(s_ftc_Manager, &s_sbits_cache) != 0) ||
        (s_cmap_cache == nullptr && FTC_CMapCache_New(s_ftc_Manager, &s_cmap_cache) != 0))
        return FALSE;
    s_font.filepathname = nullptr;
    s_font.face_index = 0;
    s_font.cmap_index = s_FontFace->charmap != nullptr ? FT_Get_Charmap_Index(s_FontFace->charmap) : 0;
    s_font.num_indices = (int)s_FontFace->num_glyphs;
    s_current_font.face_id = (FTC_FaceID)&s_font;
    s_current_font.width = 15;
    s_current_font.height = 15;
    s_current_font.flags = FT_LOAD_RENDER;
    s_bReady = true;
    return TRUE;
}

void G_TRUETYPE_vSelectFontSet(int nSelectSet)
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_bReady || s_FontFace->num_charmaps != 3)
        return;
    const int nCharmap = (nSelectSet == 0 || nSelectSet == 1) ? nSelectSet : 2;
    FT_Set_Charmap(s_FontFace, s_FontFace->charmaps[nCharmap]);
}

void G_TRUETYPE_vRemoveList(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    truetype_RemoveList();
}

void G_TRUETYPE_vPut(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32Height, U32 u32FontStyle)
{
    std::lock_guard<std::mutex> guard(s_lock);
    (void)G_TRUETYPE_GetFontFace(u32FontStyle);
    truetype_Put(pBmp, pText, pAnchor, colorText, u32Height);
}

U32 G_TRUETYPE_u32GetWidth(char* pText, U32 u32Height, U32 u32FontStyle)
{
    std::lock_guard<std::mutex> guard(s_lock);
    (void)G_TRUETYPE_GetFontFace(u32FontStyle);
    return truetype_Width(pText, u32Height);
}

void G_TRUETYPE_vPutNumWidthFixed(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32Height,
                                  U32 u32FontStyle)
{
    std::lock_guard<std::mutex> guard(s_lock);
    (void)G_TRUETYPE_GetFontFace(u32FontStyle);
    if (!s_bReady || pText == nullptr || pAnchor == nullptr)
        return;
    const U32 u32Digit = truetype_Width("0", u32Height);
    POINT pen = *pAnchor;
    for (; *pText != 0; ++pText) {
        const char one[2] = {*pText, 0};
        truetype_Put(pBmp, one, &pen, colorText, u32Height);
        pen.x = (PIXEL)((U32)pen.x + (truetype_IsDigit(*pText) ? u32Digit : truetype_Width(one, u32Height)));
    }
}

U32 G_TRUETYPE_u32GetWidthNumWidthFixed(char* pText, U32 u32Height, U32 u32FontStyle)
{
    std::lock_guard<std::mutex> guard(s_lock);
    (void)G_TRUETYPE_GetFontFace(u32FontStyle);
    return truetype_WidthFixed(pText, u32Height);
}

void G_TRUETYPE_vPutRotated(BITMAP* pBmp, char* pText, const POINT* pptAnchor, const POINT* pptRotateCenter,
                            double dRotateAngle, COLOR colorText, U32 u32Height, U32 u32FontStyle)
{
    std::lock_guard<std::mutex> guard(s_lock);
    (void)G_TRUETYPE_GetFontFace(u32FontStyle);
    if (!s_bReady || pText == nullptr || pptAnchor == nullptr || pptRotateCenter == nullptr)
        return;
    const S64 rows = (S64)u32Height + 34;
    if (rows > TRUETYPE_WORK_PIXELS)
        return;
    // Text wider than the work image is cut at its right edge.
    const S64 columns = std::min<S64>((S64)truetype_Width(pText, u32Height) + 32, TRUETYPE_WORK_PIXELS / rows);
    WorkBuffer work(TRUETYPE_WORK_BYTES);
    if (work.p == nullptr)
        return;
    const U8 r = (U8)((colorText >> 11) << 3), g = (U8)(((colorText >> 5) & 0x3F) << 2), b = (U8)((colorText & 0x1F) << 3);
    truetype_SetSize(u32Height);
    S64 pen = 0;
    for (const char* p = pText; *p != 0 && pen < columns; ++p) {
        Glyph glyph{0, 0, 0, 0, nullptr};
        if (*p != ' ' && !truetype_Fetch(*p, u32Height, false, &glyph))
            continue;
        const S64 y0 = TRUETYPE_ROTATED_BASELINE + glyph.top - glyph.rows;
        for (int k = 0; !glyph.empty() && k < glyph.rows; ++k) {
            const S64 y = y0 + k;
            if (y < 0 || y >= rows)
                continue;
            const unsigned char* pRow = glyph.buffer + (size_t)(glyph.rows - 1 - k) * (size_t)glyph.pitch;
            for (int j = 0; j < glyph.width && pen + j < columns; ++j) {
                if (pRow[j] == 0)
                    continue;
                U8* px = work.p + (size_t)(y * columns + pen + j) * 4;
                px[0] = r;
                px[1] = g;
                px[2] = b;
                px[3] = pRow[j];
            }
        }
        pen += truetype_Advance(*p, u32Height, glyph);
    }
    const IMAGE32 image{work.p, nullptr, (S32)columns, (S32)rows, 0};
    const POINT centre{pptRotateCenter->x, (PIXEL)((S64)pptRotateCenter->y + TRUETYPE_ROTATED_BASELINE)};
    G_IMAGE32_vPutRotatedClipped(pBmp, &image, pptAnchor, &centre, dRotateAngle);
}

void G_TRUETYPE_vPutOutlined(BITMAP* pBmp, char* pText, POINT* pAnchor, COLOR colorText, U32 u32HeightFont,
                             U32 u32FontStyle, COLOR colorOutline)
{
    std::lock_guard<std::mutex> guard(s_lock);
    FT_Face face = G_TRUETYPE_GetFontFace(u32FontStyle);
    if (!s_bReady || pText == nullptr || pAnchor == nullptr)
        return;
    const S64 h = u32HeightFont;
    // A glyph of this height cannot be laid out within the work rows.
    if (h >= TRUETYPE_WORK_ROWS)
        return;
    FT_Size size;
    if (FT_New_Size(face, &size) != 0)
        return;
    FT_Activate_Size(size);
    s_fterror = FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::min<S64>(h * 64, 0x7FFFFFFF), 800, 600);
    s_fterror = FT_Set_Pixel_Sizes(face, 0, std::min<U32>(truetype_PixelSize(u32HeightFont), 0xFFFF));
    WorkBuffer coverage(TRUETYPE_WORK_BYTES), outline(TRUETYPE_WORK_BYTES);
    if (s_fterror != 0 || coverage.p == nullptr || outline.p == nullptr) {
        FT_Done_Size(size);
        return;
    }
    auto cell = [](U8* p, S64 i, S64 j) -> U8& { return p[i * TRUETYPE_WORK_COLUMNS + j]; };

    // Layout: the baseline on buffer row h + 2, the text from column 2.
    S64 pen = 0;
    for (const char* p = pText; *p != 0; ++p) {
        if (*p == ' ') {
            pen += h / 2;
            continue;
        }
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, (FT_ULong)(U8)*p), FT_LOAD_RENDER) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        const S64 r0 = slot->metrics.height == slot->metrics.horiBearingY
                           ? h
                           : h - (slot->metrics.height - slot->metrics.horiBearingY) / 64;
        if (r0 + (S64)bm.rows > TRUETYPE_SCREEN_TOP)
            break;
        for (unsigned k = 0; bm.pitch > 0 && k < bm.rows; ++k) {
            const S64 i = r0 + 2 + k;
            if (i < 0 || i >= TRUETYPE_WORK_ROWS)
                continue;
            const unsigned char* pRow = bm.buffer + (size_t)(bm.rows - 1 - k) * (size_t)bm.pitch;
            for (unsigned x = 0; x < bm.width; ++x) {
                const S64 j = pen + 2 + x;
                if (j >= 0 && j < TRUETYPE_WORK_COLUMNS)
                    cell(coverage.p, i, j) = pRow[x];
            }
        }
        pen += (S64)bm.width + h / 64 + 2;
    }
    FT_Done_Size(size);

    const S64 rows = std::min<S64>(2 * h + 4, TRUETYPE_WORK_ROWS);
    const S64 columns = std::min<S64>(pen + 4, TRUETYPE_WORK_COLUMNS);
    for (S64 i = 0; i < rows; ++i) {
        for (S64 j = 0; j < columns; ++j) {
            if (cell(coverage.p, i, j) != 0)
                continue;
            U32 best = 0x7FFF;
            for (S64 di = -2; di <= 2; ++di) {
                for (S64 dj = -2; dj <= 2; ++dj) {
                    const S64 ni = i + di, nj = j + dj;
                    if (ni < 0 || nj < 0 || ni >= rows || nj >= columns)
                        continue;
                    const U8 c = cell(coverage.p, ni, nj);
                    const U32 scaled = (U32)(di * di + dj * dj) * 65536;
                    if (c == 0 || scaled >= best * best)
                        continue;
                    best = std::min<U32>(best, isqrt(scaled) + (255u - c));
                }
            }
            if (best < 512)
                cell(outline.p, i, j) = (U8)(best <= 256 ? 255 : 511 - best);
        }
    }

    const Box box = truetype_Box(pBmp);
    for (S64 i = 0; i < rows; ++i) {
        for (S64 j = 0; j < columns; ++j) {
            const S64 x = (S64)pAnchor->x + j - 2, y = (S64)pAnchor->y + i - h - 2;
            const U8 c = cell(coverage.p, i, j), o = cell(outline.p, i, j);
            if ((c == 0 && o == 0) || !box.has(x, y))
                continue;
            COLOR* pPixel = G_PIXEL_pcolLogical(pBmp, (PIXEL)x, (PIXEL)y);
            if (c >= TRUETYPE_OUTLINED_FULL)
                *pPixel = colorText;
            else if (c != 0)
                *pPixel = truetype_Mix(colorText, colorOutline, c);
            else
                *pPixel = truetype_Mix(colorOutline, *pPixel, o);
        }
    }
}
