// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SIDEWINDOWS_H
#define QUANTAURA_SIDEWINDOWS_H

#include <QObject>
#include <QPointer>

#include <complex>
#include <memory>
#include <vector>

class QWidget;
class SchEFView;
class Window;

// The eigenfunction and scattering windows: top-level windows without a parent that open beside
// the window of `anchor` with a copy of the potential, and close again when switched off.
class SideWindows : public QObject
{
    Q_OBJECT
public:
    explicit SideWindows(QWidget *anchor, QObject *parent = nullptr);
    ~SideWindows() override;

    // Opens a new scattering window for the GridPoints samples of `potential`, or closes it.
    // A potential the window refuses (it has said why) is announced by scatteringRefused(),
    // and the window closes again.
    void showScattering(bool on, const double *potential);
    // Opens a new eigenfunction window for the GridPoints samples of `potential`, or closes it.
    void showEigen(bool on, const double *potential);

    Window *scattering() const { return streuWindow.get(); }
    SchEFView *eigen() const { return efView.get(); }

signals:
    void scatteringRefused();
    // The eigenfunction window hands on a wave function for the evolution (GridPoints values,
    // normalised): it is to become the wave, stopped, at t = 0.
    void stateChosen(const std::vector<std::complex<double>> &wave);

private:
    QPointer<QWidget> anchor;
    std::unique_ptr<Window> streuWindow;
    std::unique_ptr<SchEFView> efView;
};

#endif
