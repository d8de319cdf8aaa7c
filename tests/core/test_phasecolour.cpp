// SPDX-License-Identifier: GPL-3.0-or-later
// The colour of a wave-function column and the columns' grid indices:
//   phase 0, +pi/2, -pi/2 -> red, green, blue; tiny or non-finite -> (103, 103, 183); else the formula
//   column x of W         -> grid index x * 1024 div W, clamped to the grid
#include "physics/phasecolour.h"
#include "coretestutil.h"

namespace {
using cd = std::complex<double>;

std::vector<int> rgb(cd z)
{
    const PhaseColour c = phaseColour(z);
    return {c.red, c.green, c.blue};
}

TEST(PhaseColour, ReferenceTable)
{
    const struct { cd z; std::vector<int> rgb; } colours[] = {
        {{0, 0}, {103, 103, 183}}, {{1, 0}, {253, 28, 31}}, {{0, 1}, {4, 199, 111}}, {{-1, 0}, {154, 77, 81}},
        {{0, -1}, {4, 112, 196}}, {{0.5, 0}, {242, 34, 42}}, {{0.1, 0}, {162, 74, 123}},
        {{std::nan(""), 1}, {103, 103, 183}}, {{HUGE_VAL, -HUGE_VAL}, {103, 103, 183}}};
    for (const auto &t : colours)
        EXPECT_EQ(rgb(t.z), t.rgb) << t.z;
}

TEST(PhaseColour, FormulaOverTheWholeRange)
{
    // The formula in long double: equal, or off by 1 where the truncated term is within 1e-6 of a whole
    // number; special moduli and the saturation's range, 720 phases and the four axes.
    std::vector<double> moduli{1e-320, 1e-300, 1e-5, 0.000999, 0.001, 0.0011, 0.01, 0.3, 1.0, 7.0, 8.0, 200.0, 1e300, 1.7e308};
    for (double m = 0.0009; m < 12; m *= 1.07)
        moduli.push_back(m);
    for (double m : moduli)
        for (int step = 0; step < 724; ++step) {
            const cd axes[] = {{m, 0}, {0, m}, {-m, 0}, {0, -m}};
            const cd z = step < 720 ? std::polar(m, step * 6.283185307 / 720) : axes[step - 720];
            const long double re = z.real(), im = z.imag(), t = std::atan2(im, re), s = 1 - std::exp(-5 * std::hypot(re, im));
            const std::vector<int> got = rgb(z);
            for (int c = 0; c < 3; ++c) { // red at t, green at t + 4.2, blue at t + 2.1
                const long double cs = std::cos(t + (c == 0 ? 0 : c == 1 ? 4.2L : 2.1L));
                const long double want = ((202 * cs + 50) * cs - (c == 2 ? 180 : 100)) * s;
                const int d = got[c] - (c == 2 ? 183 : 103) - int(want);
                if (d == 0)
                    continue;
                ASSERT_EQ(std::abs(d), 1) << z << " channel " << c << ": " << got[c];
                ASSERT_LT(std::fabs(want - std::round(want)), 1e-6L) << z << " channel " << c << " off by one away from a whole number";
            }
        }
}

TEST(PhaseColour, ColumnAndGridIndices)
{
    const struct { int (*f)(int, int); int x, width, expected; } indices[] = { // clamped outside the view
        {columnIndex, 999, 1000, 1022}, {columnIndex, 1000, 1000, 1023}, {columnIndex, 5000, 1000, 1023},
        {columnIndex, 10, -4, 0}, {gridIndex, 250, 500, 512}, {gridIndex, 499, 500, 1021}, {gridIndex, -1, 500, 0},
        {gridIndex, 700, 500, 1023}, {gridIndex, INT_MAX, 500, 1023}, {gridIndex, INT_MIN, 500, 0},
        {gridIndex, 10, 0, 0}};
    for (const auto &t : indices)
        EXPECT_EQ(t.f(t.x, t.width), t.expected) << t.x << " " << t.width;
}
} // namespace
