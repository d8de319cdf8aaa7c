// SPDX-License-Identifier: GPL-3.0-or-later
// What the tempo menu promises:
//   "Sehr langsam" .. "Schnell"        -> 16, 48, 128, 512 steps per second at any frame rate; Fastest: 1 a frame
//   no saved tempo, or one out of range -> Normal; before a start, after a stop: no steps, the pause not made up
//   a stall / clock going back / NaN   -> a quarter second at most / no time / passed over
#include "physics/pacer.h"
#include "coretestutil.h"

namespace {

// Steps over frames at the given times of a fake clock, the first starting the run.
int run(Pacer &pacer, const std::vector<double> &times)
{
    pacer.start(times.front());
    int steps = 0;
    for (size_t i = 1; i < times.size(); ++i)
        steps += pacer.frame(times[i]);
    return steps;
}

std::vector<double> frames(double from, double to, double interval)
{
    std::vector<double> t;
    for (int i = 0; from + i * interval <= to + 1e-12; ++i)
        t.push_back(from + i * interval);
    return t;
}

TEST(Pacer, ASecondAdvancesTheTemposStepsWhateverTheFrameRate)
{
    std::vector<double> irregular{10.0}; // every frame between 5 and 45 ms, as a busy machine delivers them
    for (int i = 0; irregular.back() < 11.0 - 0.05; ++i)
        irregular.push_back(irregular.back() + 0.005 + 0.04 * std::fabs(std::sin(1.7 * i * i)));
    irregular.push_back(11.0);
    const struct {
        Pacer::Tempo tempo;
        int steps;
    } tempi[] = {{Pacer::VerySlow, 16}, {Pacer::Slow, 48}, {Pacer::Normal, 128}, {Pacer::Fast, 512}};
    for (const auto &[tempo, steps] : tempi) {
        EXPECT_EQ(Pacer::stepsPerSecond(tempo), steps);
        for (const std::vector<double> &times : {frames(10.0, 11.0, 1.0 / 60), frames(10.0, 11.0, 1.0 / 144),
                                                 frames(10.0, 11.0, 1.0 / 24), irregular}) {
            Pacer pacer;
            pacer.setTempo(tempo);
            EXPECT_NEAR(run(pacer, times), steps, 1) << "tempo " << tempo << ", " << times.size() << " frames";
        }
    }
    Pacer pacer;
    EXPECT_EQ(pacer.tempo(), Pacer::Normal) << "the default";
    EXPECT_NEAR(run(pacer, frames(0.0, 8.0, 1.0 / 60)), 1024, 1) << "a packet of momentum 100 crosses in 8 s";
    EXPECT_EQ(Pacer::stepsPerSecond(Pacer::Fastest), 0.0) << "paced by its frames";
}

TEST(Pacer, FastestIsOneStepPerFrameAStoppedPacerOwesNothingAndStallsCauseNoBurst)
{
    Pacer pacer;
    EXPECT_FALSE(pacer.running()) << "before the first start";
    EXPECT_EQ(pacer.frame(0.5), 0) << "before the first start";
    pacer.setTempo(Pacer::Fastest);
    EXPECT_EQ(run(pacer, {0.0, 0.0, 0.0, 0.5, 7.0, 7.0001}), 5) << "one per frame, whatever the clock";
    pacer.setTempo(Pacer::Normal);
    pacer.start(0.0);
    EXPECT_TRUE(pacer.running());
    EXPECT_EQ(pacer.frame(0.125), 16);
    EXPECT_EQ(pacer.frame(0.2), 9);
    pacer.setTempo(Pacer::Fast); // from the next frame on, the carried 0.6 step kept
    EXPECT_EQ(pacer.frame(0.2625), 32);
    pacer.stop();
    EXPECT_FALSE(pacer.running());
    EXPECT_EQ(pacer.frame(0.9), 0) << "after the stop";
    pacer.start(5.0); // the paused time is not made up
    EXPECT_EQ(pacer.frame(5.25), 128);
    pacer.setTempo(Pacer::Normal);
    pacer.start(0.0);
    EXPECT_EQ(pacer.frame(3.0), 32) << "a stall of 3 s counts as 0.25 s";
    EXPECT_EQ(pacer.frame(2.0), 0) << "a clock going back";
    EXPECT_EQ(pacer.frame(2.125), 16);
    EXPECT_EQ(pacer.frame(std::nan("")), 0);
    EXPECT_EQ(pacer.frame(2.25), 16) << "a clock that was not a number is passed over";
    for (int bad : {-1, 5, 99}) {
        pacer.setTempo(Pacer::Fast);
        pacer.setTempo(bad);
        EXPECT_EQ(pacer.tempo(), Pacer::Normal) << bad;
    }
}
} // namespace
