// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCHDRAWINGSURFACE_H
#define QUANTAURA_SCHDRAWINGSURFACE_H

#include "physics/grid.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include "physics/smoothingfilter.h"

#include <complex>
#include <memory>
#include <vector>

class Propagator;
class QPushButton;
class QTimer;
class QUndoStack;
class SchEFView;
class Window;

// The drawing area: owns the potential and the wave function on the 1024-point grid, edits the
// potential with the mouse and shows either the potential or the wave function.
// All drawing goes into the backing image `view`; paintEvent only copies it to the screen.
class SchDrawingSurface : public QWidget
{
    Q_OBJECT
public:
    enum Mode { PotentialMode = 1, PacketMode = 2, SelectionBit = 16 };

    SchDrawingSurface(QWidget *parent, QPushButton *fourierButton, QPushButton *streuButton);
    ~SchDrawingSurface() override;

    // Read-only views for tests and the file menu.
    int drawingMode() const { return mode & 0x0f; }
    bool selectionMode() const { return mode & SelectionBit; }
    int currentPen() const { return pen; }
    int currentPenRange() const { return penRange; }
    double smoothingLevel() const { return flevel; }
    bool isRunning() const { return running; }
    int packetDx() const { return dx; }
    int packetP() const { return p; }
    int packetDp() const { return dp; }
    int packetZ() const { return z; }
    int midRow() const { return midLine; }
    const std::complex<double> *wave() const { return psi.data(); }
    const QImage &viewImage() const { return view; }
    Window *scatteringWindow() const { return streuWindow.get(); }
    SchEFView *eigenWindow() const { return efView.get(); }

    // Every change of the potential is one step of this bounded history: a pen stroke from press
    // to release, Clear, a smoothing and every replacement (setPot, replacePot). Its clean state
    // is the potential last opened, saved or begun anew.
    QUndoStack *history() const { return undoStack; }
    static constexpr int HistoryLimit = 100;
    // setPot with the name under which the change appears in the history.
    void replacePot(const double *samples, const QString &what);

    // Composes one frame of the wave function standing on the potential V (null: on the middle
    // row) into the backing image and asks for a repaint.
    void drawEvolution(const std::complex<double> *wave, const double *V);
    // The rubber band of the smoothing tool, XOR-ed into the backing image: drawing the same
    // rectangle twice restores the picture.
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
    // A stroke still held by the mouse is finished first, so it is one step of its own.
    void undo();
    void redo();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    // One column of the last frame: rows top..bottom (none if top > bottom) in colour.
    struct Span
    {
        int top = 0;
        int bottom = -1;
        QRgb colour = 0;
    };

    int yOf(double v) const;
    int gridIndexAt(int x) const;
    void refresh();
    void redraw();
    void resizeView();
    void clearView();
    void fillColumn(uchar *bits, qsizetype stride, int column, int from, int to, QRgb colour) const;
    void drawPotential(const double *A, QRgb colour);
    void applyPen(int i, double v);
    void rebuildPacket();
    void beginStroke();
    void finishStroke();
    void recordChange(const std::vector<double> &before, const QString &what);
    void smoothStretch(int from, int to);

    int viewWidth = 10;
    int viewHeight = 10;
    int midLine = 5;
    std::vector<double> pot;
    int mode = PotentialMode;
    int pen = 0;
    bool dragging = false;
    bool running = false;
    int penRange = 50;
    double flevel = 250.0;
    int smoothFlags = 0;
    int dx = 100;
    int p = 0;
    int dp = 10;
    int z = 0;
    int packX = 512;
    int packY = 200;
    std::vector<std::complex<double>> psi;
    QPushButton *fourierButton;
    QPushButton *streuButton;
    std::unique_ptr<Propagator> propagator;
    std::unique_ptr<Window> streuWindow; // top-level, open while "Streuung" is on
    std::unique_ptr<SchEFView> efView;   // top-level, open while "Eigenfunktionen" is on
    const double dt = 50.0;
    const double vScale = 0.0001;
    QImage view; // at the device pixel ratio; drawn on in logical pixels
    // The frame composer's bookkeeping: the grid index each column shows, the device pixel edges
    // of the columns and rows, what each column of the last frame drew, and whether the image
    // holds nothing but that frame on black (else the next frame starts from black).
    std::vector<int> columnGrid;
    std::vector<int> deviceX;
    std::vector<int> deviceY;
    std::vector<Span> shown;
    std::vector<Span> next;
    bool frameOnly = false;
    SmoothingFilter smoother;
    QRect selection{0, 0, -1, -1};
    bool selecting = false; // the rubber band of a left-button selection is in the image
    int curIndex = 0;
    int lastIndex = -1;
    QTimer *timer;
    QUndoStack *undoStack;
    std::vector<double> strokeStart; // the potential before the pen stroke in progress
    bool strokeOpen = false;
};

#endif
