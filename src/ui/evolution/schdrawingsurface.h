// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCHDRAWINGSURFACE_H
#define QUANTAURA_SCHDRAWINGSURFACE_H

#include "physics/grid.h"
#include "physics/packetsimulation.h"
#include "ui/evolution/evolutioncomposer.h"
#include "ui/evolution/pacedtimer.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <complex>
#include <vector>

class PotentialModel;
class QPushButton;
class QTimer;
class SideWindows;

// The drawing area: draws the potential with the mouse into its PotentialModel, places the
// packet of its PacketSimulation with a click, runs the evolution on a timer and shows either
// the potential or the wave function, composed by its EvolutionComposer. paintEvent only copies
// the composer's image to the screen.
//
// The running evolution is paced by its PacedTimer: each frame takes the steps the real time
// since the last one is worth at the chosen tempo, and shows them in one picture. While a
// packet exists, every picture carries its energy <E> as a line with a faint band of +- Delta E,
// at the potential's scale, and a dotted measuring line; statusChanged() reports the time and
// the measurements.
class SchDrawingSurface : public QWidget
{
    Q_OBJECT
public:
    enum Mode { PotentialMode = 1, PacketMode = 2, SelectionBit = 16 };

    // The surface switches the buttons it is given off itself (see the signals); without them,
    // whoever owns the buttons connects the signals.
    explicit SchDrawingSurface(QWidget *parent, QPushButton *fourierButton = nullptr, QPushButton *streuButton = nullptr);
    ~SchDrawingSurface() override;

    PotentialModel *potential() const { return model; }
    const PacketSimulation &simulation() const { return sim; }
    // The tools as the controls have set them.
    struct Settings
    {
        int drawingMode;     // PotentialMode or PacketMode
        bool selectionMode;  // the smoothing tool ("Fourier") is on
        int pen;             // PotentialPen::Kind
        int penRange;
        double smoothingLevel;
    };
    Settings settings() const { return {drawingMode(), bool(mode & SelectionBit), pen, penRange, flevel}; }
    bool isRunning() const { return running; }
    int midRow() const { return composer.midRow(); }
    // The tempo and the clock of the running evolution.
    PacedTimer *pacing() const { return pace; }
    // Grid index of the measuring line: the probabilities are those left of it and from it on.
    // Until it is moved it stands on the potential's highest point, and follows it.
    int measuringLine() const { return lineIndex; }
    // The status text for the packet as it is now; empty without a packet.
    QString statusText() const;

    // The side windows open through `owner` from now on (by default through one of the surface's
    // own, beside the surface's window).
    void useSideWindows(SideWindows *owner);
    SideWindows *sideWindows() const;

    // One frame of the wave function standing on the potential V (null: on the middle row),
    // shown as soon as the event loop repaints what changed.
    void drawEvolution(const std::complex<double> *wave, const double *V);
    // The rubber band of the smoothing tool, XOR-ed into the picture: drawing the same rectangle
    // twice restores it.
    void drawSelection(const QRect &rect);

public slots:
    void clear();
    void flevelChanged(int level);
    void fourierOnOff(bool on);
    void potOnOff(bool on);
    void packOnOff(bool on);
    void penVOnOff(bool on);
    void penHOnOff(bool on);
    void penPOnOff(bool on);
    void setPenRange(int range);
    void setDX(int value);
    void setP(int value);
    void setDP(int value);
    void setZ(int value);
    void startEvolution(bool on);
    void startStreu(bool on);
    void startEigen(bool on);
    void paintEvolution();
    double *getPot();
    void setPot(double *samples);
    // One step, shown at once (also while stopped).
    void singleStep();
    // Back to the packet as last placed, at t = 0.
    void restart();
    // The measuring line stays at grid index `index` (0..GridPoints) from now on.
    void setMeasuringLine(int index);
    // The measuring line goes back to the potential's highest point and follows it again.
    void followHighestPoint();

signals:
    // A change of the drawing mode ended the smoothing tool: "Fourier" goes off.
    void selectionToolEnded();
    // The scattering window refused the potential: "Streuung" goes off.
    void scatteringRefused();
    // Time and measurements changed (statusText()).
    void statusChanged(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    int drawingMode() const { return mode & 0x0f; }
    int gridIndexAt(int x) const;
    double valueAt(int y) const;
    void refresh();
    void redraw();
    void applyPen(int i, double v);
    void changePacket(int PacketParams::*field, int value);
    void potentialChanged();
    SideWindows &ensureSideWindows();
    // Energy line, band and measuring line as the packet and the line are now; true if they moved.
    bool placeMarks();
    // The marks and the status after the packet or the line changed, and the picture if needed.
    void showMarks();
    void reportStatus();
    // One frame of the running evolution with the steps the pacing says are due.
    void showFrame(int steps);
    // A wave function from a side window in place of the packet: stopped, at t = 0.
    void takeWave(const std::vector<std::complex<double>> &wave);

    PotentialModel *model;
    PacketSimulation sim;
    EvolutionComposer composer;
    QPointer<SideWindows> sides;
    int mode = PotentialMode;
    int pen = 0;
    bool dragging = false;
    bool running = false;
    bool drawingPen = false; // a pen point being applied: the surface draws it itself
    int penRange = 30;
    double flevel = 300.0;
    int smoothFlags = 0;
    QRect selection{0, 0, -1, -1};
    bool selecting = false; // the rubber band of a left-button selection is in the image
    int curIndex = 0;
    int lastIndex = -1;
    PacedTimer *pace;
    int lineIndex = GridPoints / 2;
    bool lineFollows = true;
    bool movingLine = false; // a Ctrl + left drag moves the measuring line
    QString lastStatus;
};

#endif
