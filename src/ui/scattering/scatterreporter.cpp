// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scattering/scatterreporter.h"

#include <QDialog>
#include <QMessageBox>
#include <QProgressDialog>

SweepProgress::~SweepProgress() = default;

ScatterReporter::~ScatterReporter() = default;

void ScatterReporter::error(QWidget *window, const QString &caption, const QString &text)
{
    QMessageBox::critical(window, caption, text);
}

void ScatterReporter::help(QDialog &dialog)
{
    dialog.exec();
}

std::unique_ptr<SweepProgress> ScatterReporter::sweepStarted(QWidget *window)
{
    return std::make_unique<DialogProgress>(window);
}

DialogProgress::DialogProgress(QWidget *window)
    : box(std::make_unique<QProgressDialog>(QStringLiteral("Die Streukoeffizienten werden berechnet ..."),
                                            QStringLiteral("Abbrechen"), 0, 1000, window))
{
    if (window)
        box->setWindowTitle(window->windowTitle());
    box->setWindowModality(Qt::ApplicationModal);
    box->setMinimumDuration(400);
    box->setValue(0); // the 400 ms count from here
}

DialogProgress::~DialogProgress() = default;

bool DialogProgress::advance(double share)
{
    box->setValue(int(share * 1000.0));
    return !box->wasCanceled();
}
