#include "potentialpen.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr int N = 1024;

TEST(PotentialPen, TentRampsToUntouchedFeetClampedAtBothEnds)
{
    std::vector<double> A(N, 0.0);
    A[0] = 0.2;
    A[1023] = -0.3;
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Tent, 10, 1.0, 50, last); // lo = 0
    EXPECT_DOUBLE_EQ(A[0], 0.2);
    EXPECT_DOUBLE_EQ(A[5], 0.6);
    EXPECT_DOUBLE_EQ(A[10], 1.0);
    EXPECT_DOUBLE_EQ(A[35], 0.5);
    EXPECT_DOUBLE_EQ(A[60], 0.0);
    PotentialPen::apply(A.data(), N, PotentialPen::Tent, 1020, 0.6, 50, last); // hi = 1023
    EXPECT_DOUBLE_EQ(A[969], 0.0);
    EXPECT_DOUBLE_EQ(A[995], 0.3);
    EXPECT_NEAR(A[1021], 0.3, 1e-15);
    EXPECT_DOUBLE_EQ(A[1023], -0.3);
}

TEST(PotentialPen, PlateauSetsWholeClampedRange)
{
    std::vector<double> A(N, 1.0);
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Plateau, 500, 0.25, 30, last);
    PotentialPen::apply(A.data(), N, PotentialPen::Plateau, 3, -0.5, 30, last);
    for (int j = 0; j < N; ++j) {
        const double want = j <= 33 ? -0.5 : (j >= 470 && j <= 530) ? 0.25 : 1.0;
        EXPECT_DOUBLE_EQ(A[j], want) << j;
    }
}

TEST(PotentialPen, LineFirstClickSetsOnePointThenJoinsInBothDirections)
{
    std::vector<double> A(N, 0.0);
    int last = -1;
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 100, 1.0, 5, last);
    EXPECT_EQ(last, 100);
    EXPECT_DOUBLE_EQ(A[99], 0.0);
    EXPECT_DOUBLE_EQ(A[101], 0.0);
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 200, 3.0, 5, last); // pen range plays no part
    EXPECT_DOUBLE_EQ(A[150], 2.0);
    EXPECT_DOUBLE_EQ(A[201], 0.0);
    last = 200;
    PotentialPen::apply(A.data(), N, PotentialPen::Line, 0, -1.0, 5, last);
    EXPECT_DOUBLE_EQ(A[200], 3.0);
    EXPECT_DOUBLE_EQ(A[100], 1.0);
    EXPECT_DOUBLE_EQ(A[50], 0.0);
    EXPECT_DOUBLE_EQ(A[0], -1.0);
}
} // namespace
