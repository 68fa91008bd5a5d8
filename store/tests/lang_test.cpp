// The current language: a damaged or stale "SLNG" must never index past a
// 22-entry text table.
#include "store/lang.h"
#include "store/tests/store_fixture.h"

namespace store_test {
namespace {

using Language = Store;

TEST_F(Language, FollowsSlngOnlyWhileItIsAValidIndex)
{
    EXPECT_EQ(nCurrentLanguage(), 0u) << "never written";
    struct Case {
        U32 stored;
        U32 shown;
    };
    for (const Case& c : {Case{5, 5}, Case{21, 21}, Case{22, 0}, Case{0xFFFFFFFF, 0}, Case{0, 0}}) {
        H_DATABASE_bUpdateValueU32(FCID("SLNG"), c.stored, P_NORMAL);
        EXPECT_EQ(nCurrentLanguage(), c.shown) << c.stored;
    }
    // A value whose time-out has run out is no longer valid.
    H_DATABASE_bUpdateEverythingU32(FCID("SLNG"), 8, P_NORMAL, D_UNSIGNED32, nullptr, 1);
    EXPECT_EQ(nCurrentLanguage(), 8u);
    advanceSeconds(2);
    EXPECT_EQ(nCurrentLanguage(), 0u);
}

} // namespace
} // namespace store_test
