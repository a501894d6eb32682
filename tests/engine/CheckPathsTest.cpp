#include <gtest/gtest.h>

#include "TCompare.h"

TEST(CheckPaths, EmptySourceIsReportedFirst) {
    TCompare engine(nullptr);
    EXPECT_EQ(engine.CheckPaths(), 1);
    EXPECT_EQ(engine.GetErrorMessage(), "比較元のパスが不正です");
}
