// Link identities come from one counter for the life of the process; this
// program makes no other link, so the first identity is seen here.
#include <gtest/gtest.h>

#include "html/layout/Selection.h"

namespace {

TEST(LinkIdentityTest, StartsAtTenAndCountsEveryLink) {
    TUrlTarget a, b, copy;
    a.Assign(u"a.htm", u"", nullptr, 0);
    EXPECT_EQ(a.ID, 10);
    copy.Assign(a);  // a copy shares the identity and takes none
    b.Assign(u"", u"", nullptr, 0);
    EXPECT_EQ(b.ID, 11);
    a.Clear();
    a.Assign(u"a.htm", u"", nullptr, 0);
    EXPECT_EQ(a.ID, 12);  // never reset
}

}  // namespace
