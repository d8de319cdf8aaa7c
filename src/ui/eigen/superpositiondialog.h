// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SUPERPOSITIONDIALOG_H
#define QUANTAURA_SUPERPOSITIONDIALOG_H

#include "physics/stationarystates.h"

#include <QDialog>

#include <vector>

class QDialogButtonBox;
class QDoubleSpinBox;
class QSpinBox;

// "Überlagerung": the weight (an amplitude, 0 to 10) of each marked state and its phase relative to
// the first one, in degrees. The sum is normalised afterwards, so only the ratios count; equal
// weights and no phase are preset. OK is possible while at least one weight is above 0.
class SuperpositionDialog : public QDialog
{
    Q_OBJECT
public:
    // `parts` name the states (their weights and phases are the presets); `energies` are theirs, in
    // the eigenfunction window's units, to tell them apart.
    SuperpositionDialog(const std::vector<StationaryStates::Part> &parts, const std::vector<double> &energies,
                        QWidget *parent = nullptr);

    // The parts as the fields say now (phases in radians).
    std::vector<StationaryStates::Part> parts() const;

    // Runs the dialog; on OK the parts become what it says and the result is true.
    static bool ask(QWidget *parent, std::vector<StationaryStates::Part> &parts, const std::vector<double> &energies);

private:
    void weightsChanged();

    std::vector<StationaryStates::Part> chosen;
    std::vector<QDoubleSpinBox *> weights;
    std::vector<QSpinBox *> phases; // none for the first state, the reference
    QDialogButtonBox *buttons = nullptr;
};

#endif
