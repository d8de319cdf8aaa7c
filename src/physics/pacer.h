// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PACER_H
#define QUANTAURA_PACER_H

// How many time steps each frame of the running evolution advances. At a tempo the simulated
// time follows the real time: a frame at real time `now` (seconds, from any clock the caller
// likes) owes tempo * (now - previous frame) steps; the fraction left over is carried to the
// next frame, so the count over a second does not depend on the frame rate. At Fastest every
// frame is one step, however fast the frames come.
class Pacer
{
public:
    enum Tempo { VerySlow, Slow, Normal, Fast, Fastest };
    static constexpr int TempoCount = 5;
    // A frame that comes later than this after the previous one (the machine stalled, the
    // window was moved) counts only this long, so that a stall never triggers a burst of steps.
    static constexpr double MaxFrameTime = 0.25;

    // Steps per real second; 0 for Fastest, which is paced by its frames.
    static double stepsPerSecond(Tempo tempo);

    Tempo tempo() const { return tempo_; }
    // Out-of-range values give Normal. Takes effect from the next frame on.
    void setTempo(int tempo);

    // Counting starts at `now`, with nothing carried.
    void start(double now);
    // No frame owes anything until the next start.
    void stop();
    bool running() const { return running_; }

    // The whole steps due at `now`. A clock that goes back counts as no time.
    int frame(double now);

private:
    Tempo tempo_ = Normal;
    bool running_ = false;
    double last_ = 0.0;
    double carry_ = 0.0;
};

#endif
