// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/packetsimulation.h"

#include "physics/grid.h"
#include "physics/wavepacket.h"

#include <algorithm>
#include <cmath>

PacketSimulation::PacketSimulation(const double *potential)
    : potential_(potential), wave_(GridPoints), initial_(GridPoints), planned_(GridPoints, 0.0), shifted_(GridPoints, 0.0),
      propagator_(shifted_.data(), wave_.data(), GridPoints)
{
}

void PacketSimulation::rebuild()
{
    initPacket(wave_.data(), params_.x, params_.height, params_.dx, params_.p, params_.dp, viewHeight_);
    initial_ = wave_;
    initialNorm_ = 0.0;
    for (const std::complex<double> &z : wave_)
        initialNorm_ += std::norm(z);
    restart();
}

bool PacketSimulation::placeWave(const std::vector<std::complex<double>> &psi)
{
    if (psi.size() != wave_.size())
        return false;
    double peak = 0.0;
    for (const std::complex<double> &z : psi) {
        if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
            return false;
        peak = std::max(peak, std::abs(z));
    }
    if (!(peak > 0.0) || !std::isfinite(peak) || params_.height <= 0 || viewHeight_ <= 0)
        return false;
    const double factor = 2.0 * params_.height / viewHeight_ / peak;
    if (!std::isfinite(factor))
        return false;
    for (std::size_t n = 0; n < psi.size(); ++n)
        initial_[n] = psi[n] * factor;
    initialNorm_ = 0.0;
    for (const std::complex<double> &z : initial_)
        initialNorm_ += std::norm(z);
    restart();
    return true;
}

void PacketSimulation::restart()
{
    wave_ = initial_;
    steps_ = 0;
    time_ = 0.0;
    plan();
}

void PacketSimulation::plan()
{
    if (potential_)
        std::copy(potential_, potential_ + GridPoints, planned_.begin());
    const PacketMeasurement m = PacketMeasurement::of(wave_.data(), planned_.data(), GridPoints, 0);
    // The largest |E| one plain step of TimeStep keeps within the bound.
    const double limit = 2.0 * std::sqrt(PhaseRateBound) / TimeStep;
    const double reach = std::fabs(m.meanE) + 3.0 * m.spreadE;
    subSteps_ = 1;
    reference_ = 0.0;
    if (!(reach <= limit)) {
        if (std::isfinite(reach)) {
            reference_ = m.meanE;
            subSteps_ = int(std::clamp(std::ceil(3.0 * m.spreadE / limit), 1.0, double(MaxSubSteps)));
        } else {
            subSteps_ = MaxSubSteps;
        }
    }
    for (int n = 0; n < GridPoints; ++n)
        shifted_[n] = planned_[n] - reference_;
    phase_ = std::polar(1.0, -reference_ * TimeStep);
}

void PacketSimulation::step()
{
    if (potential_ && !std::equal(planned_.begin(), planned_.end(), potential_))
        plan(); // an edit since the last step
    if (subSteps_ == 1 && reference_ == 0.0) {
        propagator_.step(TimeStep); // over an exact copy of the potential: the specified step
    } else {
        propagator_.step(TimeStep / subSteps_, subSteps_);
        for (std::complex<double> &z : wave_)
            z *= phase_;
    }
    ++steps_;
    time_ += TimeStep;
}

void PacketSimulation::advance(int n)
{
    for (int k = 0; k < n; ++k)
        step();
}

PacketMeasurement PacketSimulation::measure(int line) const
{
    static const std::vector<double> flat(GridPoints, 0.0);
    PacketMeasurement m = PacketMeasurement::of(wave_.data(), potential_ ? potential_ : flat.data(), GridPoints, line);
    m.norm = initialNorm_ > 0.0 ? m.norm / initialNorm_ : 0.0;
    return m;
}
