// The ping settings: their defaults and who wins over them, sonar on and
// off, the automatic depth range, the transducer change with its masks and
// selections, "ISEN", the playback mode, and the sources restored at start.
#include "gmsg/u_networkdest.h"
#include "sonar/ping/t_n_ping_server.h"
#include "sonar/tests/ping_world.h"

#include <cmath>

namespace ping_test {
namespace {

using namespace t_n_ping;

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithPool();
        setU32("CCST", STATE_NORMAL_RUN);
        U_PING_vSetSystemState(STATE_NORMAL_RUN);
        setU32("ITXD", 1);
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_LOCAL, s);
    }
};

TEST_F(Settings, SwitchingTheSonarOffAndOnRestoresTheLocalMask)
{
    const struct {
        SYSTEM_STATE state;
        U32 changedMeanwhile; // "ELPM" written while the sonar is off; 0 none
        U32 afterOff;
        U32 afterOn;
        bool logged;
    } cases[] = {
        {STATE_NORMAL_RUN, 0, 0, 5, false},
        {STATE_NORMAL_RUN, 2, 0, 5, false},
        {STATE_SIMULATION, 3, 0, 3, true},
        {STATE_POINT_OF_SALE, 0, 0, 0, true},
        {(SYSTEM_STATE)0, 0, 5, 5, false}, // before the system runs: nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((int)c.state);
        U_PING_vSetSystemState(c.state);
        s_u32SavedLocalPingMask = 0;
        setU32("ELPM", 5);
        apply("SSEN", FALSE);
        EXPECT_EQ(u32("ELPM"), c.afterOff);
        EXPECT_FALSE(s_bSonarEnabled);
        if (c.changedMeanwhile)
            setU32("ELPM", c.changedMeanwhile);
        descriptorPut();
        LogCapture log;
        apply("SSEN", TRUE);
        EXPECT_EQ(u32("ELPM"), c.changedMeanwhile && c.logged ? c.changedMeanwhile : c.afterOn);
        EXPECT_TRUE(s_bSonarEnabled);
        EXPECT_EQ(log.text().find("System State SIM or POS DO NOT zero ELPM") != std::string::npos, c.logged);
        EXPECT_EQ(descriptorPut(), c.state != 0) << "switching on turns the loop once";
    }
}

TEST_F(Settings, ADepthBelowTwoFeetMeansAutomatic)
{
    const struct {
        float metres;
        float maximum; // the depth the task keeps; 0 automatic
    } maxima[] = {{0.3048f, 0.0f}, {0.6f, 0.0f}, {0.0f, 0.0f}, {0.62f, 0.62f}, {30.0f, 30.0f}};
    for (const auto& m : maxima) {
        applyFloat("SSMD", m.metres);
        EXPECT_FLOAT_EQ(s_fMaxDepthToPing, m.maximum) << m.metres;
    }

    const struct {
        float metres;
        UNIT_TYPE units;
        bool automatic;
    } ranges[] = {
        {0.3048f, U_FEET, true},  {0.6f, U_FEET, true},      {0.62f, U_FEET, false},  {0.9f, U_METRES, true},
        {1.0f, U_METRES, false},  {1.8f, U_FATHOMS, true},   {1.9f, U_FATHOMS, false}, {0.1f, U_KM, false},
        {0.0f, U_NAUT_MILES, false},
    };
    for (const auto& r : ranges) {
        EXPECT_EQ(T_N_PING_bAutoDepthRange(r.metres, r.units) != FALSE, r.automatic) << r.metres << " " << r.units;
        apply("SUDP", r.units);
        applyFloat("YSLD", r.metres);
        EXPECT_EQ(s_bAutoRange != FALSE, r.automatic);
    }
}

TEST_F(Settings, ATransducerChangeKeepsTheSelectionsItCanPing)
{
    const struct {
        U32 transducer;
        int frequency; // "SSSF" before: 3, 4 or 5 for "SSF3", "SSF4", "SSF5"
        U32 beam;      // "SSSV" before
        int frequencyAfter;
        U32 beamAfter;
    } cases[] = {
        {5, 5, 1, 4, 1},  {5, 3, 1, 3, 1},  {5, 4, 1, 4, 1},  {10, 3, 1, 4, 1}, {15, 5, 1, 5, 1}, {17, 4, 1, 4, 1},
        {2, 5, 1, 4, 1},  {9, 3, 1, 4, 1},  {1, 5, 5, 5, 1},  {11, 3, 4, 3, 4}, {14, 3, 7, 3, 1}, {16, 3, 7, 3, 7},
    };
    auto key = [](int f) { return FCID("SSF0") + ((U32)f << 24); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transducer);
        setU32("SSSF", key(c.frequency));
        setU32("SSSV", c.beam);
        apply("SSTS", c.transducer);
        EXPECT_EQ(u32("SSSF"), key(c.frequencyAfter));
        EXPECT_EQ(u32("SSSV"), c.beamAfter);
    }
}

TEST_F(Settings, ATransducerChangePingsOnlyTheSourcesShownHere)
{
    const struct {
        const char* what;
        U32 transducer;
        U32 network; // "ENPM"
        bool detected;
        SYSTEM_STATE state;
        U32 local;      // "ELPM" after
        U32 yst1, yst2; // transducer keys after
    } cases[] = {
        {"2D and Keelview", 15, 0, true, STATE_NORMAL_RUN, 0x3, 15, 15},
        {"2D shown from a server", 15, 0x1, true, STATE_NORMAL_RUN, 0x2, 15, 15},
        {"Flankview shown from a server", 15, 0x4, true, STATE_NORMAL_RUN, 0x1, 15, 15},
        {"the 360 unit from a server", 5, 0x8, true, STATE_NORMAL_RUN, 0x5, 5, 0},
        {"a side-scan transducer", 5, 0, true, STATE_NORMAL_RUN, 0x5, 5, 0},
        {"no transducer detected", 15, 0, false, STATE_NORMAL_RUN, 0x0, 0, 0},
        {"simulation without a transducer id", 0, 0, true, STATE_SIMULATION, 0x3, 0, 0},
        {"simulation", 1, 0, true, STATE_SIMULATION, 0x1, 1, 0},
    };
    // A client of the 2D source; without the network service here, each
    // send to it fails and counts against it, which shows it was tried.
    if (s_pvNetworkDestinations.load() == nullptr)
        s_pvNetworkDestinations = U_NETWORKDEST_pvNew();
    const U32 client = 0x0A01A8C0; // 192.168.1.10
    GMSG_ADDRESS clientAddress;
    GMSG_vMakeSocketAddress(&clientAddress, client, 50688);
    ASSERT_TRUE(T_N_PING_bRegisterNetworkDestination(s_pvNetworkDestinations, &clientAddress, TRUE, 55000));
    U_PING_vAddClientNode(&sonarSourcesArray[SONAR_SOURCE_2D], client);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        T_N_PING_pGetClientData(client)->u32SendConsecutiveErrorCount = 0;
        setU32("CCST", c.state);
        setU32("ENPM", c.network);
        setU32("ELPM", 0xF);
        setU32("YST1", 99);
        setU32("YST2", 99);
        if (c.detected)
            setU32("ITXD", 1);
        else
            forget("ITXD");
        apply("SSTS", c.transducer);
        EXPECT_EQ(u32("ELPM"), c.local);
        EXPECT_EQ(u32("YST1"), c.yst1);
        EXPECT_EQ(u32("YST2"), c.yst2);
        EXPECT_EQ(s_db_TransducerSelect, c.detected ? c.transducer : 0);
        EXPECT_EQ(T_N_PING_pGetClientData(client)->u32SendConsecutiveErrorCount, 1u)
            << "clients hear of the new transducer";
    }
    U_PING_vAllDeleteClientNodes(&sonarSourcesArray[SONAR_SOURCE_2D]);
    T_N_PING_bRegisterNetworkDestination(s_pvNetworkDestinations, &clientAddress, FALSE, 0);
}

TEST_F(Settings, ATransducerChangeDropsSourcesChosenFromAnotherUnit)
{
    setU32("SMAC", 0x123456);
    setU32("ENPM", 0);
    s_u32SonarSourceMAC[0] = 0x123456;
    s_u32SonarSourceMAC[1] = 0x654321;
    s_u32SonarSourceMAC[2] = 0x123456;
    apply("SSTS", 15);
    EXPECT_EQ(u32("ELPM"), 0x1u);
    forget("SMAC");
}

TEST_F(Settings, SonarIsShownWhenFirstRuleApplies)
{
    using S = NETWORK_CLIENT_STATE;
    constexpr S INIT = NETWORK_CLIENT_STATE_INIT, LOCAL = NETWORK_CLIENT_STATE_LOCAL,
                CONN = NETWORK_CLIENT_STATE_CONNECTED, DISC = NETWORK_CLIENT_STATE_DISCONNECTED;
    const struct {
        const char* what;
        bool playback;
        int features; // "SFEF": -1 absent
        S states[SONAR_SOURCE_COUNT];
        int detected; // "ITXD": -2 absent
        bool sonarOn;
        bool shown;
    } cases[] = {
        {"playback", true, -1, {INIT, INIT, INIT, INIT}, -2, false, true},
        {"2D from a server", false, 1, {CONN, DISC, DISC, DISC}, -2, false, true},
        {"Keelview from a server", false, 1, {DISC, CONN, DISC, DISC}, 0, true, true},
        {"360 from a server", false, 1, {DISC, DISC, DISC, CONN}, -1, true, true},
        {"Flankview alone from a server", false, 1, {DISC, DISC, CONN, DISC}, -2, true, false},
        {"a server without network features", false, 0, {CONN, DISC, DISC, DISC}, 1, true, false},
        {"local 2D", false, 0, {LOCAL, DISC, DISC, DISC}, 1, true, true},
        {"local Keelview", false, -1, {DISC, LOCAL, DISC, DISC}, 1, true, true},
        {"local Flankview only", false, -1, {DISC, DISC, LOCAL, DISC}, 1, true, false},
        {"sonar off", false, -1, {LOCAL, LOCAL, DISC, DISC}, 1, false, false},
        {"no transducer", false, -1, {LOCAL, LOCAL, DISC, DISC}, 0, true, false},
        {"transducer unknown", false, -1, {LOCAL, LOCAL, DISC, DISC}, -1, true, false},
        {"nothing decided", false, -1, {INIT, INIT, INIT, INIT}, 1, true, false},
    };
    for (const auto& c : cases) {
        U_PING_vSetPlayback(c.playback);
        if (c.features < 0)
            forget("SFEF");
        else
            H_DATABASE_bUpdateEverythingBoolean(FCID("SFEF"), (BOOLEAN)c.features, P_NORMAL, D_UNKNOWN, nullptr,
                                                DB_TIMEOUT_NEVER);
        for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
            U_PING_vSetNetworkClientState(c.states[s], s);
        if (c.detected == -2)
            forget("ITXD");
        else
            setU32("ITXD", (U32)c.detected);
        H_DATABASE_bUpdateEverythingBoolean(FCID("SSEN"), c.sonarOn, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        setU32("ISEN", 7);
        T_N_PING_vSetSonarViewEnable();
        EXPECT_EQ(u32("ISEN"), c.shown ? 1u : 0u) << c.what;
    }
    U_PING_vSetPlayback(FALSE);
}

TEST_F(Settings, APlaybackModeChangeTellsProcessingAndSeeksOnANewDirection)
{
    U_PING_vSetSystemState(STATE_PLAYBACK);
    s_u32PlaybackMode = PLAYBACK_MODE_STOP;
    s_bReverseScroll = FALSE;
    process();
    const struct {
        U32 mode;
        bool mail;
        bool seek;
        bool reverse;
        bool pings;
    } steps[] = {
        {PLAYBACK_MODE_BEGIN, true, false, false, true},
        {PLAYBACK_MODE_BEGIN, false, false, false, true}, // the same mode again
        {PLAYBACK_MODE_REVERSE, true, true, true, false},
        {PLAYBACK_MODE_PAUSED, true, false, true, false},
        {PLAYBACK_MODE_FORWARD, true, true, false, false},
        {PLAYBACK_MODE_END_FILL, true, false, true, true}, // drawn where it stands
        {PLAYBACK_MODE_END, true, false, true, true},
        {PLAYBACK_MODE_STOP, true, true, false, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.mode);
        s_bNeedSeekPing = FALSE;
        apply("CPSP", s.mode);
        const std::vector<Processed> mails = process();
        ASSERT_EQ(mails.size(), s.mail ? 1u : 0u);
        if (s.mail) {
            EXPECT_EQ(mails[0].cmd, CMD_ID_NEW_PLAYBACK_STATE);
            EXPECT_EQ(mails[0].mode, s.mode);
        }
        EXPECT_EQ(s_bNeedSeekPing != FALSE, s.seek);
        EXPECT_EQ(s_bReverseScroll != FALSE, s.reverse);
        EXPECT_EQ(s_bSystemPinging != FALSE, s.pings);
    }
}

TEST_F(Settings, DefaultsYieldToStrongerWritersUntilAFactoryReset)
{
    H_DATABASE_bUpdateEverythingU32(FCID("CSFL"), 50, P_NVR, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("SRPS"), 4, P_NVR, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingFloat(FCID("SSSR"), 20.0f, P_NORMAL, D_DEPTH, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("SSPS"), 8, P_NORMAL, D_UNSIGNED32, nullptr, DB_TIMEOUT_NEVER);
    H_DATABASE_bUpdateEverythingU32(FCID("SUDP"), U_METRES, P_NVR, D_UNITS, nullptr, DB_TIMEOUT_NEVER);
    auto f = [](const char(&key)[5]) {
        float v = -1;
        H_DATABASE_bFetchFloat(FCID(key), &v, nullptr, nullptr);
        return v;
    };

    vRegisterDatabaseItems(FALSE);
    EXPECT_EQ(u32("CSFL"), 50u) << "a saved value stays";
    EXPECT_EQ(u32("CSF2"), 200u);
    EXPECT_EQ(u32("SSSF"), FCID("SSF4"));
    EXPECT_EQ(u32("SRPS"), 4u);
    EXPECT_FLOAT_EQ(f("SSSR"), 20.0f);
    EXPECT_FLOAT_EQ(f("SASR"), 10.0f);
    EXPECT_EQ(u32("SSPS"), 4u) << "written at every start";
    EXPECT_EQ(u32("SUDP"), (U32)U_METRES);
    EXPECT_EQ(u32("TPNG"), 8u);
    EXPECT_EQ(s_u32MaxPingsPerSecond, 4u);
    EXPECT_EQ(s_u32PlaybackMode, (U32)PLAYBACK_MODE_STOP);

    vRegisterDatabaseItems(TRUE);
    EXPECT_EQ(u32("CSFL"), 83u) << "a reset overwrites";
    EXPECT_EQ(u32("SRPS"), 4u) << "only ever written when absent";
    EXPECT_FLOAT_EQ(f("SSSR"), 20.0f) << "its default stays weaker than the user";
    EXPECT_EQ(u32("SUDP"), (U32)U_METRES);
    while (MSGHEADER* pMail = L_MBOX_Receive(PING_MAILBOX))
        H_MEMORY_vFree(pMail);
}

// The capture review's "Pings Per Second" item formats "SRPS" through the
// store, which ends the unit on a key of a type it has no format for.
TEST_F(Settings, ThePingRateKeyHasATypeTheMenusCanFormat)
{
    vRegisterDatabaseItems(FALSE);
    DB_ATTRIBUTES attributes{};
    U32 u32Rate = 0;
    ASSERT_TRUE(H_DATABASE_bFetchU32(FCID("SRPS"), &u32Rate, nullptr, &attributes));
    EXPECT_EQ(u32Rate, 11u);
    EXPECT_EQ(H_DATABASE_DataType(attributes.DataType), DF_UNSIGNED32);
    while (MSGHEADER* pMail = L_MBOX_Receive(PING_MAILBOX))
        H_MEMORY_vFree(pMail);
}

// At start the saved sources are applied, then 2D and Keelview are switched
// to the transducer found at start-up.
TEST_F(Settings, StartShowsTheLocalTransducersSourcesAndResendsTheFollowedKeys)
{
    setU32("SMAC", 0xAB0102);
    setU32("SSTS", 15);
    setU32("SSES", 0x3);
    setU32("SN2D", 0x0B0B0B); // another unit's 2D, overridden by the local transducer
    for (U32 s = 0; s < SONAR_SOURCE_COUNT; ++s)
        U_PING_vSetNetworkClientState(NETWORK_CLIENT_STATE_INIT, s);
    vRegisterDatabaseItems(FALSE);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_2D), NETWORK_CLIENT_STATE_LOCAL);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_KV), NETWORK_CLIENT_STATE_LOCAL);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_FV), NETWORK_CLIENT_STATE_DISCONNECTED);
    EXPECT_EQ(U_PING_eGetNetworkClientState(SONAR_SOURCE_360), NETWORK_CLIENT_STATE_DISCONNECTED);
    EXPECT_EQ(u32("ELPM"), 0x3u);
    EXPECT_EQ(u32("YST1"), 15u);
    EXPECT_EQ(u32("YST2"), 15u);
    EXPECT_EQ(u32("YST3"), 0u);

    // The task hears its keys again, the masks with them.
    bool elpm = false, ssen = false;
    while (MSGHEADER* pMail = L_MBOX_Receive(PING_MAILBOX)) {
        const auto* pNew = (const MESSAGE_NEW_DATA*)pMail;
        elpm = elpm || pNew->FourCharId == FCID("ELPM");
        ssen = ssen || pNew->FourCharId == FCID("SSEN");
        H_MEMORY_vFree(pMail);
    }
    EXPECT_TRUE(elpm);
    EXPECT_TRUE(ssen);
    EXPECT_FALSE(T_N_PING_vSwitchToLocalSonar(SONAR_SOURCE_FV)) << "transducer 15 has no Flankview";
    EXPECT_EQ(u32("ELPM"), 0x3u);
}

} // namespace
} // namespace ping_test
