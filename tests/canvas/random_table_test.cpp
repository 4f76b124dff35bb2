#include "canvas/random_table.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/pen_state.h"

namespace {

class RandomTableTest : public ::testing::Test {
protected:
    void SetUp() override { resetPenState(); }
};

TEST_F(RandomTableTest, HoldsTheCheckValues) {
    const std::int32_t first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    const std::int32_t middle[] = {4833, 31115, 4639, 29658, 22704, 9930, 13977, 2306, 31673, 22386};
    const std::int32_t last[] = {3728, 14893, 24648, 22483, 17807, 2421, 14310, 6617, 22813, 9514};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(randomTable[i], first[i]) << i;
        EXPECT_EQ(randomTable[100 + i], middle[i]) << 100 + i;
        EXPECT_EQ(randomTable[190 + i], last[i]) << 190 + i;
    }
    EXPECT_EQ(*std::min_element(randomTable, randomTable + kRandomTableSize), 41);
    EXPECT_EQ(*std::max_element(randomTable, randomTable + kRandomTableSize), 32757);
}

TEST_F(RandomTableTest, CursorWalksTheTableAndWrapsAfter200) {
    for (int i = 0; i < kRandomTableSize; ++i) ASSERT_EQ(nextRandom(), randomTable[i]) << i;
    EXPECT_EQ(penState.randomIndex, 0);
    EXPECT_EQ(nextRandom(), 41) << "the 201st draw is entry 0 again";
    EXPECT_EQ(penState.randomIndex, 1);
    resetRandom();
    EXPECT_EQ(penState.randomIndex, 0);
    EXPECT_EQ(nextRandom(), 41);
}

TEST_F(RandomTableTest, SpeckleMatrixTakes64ConsecutiveDrawsInOrder) {
    penState.randomIndex = 150;
    refreshSpeckleMatrix();
    for (int i = 0; i < 64; ++i) EXPECT_EQ(penState.speckleMatrix[i], randomTable[(150 + i) % 200]) << i;
    EXPECT_EQ(penState.randomIndex, 14);
}

}  // namespace
