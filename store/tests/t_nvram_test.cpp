// The NVRAM task driven step by step from the test thread: its start (the
// load before "TNVR", the layout version, the header keys), its save pass
// in each system state, and the commands of its mailbox.
#include "store/t_nvram.h"

#include "kernel/l_sema.h"
#include "store/database_msg.h"
#include "store/tests/nvram_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using nvt::db;
using nvt::fc;
using Values = std::map<std::string, U32>;

constexpr MBOX MB_WATCH = 20;
constexpr SEMA SEMA_REPLY = 200;

class NvramTask : public nvt::NvramTest {
protected:
    static void set(const char* key, U32 v) { H_DATABASE_bUpdateValueU32(fc(key), v, P_NORMAL); }
    static bool has(const char* key, U32* pv = nullptr)
    {
        U32 v = 0;
        bool ok = H_DATABASE_bFetchU32(fc(key), &v, nullptr, nullptr);
        if (pv)
            *pv = v;
        return ok;
    }
    static U32 get(const char* key)
    {
        U32 v = 0xDEADBEEF;
        EXPECT_TRUE(has(key, &v)) << key;
        return v;
    }
    template <typename MSG>
    static MSG* mail(CMD_ID cmd)
    {
        auto* m = static_cast<MSG*>(H_MEMORY_pvMalloc(sizeof(MSG)));
        memset(m, 0, sizeof *m);
        reinterpret_cast<GENERIC_MESSAGE*>(m)->Cmd = cmd;
        return m;
    }
    static void send(void* m, SEMA sema = 0)
    {
        ASSERT_EQ(0, L_MBOX_Send(NVRAM_MBOX, static_cast<MSGHEADER*>(m), 3, sema));
    }
    static void sendKey(CMD_ID cmd, const char* key)
    {
        auto* m = mail<MSG_NVRAM_WRITE_TO_NVR>(cmd);
        m->id = fc(key);
        send(m);
    }
    ino_t inode(const char* name) const
    {
        struct stat st;
        return stat(path(name).c_str(), &st) == 0 ? st.st_ino : 0;
    }
};

TEST_F(NvramTask, AFirstStartWritesTheVersionAndTheHeaderKeysTheStoreHolds)
{
    set("SMDL", 410);
    set("SCOM", 7);
    set("SLNG", 2); // a setting, not a header key
    T_NVRAM_vStart();

    nvt::Files expected;
    nvt::writeInPlace(expected, "NVER", NVR_VERSION);
    nvt::writeInPlace(expected, "SMDL", 410);
    nvt::writeInPlace(expected, "SCOM", 7);
    EXPECT_EQ(nvt::readFiles(cwd), expected);
    EXPECT_EQ(files(), (Values{{"NVER", NVR_VERSION}, {"SMDL", 410}, {"SCOM", 7}}));

    EXPECT_EQ(get("CNVR"), 1u);
    DB_ATTRIBUTES a;
    U32 mbox = 0;
    ASSERT_TRUE(H_DATABASE_bFetchU32(fc("TNVR"), &mbox, nullptr, &a));
    EXPECT_EQ(mbox, (U32)NVRAM_MBOX);
    EXPECT_EQ(a.DataType, D_MAILBOX);
}

TEST_F(NvramTask, TnvrIsPublishedOnlyAfterEveryKeyIsLoaded)
{
    nvt::writeFiles(cwd, nvt::encode({{"NVER", NVR_VERSION},
                                      {"CREV", 5},
                                      {"FFST", 6},
                                      {"SMDL", 410},
                                      {"SLNG", 3},
                                      {"SZZZ", 9}}));
    // The language's owner gave it attributes before the load.
    H_DATABASE_bUpdateEverythingU32(fc("SLNG"), 0, P_DEFAULT_SETTING, D_PERCENT, nullptr, 30);
    const char* watched[] = {"TNVR", "CREV", "FFST", "SMDL", "SZZZ", "SLNG"};
    for (const char* key : watched)
        ASSERT_TRUE(H_DATABASE_bRegisterForDataWithConditions(fc(key), MB_WATCH, TRUE, FALSE, FALSE));

    T_NVRAM_vStart();

    std::vector<std::string> order;
    while (MSGHEADER* h = L_MBOX_Receive(MB_WATCH)) {
        FOURCHARID id = reinterpret_cast<MESSAGE_NEW_DATA*>(h)->FourCharId;
        order.push_back(std::string(reinterpret_cast<const char*>(&id), 4));
        H_MEMORY_vFree(h);
    }
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order.back(), "TNVR");

    EXPECT_EQ(get("CREV"), 5u);
    EXPECT_EQ(get("FFST"), 6u);
    EXPECT_EQ(get("SMDL"), 410u);
    EXPECT_EQ(get("SZZZ"), 9u);
    EXPECT_EQ(get("NVER"), NVR_VERSION);
    DB_ATTRIBUTES a;
    U32 v = 0;
    ASSERT_TRUE(H_DATABASE_bFetchU32(fc("SLNG"), &v, nullptr, &a));
    EXPECT_EQ(v, 3u);
    EXPECT_EQ(a.DataType, D_PERCENT) << "a loaded key keeps its owner's attributes";
    EXPECT_EQ(a.u32TimeOut, 30u);
    ASSERT_TRUE(H_DATABASE_bFetchU32(fc("SZZZ"), &v, nullptr, &a));
    EXPECT_EQ(a.DataType, D_UNKNOWN);
    EXPECT_EQ(a.u32TimeOut, DB_TIMEOUT_NEVER) << "a key the load creates never expires";
}

TEST_F(NvramTask, FilesOfAnotherLayoutKeepOnlyTheModelAndTheConfiguration)
{
    nvt::writeFiles(cwd, nvt::encode({{"NVER", 0xFFFFFFF7},
                                      {"SMDL", 410},
                                      {"SCFO", 0x55},
                                      {"SCOM", 4},
                                      {"SLNG", 3},
                                      {"SABC", 1},
                                      {"CREV", 2},
                                      {"FFST", 3}}));
    vt::writeFile(path("sonar.dat"), std::string(508, 'x'));
    T_NVRAM_vStart();

    EXPECT_EQ(files(), (Values{{"NVER", NVR_VERSION}, {"SMDL", 410}, {"SCFO", 0x55}}));
    EXPECT_FALSE(vt::fileExists(path("sonar.dat")));
    EXPECT_EQ(get("SMDL"), 410u);
    EXPECT_EQ(get("SCFO"), 0x55u);
    for (const char* key : {"SLNG", "SABC", "SCOM", "CREV", "FFST"})
        EXPECT_FALSE(has(key)) << key;
}

TEST_F(NvramTask, TheSavePassFollowsTheSystemState)
{
    struct Case {
        const char* name;
        int state; // -1: "CCST" never written
        Values saved;
    };
    const Values header = {{"NVER", NVR_VERSION}, {"SMDL", 410}};
    const Case cases[] = {
        {"before the system state", -1, {}},
        {"normal run", 3, {{"SLNG", 4}, {"SABC", 5}, {"FFST", 7}}},
        {"simulation", 4, {{"SLNG", 4}, {"SABC", 5}, {"FFST", 7}}},
        {"burn-in", 2, {{"SLNG", 4}}},
        {"point of sale", 6, {{"SLNG", 4}}},
    };
    for (const Case& c : cases) {
        SetUp();
        set("SMDL", 410);
        T_NVRAM_vStart();
        ino_t before = inode("nvr_entries.dat");
        set("SLNG", 4);  // on the save-always list
        set("SABC", 5);  // a setting that is not
        set("FFST", 7);  // a factory key with a slot
        set("FABC", 1);  // a factory key without one: refused, nothing else lost
        set("CABC", 2);  // not a saved letter
        if (c.state >= 0)
            set("CCST", (U32)c.state);
        T_NVRAM_vHandleDataSave();
        Values expected = header;
        expected.insert(c.saved.begin(), c.saved.end());
        EXPECT_EQ(files(), expected) << c.name;
        if (c.state < 0) {
            EXPECT_EQ(inode("nvr_entries.dat"), before) << "nothing is written or synced";
        }

        // A pass with nothing changed writes nothing.
        before = inode("nvr_entries.dat");
        T_NVRAM_vHandleDataSave();
        EXPECT_EQ(inode("nvr_entries.dat"), before) << c.name;
    }
}

TEST_F(NvramTask, HeaderKeysAreWrittenAtOnceAndOtherKeysOnRequest)
{
    set("SMDL", 410);
    T_NVRAM_vStart();
    T_NVRAM_vServeMailbox();

    set("SMDL", 411); // the subscription mails the task
    set("SLNG", 6);   // not subscribed: waits for the save pass
    T_NVRAM_vServeMailbox();
    EXPECT_EQ(files(), (Values{{"NVER", NVR_VERSION}, {"SMDL", 411}}));

    // A registered row is not registered again; a key outside the table
    // is no header key.
    H_DATABASE_bUpdateValueU32Except(fc("SMDL"), 412, P_NORMAL, NVRAM_MBOX);
    sendKey(CMD_ID_WRITE_TO_HEADER, "SMDL");
    sendKey(CMD_ID_WRITE_TO_HEADER, "SLNG");
    T_NVRAM_vServeMailbox();
    EXPECT_EQ(files(), (Values{{"NVER", NVR_VERSION}, {"SMDL", 411}}));

    // Writing one key on request: F and S keys the store holds.
    set("CABC", 1);
    sendKey(CMD_ID_WRITE_TO_NVR, "CABC");
    sendKey(CMD_ID_WRITE_TO_NVR, "SQQQ"); // never written
    sendKey(CMD_ID_WRITE_TO_NVR, "SLNG");
    T_NVRAM_vServeMailbox();
    EXPECT_EQ(files(), (Values{{"NVER", NVR_VERSION}, {"SMDL", 411}, {"SLNG", 6}}));
}

TEST_F(NvramTask, ShutdownSavesAndTheTaskStillServesAfterwards)
{
    T_NVRAM_vStart();
    set("CCST", 3);
    set("SLNG", 8);
    auto* unknown = mail<GENERIC_MESSAGE>((CMD_ID)99);
    send(unknown);
    send(mail<GENERIC_MESSAGE>(CMD_ID_SHUTDOWN));
    T_NVRAM_vServeMailbox();
    EXPECT_EQ(files()["SLNG"], 8u);

    // The language can be read back over a changed one.
    set("SLNG", 2);
    send(mail<GENERIC_MESSAGE>(CMD_ID_RESET_POS));
    T_NVRAM_vServeMailbox();
    EXPECT_EQ(get("SLNG"), 8u);

    send(mail<GENERIC_MESSAGE>(CMD_ID_SCRATCH_NVR));
    T_NVRAM_vServeMailbox();
    EXPECT_FALSE(vt::fileExists(path("nvr_entries.dat")));
    EXPECT_FALSE(vt::fileExists(path("nvr_statbit.dat")));
}

TEST_F(NvramTask, BlockRequestsAnswerThroughTheirMail)
{
    T_NVRAM_vStart();
    SONAR_DATA_BLOCK sonar = {};
    PERSONALIZATION_DATA_BLOCK person = {};

    struct Step {
        CMD_ID cmd;
        BOOLEAN expected;
    };
    const Step steps[] = {
        {CMD_ID_READ_SONAR_DATA, FALSE},  {CMD_ID_READ_PERSONALIZED, FALSE}, {CMD_ID_WRITE_SONAR_DATA, TRUE},
        {CMD_ID_WRITE_PERSONALIZED, TRUE}, {CMD_ID_READ_SONAR_DATA, TRUE},    {CMD_ID_READ_PERSONALIZED, TRUE},
    };
    for (const Step& s : steps) {
        bool isSonar = s.cmd == CMD_ID_READ_SONAR_DATA || s.cmd == CMD_ID_WRITE_SONAR_DATA;
        if (s.cmd == CMD_ID_WRITE_SONAR_DATA)
            sonar.u16Data[0] = 0xBEEF;
        if (s.cmd == CMD_ID_WRITE_PERSONALIZED)
            person.u16Data[125] = 0xCAFE;
        if (s.cmd == CMD_ID_READ_SONAR_DATA)
            sonar = {};
        if (s.cmd == CMD_ID_READ_PERSONALIZED)
            person = {};
        MSGHEADER* h;
        BOOLEAN* pbSuccess;
        if (isSonar) {
            auto* m = mail<MSG_SONAR_DATA>(s.cmd);
            m->pSonarData = &sonar;
            m->bSuccess = !s.expected;
            h = &m->Header.msghdr;
            pbSuccess = &m->bSuccess;
        } else {
            auto* m = mail<MSG_PERSONALIZED>(s.cmd);
            m->pPersonData = &person;
            m->bSuccess = !s.expected;
            h = &m->Header.msghdr;
            pbSuccess = &m->bSuccess;
        }
        L_SEMA_SetPending(SEMA_REPLY);
        send(h, SEMA_REPLY);
        T_NVRAM_vServeMailbox();
        EXPECT_EQ(0, L_SEMA_WaitTicks(SEMA_REPLY, 1000)) << "acknowledged, not freed";
        EXPECT_EQ(*pbSuccess, s.expected) << s.cmd;
        H_MEMORY_vFree(h);
    }
    EXPECT_EQ(sonar.u16Data[0], 0xBEEF);
    EXPECT_EQ(person.u16Data[125], 0xCAFE);
}

TEST_F(NvramTask, ASecondOwnerOfTheTaskMailboxKeyIsFatal)
{
    H_DATABASE_bUpdateEverythingU32(fc("TNVR"), 33, P_HIGHEST, D_MAILBOX, nullptr, DB_TIMEOUT_NEVER);
    EXPECT_EXIT(T_NVRAM_vStart(), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(vt::readFile(path("FATAL.LOG")).find("Somebody else registered the NVR Task Maibox in t_nvram"),
              std::string::npos);
}

} // namespace
