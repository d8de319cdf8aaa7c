// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCATTERSETUP_H
#define QUANTAURA_SCATTERSETUP_H

#include <vector>

// The numbers of the scattering window: its grid made from the surface's potential, the energy
// range and integration limits that follow from it, and what its three sliders set.
struct ScatterSetup
{
    // The window's grid and the factor between its samples and the surface's.
    static constexpr int GridSize = 1200;
    static constexpr double PotentialFactor = 1000.0;

    // The surface's `count` samples centred on the grid, times PotentialFactor; the margins
    // continue the end samples at that scale. A sample that is not a finite number counts as 0.
    std::vector<double> raw;
    // Nothing to scatter at: every sample is 0 (or not a finite number), or there are none. The
    // numbers below are then left at their defaults and the window keeps its own.
    bool refused = true;
    double vMax = 0.0;  // largest and smallest grid sample
    double vMin = 0.0;
    double vRef = 1.0;  // the unit "Vmax" of the energy labels
    double eMax = 2.0;  // the sweep's maximum energy
    double eLow = 0.0;  // the lower end of the drawing's energy scale
    int leftEdge = 0;   // the integration limits: the outermost samples where the grid changes,
    int rightEdge = 1;  // or its ends if it is flat
    int scaleValue = 0; // the "Potentialskala" slider's position for this potential

    static ScatterSetup prepare(const double *samples, int count);

    // "Potentialbreite": the width factor c of the slider's value.
    static double widthFactor(int value);
    // "Potentialskala": the factor on the drawn and computed samples.
    static double potentialScale(double eMax, int value, double vRef);
    // The slider value (0..1000) whose factor at the energy maximum eMax lies nearest `factor`;
    // `exact` tells whether the factor lies inside the slider's range there.
    static int scaleValueFor(double factor, double eMax, double vRef, bool *exact = nullptr);

    // "Energiemaximum": the energy range and the label's multiple of Vmax, or of the depth vRef
    // where no sample is positive.
    struct EnergyRange
    {
        double eMax;
        double eLow;
        double factor;
    };
    static EnergyRange energyRange(int value, double vMax, double vMin, double vRef);
};

#endif
