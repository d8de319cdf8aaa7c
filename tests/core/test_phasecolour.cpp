#include "phasecolour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

namespace {
using cd = std::complex<double>;

void expectColour(cd z, int r, int g, int b)
{
    const PhaseColour c = phaseColour(z);
    EXPECT_EQ(c.red, r) << z;
    EXPECT_EQ(c.green, g) << z;
    EXPECT_EQ(c.blue, b) << z;
}

TEST(PhaseColour, ReferenceTable)
{
    expectColour(cd(0.0, 0.0), 103, 103, 183);
    expectColour(cd(1.0, 0.0), 253, 28, 31);
    expectColour(cd(0.0, 1.0), 4, 199, 111);
    expectColour(cd(-1.0, 0.0), 154, 77, 81);
    expectColour(cd(0.0, -1.0), 4, 112, 196);
    expectColour(cd(0.5, 0.0), 242, 34, 42);
    expectColour(cd(0.1, 0.0), 162, 74, 123);
}

TEST(PhaseColour, ComponentsStayInByteRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double m : {1e-300, 0.01, 0.3, 1.0, 7.0, 200.0, 1e300}) {
        for (int step = 0; step < 3600; ++step) {
            const PhaseColour c = phaseColour(std::polar(m, step * 0.001745329));
            ASSERT_TRUE(c.red >= 0 && c.red <= 255 && c.green >= 0 && c.green <= 255 && c.blue >= 0
                        && c.blue <= 255) << m << " " << step;
        }
    }
    // No phase without a finite value: the colour of zero.
    expectColour(cd(std::nan(""), 1.0), 103, 103, 183);
    expectColour(cd(inf, -inf), 103, 103, 183);
}

TEST(PhaseColour, ColumnMapping)
{
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(columnIndex(i, 1024), i);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(columnIndex(i, 512), 2 * i);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(columnIndex(i, 2048), i / 2);
    // 1000 pixels: 1023 is reachable only from the last columns; nothing past it.
    EXPECT_EQ(columnIndex(999, 1000), 1022);
    EXPECT_EQ(columnIndex(1000, 1000), 1023);
    EXPECT_EQ(columnIndex(5000, 1000), 1023);
}

TEST(PhaseColour, GridIndexClampsOutsideTheView)
{
    EXPECT_EQ(gridIndex(250, 500), 512);
    EXPECT_EQ(gridIndex(499, 500), 1021);
    EXPECT_EQ(gridIndex(-1, 500), 0);
    EXPECT_EQ(gridIndex(-3000, 500), 0);
    EXPECT_EQ(gridIndex(700, 500), 1023);
    EXPECT_EQ(gridIndex(std::numeric_limits<int>::max(), 500), 1023);
    EXPECT_EQ(gridIndex(std::numeric_limits<int>::min(), 500), 0);
    // A view without width has no columns to divide by.
    EXPECT_EQ(gridIndex(10, 0), 0);
    EXPECT_EQ(columnIndex(10, -4), 0);
}
}
