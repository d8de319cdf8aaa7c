// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/packetsimulation.h"

#include "physics/grid.h"
#include "physics/wavepacket.h"

PacketSimulation::PacketSimulation(const double *potential)
    : wave_(GridPoints), propagator_(potential, wave_.data(), GridPoints)
{
}

void PacketSimulation::rebuild()
{
    initPacket(wave_.data(), params_.x, params_.height, params_.dx, params_.p, params_.dp, viewHeight_);
    steps_ = 0;
    time_ = 0.0;
}

void PacketSimulation::step()
{
    propagator_.step(TimeStep);
    ++steps_;
    time_ += TimeStep;
}

void PacketSimulation::advance(int n)
{
    for (int k = 0; k < n; ++k)
        step();
}
