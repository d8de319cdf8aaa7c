// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCATTERREPORTER_H
#define QUANTAURA_SCATTERREPORTER_H

#include <QString>

#include <memory>

class QDialog;
class QProgressDialog;
class QWidget;

// The progress of one energy sweep, from its start to its end (the object's life).
class SweepProgress
{
public:
    virtual ~SweepProgress();
    // Every few energies, with the share of the energy range done (0..1); false stops the sweep
    // there, keeping the points so far.
    virtual bool advance(double share) = 0;
};

// How the scattering window speaks to the user outside its own drawing: its message boxes, its
// help and the progress of a long sweep. This default shows dialogs; tests and the export tool put
// in their own, so that nothing waits for a click or depends on how long a sweep takes.
class ScatterReporter
{
public:
    virtual ~ScatterReporter();
    // A critical message box over `window`.
    virtual void error(QWidget *window, const QString &caption, const QString &text);
    // The help, built by the window; shown modally until it is closed.
    virtual void help(QDialog &dialog);
    // At the start of each sweep; the sweep ends before the result is destroyed.
    virtual std::unique_ptr<SweepProgress> sweepStarted(QWidget *window);
};

// The default progress: a modal dialog with "Abbrechen" that appears only once a sweep has run for
// 400 ms, so that short sweeps finish without it. While it is up, the plot fills as points come.
class DialogProgress : public SweepProgress
{
public:
    explicit DialogProgress(QWidget *window);
    ~DialogProgress() override;
    bool advance(double share) override;
    QProgressDialog &dialog() const { return *box; }

private:
    std::unique_ptr<QProgressDialog> box;
};

#endif
