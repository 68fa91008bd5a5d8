// The info task: its choice lists and the menus built from them, the
// default and reset selections, the client calls that place a readout,
// and the small queries. The menu task runs (menu_task_world.h); the info
// task's steps run in the test's thread, as its loop would run them.
#include "ui/t_info.h"
#include "ui/t_info_task.h"
#include "ui/tests/menu_task_world.h"

#include "graphics/color.h"

#include <string>
#include <vector>

using namespace mt;

namespace {

using Names = std::vector<std::string>;

#define TWO_LANGUAGES(en, other)                                                                                 \
    {en, other, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en, en}

const TEXT_TABLE txtDepth = TWO_LANGUAGES("Depth", "Zeta");
const TEXT_TABLE txtSpeed = TWO_LANGUAGES("Speed", "Alpha");
const TEXT_TABLE txtTtg = MT_TEXT("TTG");
const TEXT_TABLE txtBearing = MT_TEXT("Bearing");

void readout(const char (&key)[5], const char (&shows)[5], const TEXT_TABLE* pText)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), FCID(shows), P_NORMAL, D_FCID,
                                    const_cast<const char*(*)[DB_NUM_LANGUAGES]>(pText), DB_TIMEOUT_NEVER);
}

Names names(const T_INFO_CHOICES& list, U32 nLang = 0)
{
    Names out;
    for (U32 i = 0; i < list.count; ++i)
        out.push_back((*list.apChoices[i])[nLang]);
    return out;
}

void mail(CMD_ID cmd)
{
    auto* p = static_cast<GENERIC_MESSAGE*>(H_MEMORY_pvMalloc(sizeof(GENERIC_MESSAGE)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->Cmd = cmd;
    T_INFO_vHandleMail(&p->msghdr);
}

void newData(const char (&key)[5], U32 value)
{
    auto* p = static_cast<MESSAGE_NEW_DATA*>(H_MEMORY_pvMalloc(sizeof(MESSAGE_NEW_DATA)));
    memset(static_cast<void*>(p), 0, sizeof *p);
    p->Header.Cmd = CMD_ID_NEW_DATA;
    p->FourCharId = FCID(key);
    p->dbValue.u32Val = value;
    p->bValid = TRUE;
    T_INFO_vHandleMail(&p->Header.msghdr);
}

Names itemsOf(MENU_ITEM* pFirst)
{
    Names out;
    for (MENU_ITEM* p = pFirst; p != nullptr; p = p->pNextMenu)
        out.push_back((*p->pMenuTitle)[0]);
    return out;
}

Names setupItems()
{
    settle();
    L_MUTEX_LockWait(RES_MENU);
    Names out;
    for (const t_menu::MENU_TAB& tab : t_menu::s_mainMenuTabs)
        if (tab.pTabTitle == T_MENU_pSetupTabName)
            out = itemsOf(tab.pFirstItem);
    L_MUTEX_Unlock(RES_MENU);
    return out;
}

Names subMenuItems(const TEXT_TABLE* pName)
{
    settle();
    L_MUTEX_LockWait(RES_MENU);
    Names out;
    for (const t_menu::SUB_MENU& sub : t_menu::s_subMenus)
        if (sub.pSubMenuName == pName)
            out = itemsOf(sub.pFirstItem);
    L_MUTEX_Unlock(RES_MENU);
    return out;
}

bool has(const Names& n, const std::string& s) { return std::find(n.begin(), n.end(), s) != n.end(); }

// The menus empty, the Setup tab declared, the info task started and run.
void running()
{
    fresh();
    U_MENU_bRegisterTab(T_MENU_pSetupTabName, SETUP_TAB_PRIORITY, nullptr, M_BASIC);
    T_INFO_vInit();
    mail(CMD_ID_RUN_SYSTEM);
}

TEST(InfoLists, WithoutReadoutsOnlyOff)
{
    world();
    T_INFO_CHOICES b, q, bq;
    T_INFO_vFetchAllBeginningWith('B', &b, 0);
    T_INFO_vFetchAllBeginningWith('Q', &q, 0);
    T_INFO_vCombineChoices(b, q, &bq, 0);
    EXPECT_EQ(names(b), Names{"Off"});
    EXPECT_EQ(names(q), Names{"Off"});
    EXPECT_EQ(names(bq), Names{"Off"});
    EXPECT_EQ(bq.au32Values[0], 0u);
}

TEST(InfoLists, SortedMergedOnceAndCapped)
{
    world();
    readout("BDEP", "IDEP", &txtDepth);
    readout("BSPD", "ISPD", &txtSpeed);
    readout("BTTX", "ITTG", &txtTtg); // the same data key as "QTTG"
    readout("QTTG", "ITTG", &txtTtg);
    readout("QBRG", "IBRG", &txtBearing);
    H_DATABASE_bUpdateEverythingU32(FCID("BNON"), FCID("IDEP"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    T_INFO_CHOICES b, q, bq;
    T_INFO_vFetchAllBeginningWith('B', &b, 0);
    T_INFO_vFetchAllBeginningWith('Q', &q, 0);
    T_INFO_vCombineChoices(b, q, &bq, 0);
    EXPECT_EQ(names(b), (Names{"Depth", "Off", "Speed", "TTG"})) << "a key without a name is not offered";
    EXPECT_EQ(names(q), (Names{"Bearing", "Off", "TTG"}));
    EXPECT_EQ(names(bq), (Names{"Bearing", "Depth", "Off", "Speed", "TTG"}));

    // Sixty named "Q" readouts and the "B" ones: every list stops at 50.
    static const char* many[60][DB_NUM_LANGUAGES];
    static char text[60][16];
    for (int i = 0; i < 60; ++i) {
        snprintf(text[i], sizeof text[i], "N%02d", i);
        for (auto& s : many[i])
            s = text[i];
        const char key[5] = {'Q', 'Z', (char)('A' + i / 26), (char)('A' + i % 26), 0};
        readout(*reinterpret_cast<const char(*)[5]>(key), "IDEP", reinterpret_cast<const TEXT_TABLE*>(&many[i]));
    }
    T_INFO_vFetchAllBeginningWith('Q', &q, 0);
    T_INFO_vCombineChoices(b, q, &bq, 0);
    EXPECT_EQ(q.count, T_INFO_MAX_CHOICES);
    EXPECT_EQ(bq.count, T_INFO_MAX_CHOICES);
}

TEST(InfoTask, MenusOnRunAndLanguageChange)
{
    running();
    const Names setup = setupItems();
    for (const char* item : {"Digits Format", "Units - Depth", "Select Readouts", "Select Nav Readouts"})
        EXPECT_TRUE(has(setup, item)) << item;
    EXPECT_EQ(subMenuItems(T_INFO_pSelectReadouts),
              (Names{"Readout 1", "Readout 2", "Readout 3", "Readout 4", "Readout 5"}));
    EXPECT_EQ(subMenuItems(T_INFO_pSelectNavReadouts).size(), 5u);
    EXPECT_EQ(names(T_INFO_rBChoices()), (Names{"Off", "Timer"})) << "the alarm timer is a readout";

    readout("BDEP", "IDEP", &txtDepth);
    readout("BSPD", "ISPD", &txtSpeed);
    T_INFO_vInfoboxUpdate();
    EXPECT_EQ(names(T_INFO_rBChoices()), (Names{"Depth", "Off", "Speed", "Timer"}));
    setU32("SLNG", 1);
    newData("SLNG", 1);
    EXPECT_EQ(names(T_INFO_rBChoices(), 1), (Names{"Alpha", "Off", "Timer", "Zeta"}));
    setU32("SLNG", 0);
}

TEST(InfoTask, EngineViewsWithdrawNavReadouts)
{
    running();
    for (S32 view : {67, 70}) {
        SCOPED_TRACE(view);
        setS32("CVEW", view);
        T_INFO_vInfoboxUpdate();
        EXPECT_FALSE(has(setupItems(), "Select Nav Readouts"));
        EXPECT_TRUE(has(setupItems(), "Select Readouts"));
        EXPECT_TRUE(subMenuItems(T_INFO_pSelectReadouts).empty()) << "the engine views fill it";
        T_INFO_vInfoboxUpdate(); // a rebuild while still there changes nothing
        EXPECT_FALSE(has(setupItems(), "Select Nav Readouts"));
        setS32("CVEW", 10);
        T_INFO_vInfoboxUpdate();
        EXPECT_TRUE(has(setupItems(), "Select Nav Readouts"));
        EXPECT_EQ(subMenuItems(T_INFO_pSelectReadouts).size(), 5u);
        EXPECT_EQ(subMenuItems(T_INFO_pSelectNavReadouts).size(), 5u);
    }
}

TEST(InfoTask, DefaultsAndFactoryReset)
{
    world();
    T_INFO_vSetDefaultSettings(FALSE);
    setU32("SC50", FCID("BSPD"));
    setU32("SC59", 0);
    setU32("SFMT", NO_TENTHS);
    T_INFO_vSetDefaultSettings(FALSE);
    EXPECT_EQ(fetchU32("SC50"), FCID("BSPD")) << "a stored choice outlives the defaults";
    mail(CMD_ID_RESET_POS);
    const char* nav[5] = {"BDEP", "QXTE", "BSPD", "BHDG", "QBRG"};
    const char* std_[5] = {"BDEP", "BPOS", "BSPD", "BHDG", "BVLT"};
    const FOURCHARID keys[10] = {FCID("SC50"), FCID("SC51"), FCID("SC52"), FCID("SC53"), FCID("SC54"),
                                 FCID("SC55"), FCID("SC56"), FCID("SC57"), FCID("SC58"), FCID("SC59")};
    for (int i = 0; i < 10; ++i) {
        U32 v = 0;
        H_DATABASE_bFetchU32(keys[i], &v, nullptr, nullptr);
        const char* want = i < 5 ? nav[i] : std_[i - 5];
        EXPECT_EQ(v, FCID(*reinterpret_cast<const char(*)[5]>(want))) << i;
    }
    EXPECT_EQ(fetchU32("SFMT"), (U32)LARGE_TENTHS);
}

TEST(InfoClient, SelectBoxSlots)
{
    world();
    const char* slots[6] = {"SIS1", "SIS2", "SIS3", "SIS4", "SIS5", "SIS6"};
    const auto set = [&](std::vector<U32> v) {
        for (int i = 0; i < 6; ++i)
            H_DATABASE_bUpdateEverythingU32(FCID(*reinterpret_cast<const char(*)[5]>(slots[i])), v[i], P_NORMAL,
                                            D_FCID, nullptr, DB_TIMEOUT_NEVER);
    };
    const auto get = [&] {
        std::vector<U32> v;
        for (const char* s : slots)
            v.push_back(fetchU32(*reinterpret_cast<const char(*)[5]>(s)));
        return v;
    };
    const U32 A = FCID("BSPD"), B = FCID("BTMP"), X = FCID("BXXX");

    set({0, 0, 0, 0, A, 0});
    EXPECT_TRUE(U_INFO_bSelectBox(A, 1)) << "already placed";
    EXPECT_EQ(get(), (std::vector<U32>{0, 0, 0, 0, A, 0}));

    set({0, X, X, X, X, X});
    EXPECT_TRUE(U_INFO_bSelectBox(B, 3)) << "wraps round to slot 1";
    EXPECT_EQ(get(), (std::vector<U32>{B, X, X, X, X, X}));

    set({0, 0, X, 0, 0, 0});
    EXPECT_TRUE(U_INFO_bSelectBox(B, 2));
    EXPECT_TRUE(U_INFO_bSelectBox(A, 3)) << "the search starts at the window";
    EXPECT_EQ(get(), (std::vector<U32>{0, B, X, A, 0, 0}));

    set({X, X, X, X, X, X});
    EXPECT_FALSE(U_INFO_bSelectBox(B, 1));
    set({0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(U_INFO_bSelectBox(B, 0));
    EXPECT_FALSE(U_INFO_bSelectBox(B, 7));
    EXPECT_EQ(get(), (std::vector<U32>{0, 0, 0, 0, 0, 0}));

    for (U32 i = 0; i < 6; ++i)
        EXPECT_TRUE(U_INFO_bDisplayInInfoBox(FCID("BAAA") + (i << 24), 1));
    EXPECT_FALSE(U_INFO_bDisplayInInfoBox(FCID("BZZZ"), 1)) << "a seventh request";
    set({0, 0, 0, 0, 0, 0});
    U_INFO_vReinitializeInfoBoxes();
    EXPECT_EQ(get()[0], FCID("BAAA"));
    EXPECT_EQ(get()[5], FCID("BAAA") + (5u << 24));
}

TEST(InfoQueries, BlinkPaletteAlphaAndKeys)
{
    world();
    T_INFO_vInit();
    const BOOLEAN before = T_INFO_bBlinkState();
    while (signalled(SEMA_VIEW_UPDATE)) {
    }
    T_INFO_vBlinkTick();
    EXPECT_NE(T_INFO_bBlinkState(), before);
    EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE)) << "each toggle asks for a frame";
    T_INFO_vBlinkTick();
    EXPECT_EQ(T_INFO_bBlinkState(), before);

    // The palette follows "SPAL" once the system runs; the alpha byte with it.
    mail(CMD_ID_RUN_SYSTEM);
    const U32 vector = 0x00332211;
    for (U32 pal : {2u, 3u, 4u}) {
        newData("SPAL", pal);
        const COLOR want = pal == 2 ? 0x2815 : pal == 3 ? 0x0000 : 0xFFFF;
        EXPECT_EQ(gCOLOR_pcolColorTable[128], want) << pal;
        EXPECT_EQ(T_INFO_u8ConvertAlphaVector(vector), pal == 2 ? 0x22 : pal == 3 ? 0x33 : 0x11) << pal;
    }

    H_DATABASE_bUpdateEverythingU32(FCID("ITST"), 3, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_TRUE(T_INFO_bFCIDNonZero(FCID("ITST")));
    EXPECT_FALSE(T_INFO_bFCIDIsValidSelection(FCID("ITST"))) << "not a key of a key";
    H_DATABASE_bUpdateEverythingU32(FCID("SC55"), FCID("ITST"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_TRUE(T_INFO_bFCIDIsValidSelection(FCID("SC55")));
    H_DATABASE_bUpdateEverythingU32(FCID("SC55"), FCID("INON"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_FALSE(T_INFO_bFCIDIsValidSelection(FCID("SC55"))) << "names a missing key";

    setS32("CVEW", 57);
    EXPECT_TRUE(T_INFO_bIsMssSplit());
    setS32("CVEW", 56);
    EXPECT_TRUE(T_INFO_bIsMssView());
    setS32("CVEW", 10);
    EXPECT_FALSE(T_INFO_bIsMssView());
    EXPECT_FALSE(T_INFO_bIsMssSplit());
}

} // namespace
