// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_WINDOW_H
#define QUANTAURA_WINDOW_H

#include <QPoint>
#include <QString>
#include <QWidget>

#include "physics/scattersweep.h"
#include "ui/scattering/scatterreporter.h"

#include <functional>
#include <memory>
#include <vector>

class Plot;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QSlider;
class QVBoxLayout;
class ScatterSolver;
struct ScatterSetup;

// The scattering window: a scaled copy of the potential on a 1200-sample grid, drawn over
// "Ort x", with sliders for the width factor, the drawing scale and the maximum energy.
// "Calc" sweeps the energies and feeds R(E) and T(E) into the plot window it owns. The numbers come
// from ScatterSetup; what the window says outside its drawing goes through its ScatterReporter.
class Window : public QWidget
{
    Q_OBJECT
public:
    explicit Window(QWidget *parent = nullptr);
    ~Window() override;

    // Copies the potential (centred on the grid, times 1000, the margins continuing the end
    // samples). Returns true when the potential is refused because every sample is 0 (the user
    // has been told why).
    bool setPotential(const double *samples, int count);

    // Read-only views for tests.
    int leftEdge() const { return leftEdgeIndex; }
    int rightEdge() const { return rightEdgeIndex; }
    double eMax() const { return energyMax; }
    double potentialScale() const { return potScale; }
    double widthFactorValue() const { return widthFactor; }
    Plot *plot() const { return plotWindow; }
    const std::vector<double> &scaledSamples() const { return scaledPot; }
    const std::vector<double> &rawSamples() const { return rawPot; }

    // The sweep that "Calc" runs, with this window's samples, edges, width factor and maximum
    // energy, into any sink; the hooks stand in for the message boxes and the progress dialog.
    // Nothing without an accepted potential.
    ScatterSweep::Result sweep(ScatterSink &sink, const ScatterSweep::Hooks &hooks = {});

    // Replaces the message boxes, the help dialog and the progress dialog (null: the dialogs again).
    void setReporter(std::unique_ptr<ScatterReporter> r);

protected slots:
    void info();
    void changePWidth(int v);
    void changePSkala(int v);
    void changeMaxEnergy(int v);
    void streurechnung();

protected:
    void paintEvent(QPaintEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // Return in the width's entry: the typed width factor, kept to the slider's range and steps.
    void widthTyped();

private:
    void prepareCalculation(const ScatterSetup &setup);
    // "f*Vmax", or "f*Tiefe" for a potential without a positive sample.
    QString energyText(double factor) const;
    void refreshGeometry();
    void drawAxes(QPainter &p);
    void drawPotential(QPainter &p);
    // The sweep's box: the potential too wide to tunnel through and/or the wave too short.
    void showTooWideError(bool tooWide = true, bool tooShort = false);

    QHBoxLayout *controlRow;
    QHBoxLayout *sliderRow;
    QHBoxLayout *labelRow;
    QVBoxLayout *mainLayout;
    QPushButton *helpButton;
    QPushButton *calcButton;
    QSlider *widthSlider;
    QSlider *scaleSlider;
    QSlider *energySlider;
    QLabel *widthLabel;
    QLineEdit *widthValue; // the width factor, which can be typed
    QLabel *scaleLabel;
    QLabel *scaleValue;
    QLabel *energyLabel;
    QLabel *energyValue;
    std::unique_ptr<ScatterReporter> reporter;
    std::unique_ptr<ScatterSolver> solver;
    Plot *plotWindow = nullptr; // a child window, deleted with this one
    const int sampleCount = 1200;
    std::vector<double> scaledPot;
    std::vector<double> rawPot;
    int winWidth = 0;
    int winHeight = 0;
    const int leftMargin = 60;
    const int rightMargin = 20;
    const int bottomMargin = 80;
    int plotHeight = 0;
    int rightEdgeIndex = 1;
    int leftEdgeIndex = 0;
    double xScale = 0.0;
    double yScale = 0.0;
    double yOffset = 0.0;
    double potScale = 1.0;
    double eLow = 0.0;
    double energyMax = 2.0;
    double vMax = 1.0;
    double vMin = 0.0;
    double vRef = 1.0;
    double widthFactor = 0.002;
    bool errorShown = false;
    bool zeroPotential = true;
    std::vector<QPoint> curve; // the potential's polyline, reserved once
};

#endif
