// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/sidewindows.h"

#include "physics/grid.h"
#include "ui/eigen/schefview.h"
#include "ui/scattering/window.h"
#include "ui/widgets/windowplacement.h"

#include <QWidget>

namespace {
const int SideGap = 10; // pixels between the main window and a side window
}

SideWindows::SideWindows(QWidget *anchor, QObject *parent) : QObject(parent), anchor(anchor) {}

SideWindows::~SideWindows() = default;

void SideWindows::showScattering(bool on, const double *potential)
{
    if (!on) {
        streuWindow.reset();
        return;
    }
    streuWindow = std::make_unique<Window>();
    // Placed before the potential arrives, since its plot then opens beside it.
    if (anchor)
        WindowPlacement::placeBeside(streuWindow.get(), anchor->window(), SideGap, WindowPlacement::WithoutFrames::Keep);
    if (!streuWindow->setPotential(potential, GridPoints)) {
        streuWindow->show();
        return;
    }
    // Refused (all zero): whoever switched it on switches it off, which closes it; else it
    // closes here.
    const QPointer<Window> refused = streuWindow.get();
    emit scatteringRefused();
    if (refused && streuWindow.get() == refused)
        streuWindow.reset();
}

void SideWindows::showEigen(bool on, const double *potential)
{
    if (!on) {
        efView.reset();
        return;
    }
    // The window copies the potential now; later edits do not reach it.
    efView = std::make_unique<SchEFView>(potential);
    connect(efView.get(), &SchEFView::superpositionChosen, this, &SideWindows::stateChosen);
    if (anchor)
        WindowPlacement::placeBeside(efView.get(), anchor->window(), SideGap, WindowPlacement::WithoutFrames::Beside);
    efView->show();
}
