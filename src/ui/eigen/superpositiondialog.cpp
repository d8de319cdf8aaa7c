// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/eigen/superpositiondialog.h"

#include "ui/widgets/controlhelp.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {
const double Degree = std::acos(-1.0) / 180.0;
}

SuperpositionDialog::SuperpositionDialog(const std::vector<StationaryStates::Part> &parts,
                                         const std::vector<double> &energies, QWidget *parent)
    : QDialog(parent), chosen(parts)
{
    setWindowTitle(QStringLiteral("Überlagerung"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("ψ = Σ Gewicht · e^(i·Phase) · ψₖ, danach normiert: "
                                            "nur die Verhältnisse der Gewichte zählen."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Zustand"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Gewicht"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Phase"), this), 0, 2);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const int row = int(i) + 1;
        const double e = i < energies.size() ? energies[i] : 0.0;
        grid->addWidget(new QLabel(QStringLiteral("%1 (E = %2)").arg(parts[i].index).arg(QString::asprintf("%.2f", e)), this),
                        row, 0);
        auto *w = new QDoubleSpinBox(this);
        w->setRange(0.0, 10.0);
        w->setDecimals(2);
        w->setSingleStep(0.1);
        w->setValue(parts[i].weight);
        describeControl(w, QStringLiteral("Gewicht von Zustand %1").arg(parts[i].index),
                        QStringLiteral("Amplitude des Zustands vor dem Normieren, 0 bis 10."));
        connect(w, &QDoubleSpinBox::valueChanged, this, &SuperpositionDialog::weightsChanged);
        grid->addWidget(w, row, 1);
        weights.push_back(w);
        if (i == 0) {
            grid->addWidget(new QLabel(QStringLiteral("0° (Bezug)"), this), row, 2);
            continue;
        }
        auto *p = new QSpinBox(this);
        p->setRange(-180, 180);
        p->setSuffix(QStringLiteral("°"));
        p->setWrapping(true);
        p->setValue(int(std::lround((parts[i].phase - parts[0].phase) / Degree)));
        describeControl(p, QStringLiteral("Phase von Zustand %1").arg(parts[i].index),
                         QStringLiteral("Phase relativ zum ersten Zustand, in Grad, −180° bis 180°."));
        grid->addWidget(p, row, 2);
        phases.push_back(p);
    }
    layout->addLayout(grid);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    weightsChanged();
}

std::vector<StationaryStates::Part> SuperpositionDialog::parts() const
{
    std::vector<StationaryStates::Part> out = chosen;
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].weight = weights[i]->value();
        out[i].phase = i == 0 ? 0.0 : phases[i - 1]->value() * Degree;
    }
    return out;
}

bool SuperpositionDialog::ask(QWidget *parent, std::vector<StationaryStates::Part> &parts,
                              const std::vector<double> &energies)
{
    SuperpositionDialog dialog(parts, energies, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    parts = dialog.parts();
    return true;
}

void SuperpositionDialog::weightsChanged()
{
    bool any = false;
    for (const QDoubleSpinBox *w : weights)
        any = any || w->value() > 0.0;
    buttons->button(QDialogButtonBox::Ok)->setEnabled(any);
}
