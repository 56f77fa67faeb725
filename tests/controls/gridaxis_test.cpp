#include "controls/gridaxis.h"

#include "controls/griderror.h"
#include "support/testnames.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Ten indices of 20 pixels and a 1-pixel line, one fixed; index 4 hidden and
// index 6 twice as wide. Scrolled to index 3 in a view of 120 pixels, the
// starts are 0 (fixed), 21, 42, 42, 63 and 104 for indices 0, 3, 4, 5, 6, 7;
// index 8 would start at 125, beyond the view.
constexpr int View = 120;

GridAxis sampleAxis()
{
    GridAxis axis(10, 1, 20);
    axis.setSize(4, -1);
    axis.setSize(6, 40);
    axis.setFirst(3);
    return axis;
}

struct Case {
    int input;
    int expected;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.input << " -> " << c.expected;
}

auto caseName(const char* what)
{
    return testnames::caseNames([what](const Case& c) {
        return std::string(what) + " " + std::to_string(c.input) + " gives " + std::to_string(c.expected);
    });
}

TEST(GridAxisTest, SizesFallBackToTheDefaultUntilOneIsSet)
{
    GridAxis axis(5, 1, 64);
    EXPECT_EQ(axis.size(2), 64);
    EXPECT_EQ(axis.size(7), 64);  // outside: the default
    EXPECT_FALSE(axis.setSize(2, 64));
    EXPECT_FALSE(axis.hasSizes());
    EXPECT_TRUE(axis.setSize(2, 30));
    EXPECT_TRUE(axis.hasSizes());
    EXPECT_EQ(axis.size(2), 30);
    EXPECT_EQ(axis.size(3), 64);
    EXPECT_THROW(axis.setSize(5, 10), EGridError);
    EXPECT_THROW(axis.setSize(-1, 10), EGridError);
    axis.setDefaultSize(40);
    EXPECT_FALSE(axis.hasSizes());
    EXPECT_EQ(axis.size(2), 40);
}

TEST(GridAxisTest, ExtentCountsTheLineAndNothingForAHiddenIndex)
{
    GridAxis axis = sampleAxis();
    EXPECT_EQ(axis.extent(0), 21);
    EXPECT_EQ(axis.extent(4), 0);
    EXPECT_EQ(axis.extent(6), 41);
    axis.setLineWidth(0);
    EXPECT_EQ(axis.extent(6), 40);
    EXPECT_EQ(axis.fixedExtent(), 20);
}

TEST(GridAxisTest, CountChangesCarryTheSizesAndShrinkTheFixedPart)
{
    GridAxis axis = sampleAxis();
    axis.setCount(5);
    axis.setCount(10);
    EXPECT_EQ(axis.size(4), -1);  // kept
    EXPECT_EQ(axis.size(6), 20);  // cut off and grown back with the default
    axis.setFixedCount(5);
    EXPECT_EQ(axis.first(), 5);
    axis.setCount(3);
    EXPECT_EQ(axis.fixedCount(), 2);
}

class PositionTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(PositionTest, StartsInTheViewOrMinusOne)
{
    EXPECT_EQ(sampleAxis().position(GetParam().input, View), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Indices, PositionTest,
                         ::testing::Values(Case{0, 0}, Case{1, -1}, Case{2, -1}, Case{3, 21}, Case{4, 42},
                                           Case{5, 42}, Case{6, 63}, Case{7, 104}, Case{8, -1},
                                           Case{10, -1}, Case{-1, -1}),
                         caseName("index"));

class IndexAtTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(IndexAtTest, FindsTheIndexUnderAPosition)
{
    EXPECT_EQ(sampleAxis().indexAt(GetParam().input, View), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Positions, IndexAtTest,
                         ::testing::Values(Case{-1, -1}, Case{0, 0}, Case{20, 0}, Case{21, 3}, Case{41, 3},
                                           Case{42, 5}, Case{62, 5}, Case{63, 6}, Case{104, 7},
                                           Case{119, 7}, Case{120, -1}),
                         caseName("pixel"));

TEST(GridAxisTest, AnIndexStartingAtTheViewEdgeIsOutside)
{
    EXPECT_EQ(sampleAxis().position(8, 125), -1);
    EXPECT_EQ(sampleAxis().position(8, 126), 125);
    EXPECT_EQ(sampleAxis().lastVisible(125), 7);
    EXPECT_EQ(sampleAxis().lastVisible(126), 8);
}

TEST(GridAxisTest, IndexAtIsMinusOneAfterTheLastIndex)
{
    EXPECT_EQ(sampleAxis().indexAt(166, 1000), 9);
    EXPECT_EQ(sampleAxis().indexAt(167, 1000), -1);
}

class LastFirstTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(LastFirstTest, IsTheLastFirstIndexThatFillsTheView)
{
    EXPECT_EQ(sampleAxis().lastFirst(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Views, LastFirstTest,
                         ::testing::Values(Case{10, 9}, Case{70, 8}, Case{View, 7}, Case{124, 7},
                                           Case{125, 6}, Case{145, 6}, Case{146, 4}, Case{1000, 1}),
                         caseName("view"));

TEST(GridAxisTest, ClampFirstKeepsTheViewInsideItsLimits)
{
    const GridAxis axis = sampleAxis();
    EXPECT_EQ(axis.clampFirst(0, View), 1);
    EXPECT_EQ(axis.clampFirst(5, View), 5);
    EXPECT_EQ(axis.clampFirst(9, View), 7);
    EXPECT_EQ(axis.clampFirst(5, 1000), 1);
}

TEST(GridAxisTest, VisibleCountsFullIndicesAndLastVisibleAlsoAPartOne)
{
    const GridAxis axis = sampleAxis();
    EXPECT_EQ(axis.visibleCount(View), 4);  // 3, hidden 4, 5 and 6; 7 is cut
    EXPECT_EQ(axis.lastVisible(View), 7);
    EXPECT_EQ(axis.visibleCount(1000), 7);
    EXPECT_EQ(axis.lastVisible(1000), 9);
}

class FirstShowingTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(FirstShowingTest, ScrollsJustEnoughToShowTheIndex)
{
    EXPECT_EQ(sampleAxis().firstShowing(GetParam().input, View), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Indices, FirstShowingTest,
                         ::testing::Values(Case{0, 3}, Case{2, 2}, Case{5, 3}, Case{6, 3}, Case{7, 4},
                                           Case{9, 7}),
                         caseName("index"));

TEST(GridAxisTest, BorderAtFindsTheFarEdgeWithinTheTolerance)
{
    const GridAxis axis = sampleAxis();
    const auto border = [&axis](int pos) {
        const GridAxis::Border b = axis.borderAt(pos, 3, View);
        return std::pair(b.index, b.start);
    };
    EXPECT_EQ(border(20), std::pair(0, 0));
    EXPECT_EQ(border(43), std::pair(3, 21));
    EXPECT_EQ(border(59), std::pair(5, 42));
    EXPECT_EQ(border(127), std::pair(7, 104));
    EXPECT_EQ(border(50).first, -1);   // between edges
    EXPECT_EQ(border(146).first, -1);  // the edge of index 8 is out of view
    // A hidden index has no border of its own to drag.
    GridAxis hiddenFirst(3, 0, 20);
    hiddenFirst.setSize(0, -1);
    EXPECT_EQ(hiddenFirst.borderAt(1, 3, View).index, -1);
    EXPECT_EQ(hiddenFirst.borderAt(19, 3, View).index, 1);
}

TEST(GridAxisTest, MoveCarriesTheSizeAlong)
{
    GridAxis axis = sampleAxis();
    axis.move(6, 2);
    EXPECT_EQ(axis.size(2), 40);
    EXPECT_EQ(axis.size(5), -1);
    EXPECT_EQ(axis.size(6), 20);
    GridAxis plain(5, 1, 20);
    plain.move(1, 3);
    EXPECT_FALSE(plain.hasSizes());
}

struct MoveCase {
    int from;
    int to;
    int index;
    int expected;
};

void PrintTo(const MoveCase& c, std::ostream* os)
{
    *os << c.index << " with " << c.from << " to " << c.to;
}

class MovedIndexTest : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(MovedIndexTest, FollowsAMove)
{
    const MoveCase c = GetParam();
    EXPECT_EQ(GridAxis::movedIndex(c.index, c.from, c.to), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Moves, MovedIndexTest,
                         ::testing::Values(MoveCase{2, 5, 2, 5}, MoveCase{2, 5, 3, 2}, MoveCase{2, 5, 5, 4},
                                           MoveCase{2, 5, 6, 6}, MoveCase{2, 5, 1, 1}, MoveCase{5, 2, 5, 2},
                                           MoveCase{5, 2, 2, 3}, MoveCase{5, 2, 4, 5},
                                           MoveCase{5, 2, 6, 6}),
                         testnames::caseNames([](const MoveCase& c) {
                             return std::to_string(c.index) + " when " + std::to_string(c.from) + " moves to "
                                    + std::to_string(c.to);
                         }));

}  // namespace
