// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PLOT_H
#define QUANTAURA_PLOT_H

#include "physics/scattersweep.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QVector>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;
class QSlider;
class QVBoxLayout;

// Window of its own that plots R(E) (upper panel, red) and T(E) (lower panel, green) against the
// energy, with a marker slider and read-outs of the stored values at the marker. The energy axis
// and the marker run from 0, or from the first point of the sweep where that lies below 0 (a
// potential whose right-hand level is negative), to the maximum energy. The arrow keys move the
// marker from stored point to stored point.
// The static grid lives in `gridImage`; `frameImage` is the grid plus curves plus the XOR marker,
// and paintEvent only copies it. Both images are kept at the device pixel ratio. Points are stored by addPoint and appear with the next repaint.
class Plot : public QWidget, public ScatterSink
{
    Q_OBJECT
public:
    Plot(QWidget *parent, const char *name, int maxEnergy);
    ~Plot() override;

    void setMaxEnergy(double e);
    void reset() override;
    void addPoint(double r, double t, double e, int index) override;

    // Read-only views for the scattering window and tests (layout as of the current size).
    int maximumEnergy() const { return maxEnergy; }
    int storedPoints() const { return pointCount; }
    int panelSize() const { return panelHeight; }
    int energyTickStep() const { return tickStep; }
    int axisEnd() const { return axisMax; }
    QVector<int> tickValues() const;
    QRect rPanelFrame() const;
    QRect tPanelFrame() const;
    double markerPosition() const { return markerEnergy; }
    int markerColumn() const;
    QSlider *slider() const { return markerSlider; }
    QString energyText() const;
    QString rText() const;
    QString tText() const;
    // A number as the read-outs show it: the shortest form with 6 significant digits.
    static QString readout(double v);

protected slots:
    void Energy(int v);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void computeLayout();
    void drawGrid();
    void rebuildFrame();
    bool fitsWidget(const QImage &img) const;
    void drawCurves(QPainter &p);
    void showMarker(double energy);
    bool stepToPoint(int direction);
    // The stored point the read-outs show, or -1 for none.
    int readoutIndex() const;
    void updateReadouts();
    double lowEnd() const;
    void xorMarker(double energy);
    int xOf(double e) const;
    int yR(double v) const;
    int yT(double v) const;

    QHBoxLayout *rowLayout;
    QVBoxLayout *mainLayout;
    QSlider *markerSlider;
    QLabel *energyCaption;
    QLabel *energyReadout;
    QLabel *rReadout;
    QLabel *tReadout;
    int areaHeight = 0;
    int areaWidth = 0;
    const int capacity = 50000;
    const int marginX = 50;
    const int marginY = 50;
    int pointCount = 0;
    const int panelGap = 15;
    int panelHeight = 0;
    int lastTick = 0;
    int tickStep = 1;
    int axisMax = 1;
    int axisMin = 0;
    double lowestEnergy = 0.0; // the energy of the sweep's first point
    int maxEnergy = 1;
    double tickSpacing = 0.0;
    double gridSpacing = 0.0;
    double markerEnergy = 0.0;
    double previousMarker = 0.0;
    double xScale = 0.0;
    double yScale = 0.0;
    double energyPerStep = 0.0;
    std::vector<double> rValues;
    std::vector<double> tValues;
    std::vector<double> energies;
    double pointSpacing = 1.0;
    bool fresh = false;
    bool hasData = false;
    bool markerOnPoint = false; // put on a stored point by the arrow keys, off the slider's steps

    QImage gridImage;
    QImage frameImage;
    bool gridDirty = true;
    bool frameDirty = true;
    std::vector<QPoint> curveBuffer; // reused polyline, reserved once for `capacity` points
};

#endif
