// The history module's world in a test process: the unit root, the data
// store, the unit conversion, and the windows, stores and bitmaps built once
// as the task builds them at start. The info strip is shown or hidden
// through the info task's readout sets, as the user would.
#pragma once

#include "graphics/color.h"
#include "kernel/l_mbox.h"
#include "kernel/l_mutex.h"
#include "kernel/h_memory.h"
#include "sonar/dsp/s_coproc.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/tests/sonar_root.h"
#include "store/h_database.h"
#include "ui/t_info_state.h"
#include "ui/u_keyboard.h"
#include "util/u_convert.h"

#include <gtest/gtest.h>

#include <vector>

namespace history_test {

constexpr COLOR BACKGROUND = 0x1234;

inline void world()
{
    static const bool ready = [] {
        sonar_test::unitRoot();
        H_DATABASE_vInit();
        U_CONVERT_vInitialiseConversionUtility();
        gCOLOR_pcolColorTable[0] = BACKGROUND;
        return true;
    }();
    (void)ready;
}

// The world and the windows, stores and bitmaps of start-up.
inline void worldWithWindows()
{
    world();
    static const bool ready = [] {
        t_n_history::vCreateWindowsAndStores();
        return true;
    }();
    (void)ready;
}

inline void setU32(const char (&key)[5], U32 value)
{
    H_DATABASE_bUpdateEverythingU32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void setS32(const char (&key)[5], S32 value)
{
    H_DATABASE_bUpdateEverythingS32(FCID(key), value, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
}

inline void setFloat(const char (&key)[5], float value)
{
    H_DATABASE_bUpdateEverythingFloat(FCID(key), value, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
}

inline U32 u32(const char (&key)[5], U32 absent = 0xDEADBEEF)
{
    U32 value = absent;
    H_DATABASE_bFetchU32(FCID(key), &value, nullptr, nullptr);
    return value;
}

inline float f32(const char (&key)[5], float absent = -1.0f)
{
    float value = absent;
    H_DATABASE_bFetchFloat(FCID(key), &value, nullptr, nullptr);
    return value;
}

// The info strip over the bottom of the frame for the info task's view:
// the standard readout set with one box (the last) filled, or none.
inline void strip(LAYER_ID view, bool shown)
{
    setU32("INIP", 0);
    H_DATABASE_bUpdateEverythingU32(FCID("BDEP"), FCID("IDEP"), P_NORMAL, D_FCID, nullptr, DB_TIMEOUT_NEVER);
    if (!H_DATABASE_bFetch(FCID("IDEP"), nullptr, nullptr, nullptr))
        setFloat("IDEP", 0.0f);
    const FOURCHARID* set = t_info::selectionStandard();
    for (int k = 0; k < 5; ++k)
        H_DATABASE_bUpdateEverythingU32(set[k], shown && k == 4 ? FCID("BDEP") : 0, P_NORMAL, D_FCID, nullptr,
                                        DB_TIMEOUT_NEVER);
    t_info::setCurrentView(view);
}

// Key registrations mailed to the keyboard task: a spare mailbox stands
// for it under "TKBD".
constexpr MBOX KEYBOARD_STANDIN = 60;

struct KeyMail {
    CMD_ID cmd;
    U32 keys;
};

inline void keyboardStandIn() { setU32("TKBD", KEYBOARD_STANDIN); }

inline std::vector<KeyMail> keyMails()
{
    std::vector<KeyMail> out;
    while (MSGHEADER* p = L_MBOX_Receive(KEYBOARD_STANDIN)) {
        const GENERIC_MESSAGE* g = reinterpret_cast<const GENERIC_MESSAGE*>(p);
        if (g->Cmd == CMD_ID_REGISTER_FOR_KEYS)
            out.push_back({g->Cmd, reinterpret_cast<const MSG_REGISTER_FOR_KEYS*>(p)->keys});
        else if (g->Cmd == CMD_ID_UNREGISTER_FOR_KEYS)
            out.push_back({g->Cmd, reinterpret_cast<const MSG_UNREGISTER_FOR_KEYS*>(p)->keys});
        H_MEMORY_vFree(p);
    }
    return out;
}

inline bool has(const std::vector<KeyMail>& mails, CMD_ID cmd, U32 keys)
{
    for (const KeyMail& m : mails)
        if (m.cmd == cmd && m.keys == keys)
            return true;
    return false;
}

} // namespace history_test
