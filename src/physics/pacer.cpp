// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/pacer.h"

#include <algorithm>
#include <cmath>

double Pacer::stepsPerSecond(Tempo tempo)
{
    // "Normal": a packet of momentum 100 (0.98 grid points per step) crosses the 1024 points in
    // about 8 s; the others are a third, three eighths of that and four times it.
    switch (tempo) {
    case VerySlow:
        return 16.0;
    case Slow:
        return 48.0;
    case Normal:
        return 128.0;
    case Fast:
        return 512.0;
    case Fastest:
        break;
    }
    return 0.0;
}

void Pacer::setTempo(int tempo)
{
    tempo_ = tempo >= VerySlow && tempo <= Fastest ? Tempo(tempo) : Normal;
}

void Pacer::start(double now)
{
    running_ = true;
    last_ = std::isfinite(now) ? now : 0.0;
    carry_ = 0.0;
}

void Pacer::stop()
{
    running_ = false;
    carry_ = 0.0;
}

int Pacer::frame(double now)
{
    if (!running_)
        return 0;
    if (tempo_ == Fastest)
        return 1;
    if (!std::isfinite(now))
        return 0;
    const double elapsed = std::clamp(now - last_, 0.0, MaxFrameTime);
    last_ = now;
    carry_ += elapsed * stepsPerSecond(tempo_);
    const double whole = std::floor(carry_);
    carry_ -= whole;
    return int(whole);
}
