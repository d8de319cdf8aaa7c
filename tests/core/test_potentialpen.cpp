#include "potentialpen.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr int N = 1024;

TEST(PotentialPen, TentClampsAtLeftEdgeAndRampsFromFirstSample)
{
    std::vector<double> A(N, 0.0);
    A[0] = 0.2;
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Tent, 10, 1.0, 50, last);
    // lo = 0: a straight ramp from A[0] = 0.2 up to 1.0 at index 10.
    EXPECT_DOUBLE_EQ(A[0], 0.2);
    EXPECT_DOUBLE_EQ(A[5], 0.2 + 0.5 * 0.8);
    EXPECT_DOUBLE_EQ(A[10], 1.0);
    // Right flank down to the untouched foot at 60.
    EXPECT_DOUBLE_EQ(A[35], 0.5);
    EXPECT_DOUBLE_EQ(A[60], 0.0);
    EXPECT_DOUBLE_EQ(A[61], 0.0);
}

TEST(PotentialPen, TentClampsAtRightEdge)
{
    std::vector<double> A(N, 0.0);
    A[1023] = -0.3;
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Tent, 1020, 0.6, 50, last);
    EXPECT_DOUBLE_EQ(A[970], 0.0);
    EXPECT_DOUBLE_EQ(A[995], 0.3);
    EXPECT_DOUBLE_EQ(A[1020], 0.6);
    // hi = 1023: A[1021] is two thirds of the way from 0.6 down to -0.3.
    EXPECT_NEAR(A[1021], 0.6 - 0.9 / 3.0, 1e-15);
    EXPECT_DOUBLE_EQ(A[1023], -0.3);
    EXPECT_DOUBLE_EQ(A[969], 0.0);
}

TEST(PotentialPen, PlateauSetsWholeRange)
{
    std::vector<double> A(N, 1.0);
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Plateau, 500, 0.25, 30, last);
    EXPECT_DOUBLE_EQ(A[469], 1.0);
    for (int j = 470; j <= 530; ++j)
        EXPECT_DOUBLE_EQ(A[j], 0.25) << j;
    EXPECT_DOUBLE_EQ(A[531], 1.0);
    PotentialPen::apply(A.data(), N, PotentialPen::Plateau, 3, -0.5, 30, last);
    EXPECT_DOUBLE_EQ(A[0], -0.5);
    EXPECT_DOUBLE_EQ(A[33], -0.5);
    EXPECT_DOUBLE_EQ(A[34], 1.0);
}

TEST(PotentialPen, LineFirstClickSetsOnlyThatPoint)
{
    std::vector<double> A(N, 0.0);
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 300, 0.7, 50, last);
    EXPECT_EQ(last, 300);
    for (int j = 0; j < N; ++j)
        EXPECT_DOUBLE_EQ(A[j], j == 300 ? 0.7 : 0.0) << j;
}

TEST(PotentialPen, LineJoinsPreviousPointInBothDirections)
{
    std::vector<double> A(N, 0.0);
    A[100] = 1.0;
    int last = 100;
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 200, 3.0, 10, last);
    EXPECT_DOUBLE_EQ(A[100], 1.0);
    EXPECT_DOUBLE_EQ(A[150], 2.0);
    EXPECT_DOUBLE_EQ(A[200], 3.0);
    EXPECT_DOUBLE_EQ(A[201], 0.0); // the pen range plays no part

    // Backwards: from 200 (3.0) down to 0 (-1.0).
    last = 200;
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 0, -1.0, 10, last);
    EXPECT_DOUBLE_EQ(A[200], 3.0);
    EXPECT_DOUBLE_EQ(A[100], 1.0);
    EXPECT_DOUBLE_EQ(A[50], 0.0);
    EXPECT_DOUBLE_EQ(A[0], -1.0);
}
} // namespace
