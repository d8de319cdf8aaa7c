// SPDX-License-Identifier: GPL-3.0-or-later
// The scattering window's numbers: grid (x 1000, centred in 1200, ends continued), edges, Vmax, Vmin, the
// energy unit, the range and the sliders' arithmetic; refused when there is nothing to scatter at.
#include "physics/scattersetup.h"
#include "coretestutil.h"

namespace {
constexpr int N = ScatterSetup::GridSize;
using Samples = std::vector<double>;

TEST(ScatterSetup, GridCentredTimesAThousandMarginsContinueTheEnds)
{
    Samples s(1024, 0.0);
    s[0] = 0.3;
    s[1] = -0.001;
    s[1023] = 0.0125;
    ScatterSetup set = ScatterSetup::prepare(s.data(), 1024);
    ASSERT_EQ(set.raw.size(), std::size_t(N));
    // (1200 - 1024) / 2 = 88 margin samples on each side, at the interior's scale.
    EXPECT_EQ(std::count(set.raw.begin(), set.raw.begin() + 89, 300.0), 89) << "left margin and first sample";
    EXPECT_EQ(set.raw[89], -1.0);
    EXPECT_EQ(std::count(set.raw.begin() + 1111, set.raw.end(), 12.5), 89) << "last sample and right margin";
    EXPECT_FALSE(set.refused);
    set = ScatterSetup::prepare(s.data(), 1000); // fewer samples: wider margins
    EXPECT_EQ(set.raw[99], 300.0);
    EXPECT_EQ(set.raw[101], -1.0);
    EXPECT_EQ(set.raw[1099], 0.0);

    // Nothing to scatter at: all zero, no samples, nothing finite (which counts as 0).
    const Samples zero(1024, 0.0);
    Samples bad(1024, std::nan(""));
    bad[10] = HUGE_VAL;
    bad[11] = 1e307; // finite, but not times 1000
    for (const auto &[samples, count] : {std::pair{zero.data(), 1024}, {s.data(), 0}, {nullptr, 1024}, {bad.data(), 1024}}) {
        set = ScatterSetup::prepare(samples, count);
        EXPECT_TRUE(set.refused) << count;
        EXPECT_EQ(std::count(set.raw.begin(), set.raw.end(), 0.0), N) << count;
    }
}

TEST(ScatterSetup, EdgesEnergyRangeAndScaleSliderOfEachPotential)
{
    struct Case { const char *what; Samples surface; int left, right; double vMax, vMin, vRef, eMax, eLow; int scale; };
    Samples barrier(1024, 0.0), first(1024, 0.0), step(1024, 0.0), peak(1024, 0.001), pit(1024, -0.002);
    std::fill(barrier.begin() + 400, barrier.begin() + 600, 0.5);
    first[0] = 0.3;
    std::fill(step.begin() + 512, step.end(), 0.01);
    peak[500] = 0.0027;
    std::fill(pit.begin() + 300, pit.begin() + 700, -0.005);
    const Case cases[] = {
        // The integration runs between the outermost samples where the grid changes.
        {"barrier", barrier, 487, 688, 500.0, 0.0, 500.0, 1000.0, 0.0, 500},
        {"first sample only", first, 88, 89, 300.0, 0.0, 300.0, 600.0, 0.0, 500},
        {"step", step, 599, 600, 10.0, 0.0, 10.0, 20.0, 0.0, 500},
        {"flat: the whole grid", Samples(1024, 0.01), 0, 1199, 10.0, 10.0, 10.0, 20.0, 20.0, 500},
        // (1000 / 5.4) * 2.7 falls just short of 500.
        {"largest sample 2.7", peak, 587, 589, 2.7, 1.0, 2.7, 5.4, 2.0, 499},
        // No positive sample: the depth is the unit and the range.
        {"all negative", pit, 387, 788, -2.0, -5.0, 3.0, 3.0, -10.0, 1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const ScatterSetup set = ScatterSetup::prepare(c.surface.data(), 1024);
        EXPECT_FALSE(set.refused);
        EXPECT_EQ(set.leftEdge, c.left);
        EXPECT_EQ(set.rightEdge, c.right);
        EXPECT_DOUBLE_EQ(set.vMax, c.vMax);
        EXPECT_DOUBLE_EQ(set.vMin, c.vMin);
        EXPECT_DOUBLE_EQ(set.vRef, c.vRef);
        EXPECT_DOUBLE_EQ(set.eMax, c.eMax);
        EXPECT_DOUBLE_EQ(set.eLow, c.eLow);
        EXPECT_EQ(set.scaleValue, c.scale);
    }
}

TEST(ScatterSetup, SlidersWidthFactorPotentialScaleAndEnergyRange)
{
    for (const auto &[value, factor] : {std::pair{200, 0.002}, {1, 1e-5}, {100000, 1.0}})
        EXPECT_DOUBLE_EQ(ScatterSetup::widthFactor(value), factor) << value;
    // value / 1000 of the energy range, in units of Vmax.
    EXPECT_DOUBLE_EQ(ScatterSetup::potentialScale(1000.0, 500, 500.0), 1.0);
    EXPECT_DOUBLE_EQ(ScatterSetup::potentialScale(5000.0, 50, 500.0), 0.5);
    EXPECT_EQ(ScatterSetup::potentialScale(1000.0, 0, 500.0), 0.0);
    // The slider value that keeps a factor at another range: the nearest one, inside 0..1000.
    bool exact = false;
    EXPECT_EQ(ScatterSetup::scaleValueFor(1.0, 5000.0, 500.0, &exact), 100);
    EXPECT_TRUE(exact);
    EXPECT_EQ(ScatterSetup::scaleValueFor(1.01, 4500.0, 500.0), 112); // 112.2
    EXPECT_EQ(ScatterSetup::scaleValueFor(1.0, 1000.0, 500.0), 500);
    EXPECT_EQ(ScatterSetup::scaleValueFor(9.0, 1000.0, 500.0, &exact), 1000);
    EXPECT_FALSE(exact) << "4500 of 1000";
    EXPECT_EQ(ScatterSetup::scaleValueFor(-1.0, 1000.0, 500.0, &exact), 0);
    EXPECT_FALSE(exact);
    // (10 - value) Vmax, from 2 Vmax at the top (value 8) to 10 Vmax (value 0).
    for (int v : {8, 5, 0}) {
        const ScatterSetup::EnergyRange r = ScatterSetup::energyRange(v, 500.0, -20.0, 500.0);
        EXPECT_DOUBLE_EQ(r.eMax, (10 - v) * 500.0) << v;
        EXPECT_DOUBLE_EQ(r.eLow, (10 - v) * -20.0) << v;
        EXPECT_DOUBLE_EQ(r.factor, 10 - v) << v;
    }
    // Without a positive sample the range set up at 2 "Vmax" (the depth vRef) is scaled instead,
    // and the label counts in depths.
    for (double vMax : {-2.0, 0.0}) {
        const ScatterSetup::EnergyRange r = ScatterSetup::energyRange(0, vMax, -5.0, 3.0);
        EXPECT_DOUBLE_EQ(r.eMax, 15.0) << vMax;
        EXPECT_DOUBLE_EQ(r.eLow, -50.0) << vMax;
        EXPECT_EQ(r.factor, 5.0) << vMax;
        EXPECT_EQ(ScatterSetup::energyRange(8, vMax, -5.0, 3.0).factor, 1.0) << vMax;
    }
}
} // namespace
