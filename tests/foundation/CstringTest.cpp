#include "foundation/Cstring.h"

#include <gtest/gtest.h>

TEST(Cstring, DefaultIsEmpty)
{
    Cstring s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetMaxLength(), 1);
}
