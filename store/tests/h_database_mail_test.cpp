// Subscriptions and change mails of the data store: who gets a mail, with
// which value and valid flag, for changes, updates, the time-out sweep and
// relinquish.
#include "store/h_database.h"
#include "store/tests/store_fixture.h"

#include "kernel/l_mem.h"

#include <algorithm>

namespace store_test {
namespace {

using Mails = std::vector<Mail>;

const FOURCHARID KEY = FCID("IDEP");
const FOURCHARID OTHER = FCID("ISPD");

// MB_A follows changes, MB_B updates, MB_C invalidations of KEY; MB_D
// follows every condition of OTHER.
class StoreMail : public Store {
protected:
    void SetUp() override
    {
        Store::SetUp();
        H_DATABASE_bRegisterForDataWithConditions(KEY, MB_A, TRUE, FALSE, FALSE);
        H_DATABASE_bRegisterForDataWithConditions(KEY, MB_B, FALSE, FALSE, TRUE);
        H_DATABASE_bRegisterForDataWithConditions(KEY, MB_C, FALSE, TRUE, FALSE);
        H_DATABASE_bRegisterForDataWithConditions(OTHER, MB_D, TRUE, TRUE, TRUE);
    }
    void expectMails(const Mails& a, const Mails& b, const Mails& c, const Mails& d = {})
    {
        EXPECT_EQ(drain(MB_A), a) << "changes";
        EXPECT_EQ(drain(MB_B), b) << "updates";
        EXPECT_EQ(drain(MB_C), c) << "invalidations";
        EXPECT_EQ(drain(MB_D), d) << "the other key";
    }
};

TEST_F(StoreMail, ChangesAndUpdatesReachExactlyTheirSubscribers)
{
    // The first write of 0 is a change: a new key starts out invalid.
    H_DATABASE_bUpdateEverythingU32(KEY, 0, P_NORMAL, D_UNKNOWN, nullptr, 4);
    expectMails({{KEY, 0, TRUE}}, {{KEY, 0, TRUE}}, {});

    H_DATABASE_bUpdateValueU32(KEY, 12, P_NORMAL);
    expectMails({{KEY, 12, TRUE}}, {{KEY, 12, TRUE}}, {});

    H_DATABASE_bUpdateValueU32(KEY, 12, P_NORMAL); // the same value: an update only
    expectMails({}, {{KEY, 12, TRUE}}, {});

    EXPECT_TRUE(H_DATABASE_bUpdateValueU32(KEY, 13, P_UNOWNED)); // refused
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(KEY, 12, P_UNOWNED));
    expectMails({}, {}, {});

    H_DATABASE_bUpdateValueU32(OTHER, 5, P_NORMAL);
    expectMails({}, {}, {}, {{OTHER, 5, TRUE}});
}

TEST_F(StoreMail, SweepReportsATimedOutKeyOnceToEverySubscriber)
{
    H_DATABASE_bUpdateEverythingU32(KEY, 8, P_EXTERNAL_GPS, D_DEPTH, nullptr, 4);
    H_DATABASE_bUpdateEverythingU32(OTHER, 9, P_EXTERNAL_GPS, D_SPEED, nullptr, DB_TIMEOUT_NEVER);
    drain(MB_A), drain(MB_B), drain(MB_D);

    advanceSeconds(3.5);
    H_DATABASE_vSendAllInvalidData();
    expectMails({}, {}, {});

    advanceSeconds(0.5);
    H_DATABASE_vSendAllInvalidData();
    const Mails invalid = {{KEY, 8, FALSE}};
    expectMails(invalid, invalid, invalid);

    advanceSeconds(100);
    H_DATABASE_vSendAllInvalidData();
    expectMails({}, {}, {});

    // Any writer may now write; the key is valid again and changed.
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(KEY, 8, P_UNOWNED));
    expectMails({{KEY, 8, TRUE}}, {{KEY, 8, TRUE}}, {});
    BOOLEAN valid = FALSE;
    fetchU32(KEY, &valid);
    EXPECT_TRUE(valid);

    // It expires and is reported again.
    advanceSeconds(4);
    H_DATABASE_vSendAllInvalidData();
    expectMails(invalid, invalid, invalid);
}

TEST_F(StoreMail, SweepLeavesKeysThatNeverExpireOrWereNeverWritten)
{
    H_DATABASE_bUpdateValueU32(KEY, 8, P_NORMAL);
    H_DATABASE_bRegisterForDataWithConditions(FCID("INEV"), MB_D, TRUE, TRUE, TRUE);
    drain(MB_A), drain(MB_B);
    advanceSeconds(1e6);
    H_DATABASE_vSendAllInvalidData();
    expectMails({}, {}, {});
}

TEST_F(StoreMail, RelinquishTellsEverySubscriberTheKeyIsInvalid)
{
    H_DATABASE_bUpdateValueU32(KEY, 3, P_HIGHEST);
    drain(MB_A), drain(MB_B);
    H_DATABASE_vRelinquishOwnership(KEY);
    const Mails invalid = {{KEY, 3, FALSE}};
    expectMails(invalid, invalid, invalid);
    EXPECT_FALSE(H_DATABASE_bUpdateValueU32(KEY, 4, P_UNOWNED));
    expectMails({{KEY, 4, TRUE}}, {{KEY, 4, TRUE}}, {});
}

TEST_F(StoreMail, ExceptedMailboxGetsNoMail)
{
    H_DATABASE_bUpdateValueU32Except(KEY, 1, P_NORMAL, MB_A);
    expectMails({}, {{KEY, 1, TRUE}}, {});
}

TEST_F(StoreMail, SubscribingAgainReplacesTheConditions)
{
    H_DATABASE_bRegisterForDataWithConditions(KEY, MB_A, FALSE, FALSE, TRUE); // now updates only
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL);
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL);
    expectMails({{KEY, 1, TRUE}, {KEY, 1, TRUE}}, {{KEY, 1, TRUE}, {KEY, 1, TRUE}}, {});
}

TEST_F(StoreMail, AConditionCountsOnlyWhenItIsExactlyOne)
{
    H_DATABASE_bRegisterForDataWithConditions(KEY, MB_A, 2, 0xFF, 7);
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL);
    expectMails({}, {{KEY, 1, TRUE}}, {});
}

TEST_F(StoreMail, UnregisterRemovesTheSubscriptionOfAWrittenKeyOnly)
{
    H_DATABASE_vUnregisterMailbox(KEY, MB_A); // never written: stays
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL);
    expectMails({{KEY, 1, TRUE}}, {{KEY, 1, TRUE}}, {});

    H_DATABASE_vUnregisterMailbox(KEY, MB_A);
    H_DATABASE_bUpdateValueU32(KEY, 2, P_NORMAL);
    expectMails({}, {{KEY, 2, TRUE}}, {});
}

// Free blocks of the whole program heap.
int freeHeapBlocks()
{
    int n = 0;
    for (MAP map = 1; map <= dnmaps; ++map)
        n += std::max(0, (int)L_MEM_GetFreeCount(map));
    return n;
}

TEST_F(StoreMail, MailsToABadMailboxAreDropped)
{
    H_DATABASE_bRegisterForDataWithConditions(KEY, 72, TRUE, TRUE, TRUE);
    H_DATABASE_bRegisterForDataWithConditions(KEY, -1, TRUE, TRUE, TRUE);
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL); // makes the key: its node stays
    expectMails({{KEY, 1, TRUE}}, {{KEY, 1, TRUE}}, {});

    // The mails no mailbox took are freed, not kept: once the good ones are
    // read, the heap has as many free blocks as before the write.
    const int before = freeHeapBlocks();
    H_DATABASE_bUpdateValueU32(KEY, 2, P_NORMAL);
    expectMails({{KEY, 2, TRUE}}, {{KEY, 2, TRUE}}, {});
    EXPECT_EQ(freeHeapBlocks(), before);
}

TEST_F(StoreMail, CatchUpSendsOneMailPerWrittenSubscribedKeyInBucketOrder)
{
    const FOURCHARID never = FCID("INVR");
    H_DATABASE_bRegisterForDataWithConditions(never, MB_D, TRUE, TRUE, TRUE);
    H_DATABASE_bRegisterForDataWithConditions(KEY, MB_D, FALSE, FALSE, FALSE);
    H_DATABASE_bUpdateEverythingU32(KEY, 1, P_NORMAL, D_UNKNOWN, nullptr, 4);
    H_DATABASE_bUpdateValueU32(OTHER, 2, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("IUNS"), 3, P_NORMAL); // nobody subscribes
    // Made last, but in the lowest bucket of the three (worked out by hand:
    // IFST 170, IDEP 314, ISPD 455).
    const FOURCHARID first = FCID("IFST");
    H_DATABASE_bRegisterForDataWithConditions(first, MB_D, TRUE, FALSE, FALSE);
    H_DATABASE_bUpdateValueU32(first, 4, P_NORMAL);
    advanceSeconds(4);
    H_DATABASE_vSendAllInvalidData();
    for (MBOX m : {MB_A, MB_B, MB_C, MB_D})
        drain(m);

    H_DATABASE_vSendMailboxAllRegisteredItems(MB_D);
    EXPECT_EQ(drain(MB_D), (Mails{{first, 4, TRUE}, {KEY, 1, FALSE}, {OTHER, 2, TRUE}}));
    EXPECT_TRUE(drain(MB_A).empty());
}

TEST_F(StoreMail, ByLetterSendCoversEveryWrittenKeyOfThatLetter)
{
    H_DATABASE_bUpdateValueU32(KEY, 1, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SONE"), 2, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("STWO"), 3, P_NORMAL);
    H_DATABASE_bUpdateValueU32(FCID("SDEL"), 4, P_NORMAL);
    H_DATABASE_vDeleteEntry(FCID("SDEL"));
    for (MBOX m : {MB_A, MB_B, MB_C, MB_D})
        drain(m);

    H_DATABASE_vSendMailboxAllItemsBeginningWith('S', MB_C);
    Mails got = drain(MB_C);
    ASSERT_EQ(got.size(), 2u);
    for (const Mail& m : got)
        EXPECT_EQ(m.id & 0xFF, (U32)'S');

    H_DATABASE_vSendMailboxAllItemsBeginningWith(0, MB_C);
    EXPECT_EQ(drain(MB_C).size(), 3u);
}

TEST_F(StoreMail, ReadOrSetDefaultAndDeleteSendNoMail)
{
    DB_DATA_TYPE v;
    v.RawSlot = 6;
    DB_ATTRIBUTES attr = {D_DEPTH, nullptr, DB_TIMEOUT_NEVER};
    H_DATABASE_vReadOrSetDefault(KEY, &v, P_NORMAL, &attr);
    H_DATABASE_vDeleteEntry(KEY);
    expectMails({}, {}, {});
}

} // namespace
} // namespace store_test
