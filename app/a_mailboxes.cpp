// The mailbox-to-semaphore bindings that Main makes at start, in the order
// they are made. Mailboxes left out are bound later by their own tasks
// (28 by the accessory task, 70 by the trolling-motor link task) or not at
// all.
#include "app/a_tasks.h"

#include "kernel/l_mbox.h"

#include <array>

namespace {

struct MBOX_BINDING {
    MBOX mbox;
    SEMA sema;
};

constexpr std::array<MBOX_BINDING, 58> MAIN_MBOX_BINDINGS = {{
    {2, 34},   {3, 36},   {4, 35},   {5, 55},   {6, 56},   {10, 40},  {7, 25},   {11, 51},  {9, 50},
    {31, 37},  {8, 47},   {15, 41},  {12, 38},  {13, 31},  {16, 43},  {14, 45},  {17, 52},  {18, 54},
    {19, 44},  {20, 26},  {21, 46},  {22, 28},  {24, 53},  {25, 27},  {26, 39},  {23, 23},  {27, 24},
    {29, 42},  {30, 48},  {32, 30},  {33, 57},  {34, 58},  {35, 59},  {36, 60},  {37, 62},  {38, 61},
    {39, 29},  {40, 32},  {41, 33},  {42, 142}, {44, 144}, {45, 147}, {46, 177}, {53, 202}, {54, 204},
    {57, 216}, {58, 218}, {66, 252}, {49, 194}, {55, 207}, {59, 221}, {60, 222}, {61, 223}, {63, 224},
    {64, 235}, {62, 246}, {69, 263}, {71, 276},
}};

} // namespace

void T_MAIN_vSetupMailboxes(void)
{
    for (const MBOX_BINDING& b : MAIN_MBOX_BINDINGS)
        L_MBOX_DefineSema(b.mbox, b.sema);
}
