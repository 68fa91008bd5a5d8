// The open menu's row width over 60 items (their display strings refreshed,
// every title and control row measured) beside the reference of measuring
// the same titles and value strings with the font alone.
#include "graphics/g_string.h"
#include "graphics/u_fonts.h"
#include "store/h_database.h"
#include "ui/t_menu_state.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int ITEMS = 60;

#define ALL(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
const TEXT_TABLE off = ALL("Off");
const TEXT_TABLE on = ALL("On");
const TEXT_TABLE* const choices[2] = {&off, &on};
const U32 values[2] = {0, 1};

struct Menu {
    Menu()
    {
        static const bool once = [] {
            H_DATABASE_vInit();
            U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
            return true;
        }();
        (void)once;
        for (int i = 0; i < ITEMS; ++i) {
            snprintf(titles[i].data(), titles[i].size(), "Menu item number %d", i);
            for (const char*& p : tables[i])
                p = titles[i].data();
            MENU_ITEM& item = items[i];
            memset(static_cast<void*>(&item), 0, sizeof item);
            item.pMenuTitle = &tables[i];
            // Alternate the kinds whose widths take the most work.
            item.control = i % 3 == 0 ? M_SELECTION_BOX : i % 3 == 1 ? M_PROGRESS_BAR : M_ACTION;
            if (item.control == M_SELECTION_BOX) {
                item.parameters.selectionBox.pSelectionList = choices;
                item.parameters.selectionBox.numberSelections = 2;
                item.parameters.selectionBox.pSelectionValueArray = values;
            } else if (item.control == M_PROGRESS_BAR) {
                strcpy(item.parameters.progressBar.minString, "0");
                strcpy(item.parameters.progressBar.maxString, "100");
            }
            t_menu::s_activeMenuList[i] = &item;
        }
        t_menu::s_numActiveMenuItems = ITEMS;
        t_menu::s_activeMenu = EXPRESS_MENU;
    }
    std::array<std::array<char, 32>, ITEMS> titles{};
    const char* tables[ITEMS][DB_NUM_LANGUAGES] = {};
    std::array<MENU_ITEM, ITEMS> items{};
};

void BM_FindMinMenuWidths(benchmark::State& state)
{
    Menu menu;
    for (auto _ : state)
        benchmark::DoNotOptimize(T_MENU_u32FindMinMenuWidths(ITEMS));
}
BENCHMARK(BM_FindMinMenuWidths);

// Reference: the titles and value strings measured with the row font.
void BM_StringWidthsReference(benchmark::State& state)
{
    Menu menu;
    T_MENU_u32FindMinMenuWidths(ITEMS); // the value strings as the menu shows them
    const FONT_DEF* font = std_16x17_font_def_ptr;
    for (auto _ : state) {
        U32 widest = 0;
        for (const MENU_ITEM& item : menu.items) {
            const U32 w = G_STRING_u32GetWidth(font, reinterpret_cast<const BYTE*>((*item.pMenuTitle)[0])) +
                          G_STRING_u32GetWidth(font, reinterpret_cast<const BYTE*>(item.value_string));
            widest = w > widest ? w : widest;
        }
        benchmark::DoNotOptimize(widest);
    }
}
BENCHMARK(BM_StringWidthsReference);

} // namespace

BENCHMARK_MAIN();
