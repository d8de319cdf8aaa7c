#include "schdrawingsurface.h"

#include "potentialpen.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
} // namespace

SchDrawingSurface::SchDrawingSurface(QWidget *parent, QPushButton *fourierButton, QPushButton *streuButton)
    : QWidget(parent), pot(N, 0.0), psi(N), fourierButton(fourierButton), streuButton(streuButton),
      view(10, 10, QImage::Format_RGB32)
{
    view.fill(Black);
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &SchDrawingSurface::paintEvolution);
    setMinimumSize(500, 400);
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel from the image
}

SchDrawingSurface::~SchDrawingSurface() = default;

// ---- mappings ---------------------------------------------------------------------------------

int SchDrawingSurface::yOf(double v) const
{
    // Samples far off screen (e.g. from a file) must not overflow the integer conversion.
    const double y = std::clamp(midLine - v / vScale, -1.0e6, 1.0e6);
    return int(y);
}

int SchDrawingSurface::gridIndexAt(int x) const
{
    const long long idx = (static_cast<long long>(x) * N) / viewWidth;
    return int(std::clamp<long long>(idx, 0, N - 1));
}

// ---- drawing into the backing image -----------------------------------------------------------

void SchDrawingSurface::clearView()
{
    view.fill(Black);
}

void SchDrawingSurface::drawPotential(const double *A, QRgb colour)
{
    QPainter painter(&view);
    painter.setPen(QPen(QColor(colour), 0));
    QPolygon line(viewWidth);
    for (int i = 0; i < viewWidth; ++i) {
        const int k = std::min((i * N) / viewWidth, N - 1);
        line.setPoint(i, i, yOf(A[k]));
    }
    painter.drawPoint(line.point(0));
    if (viewWidth >= 2)
        painter.drawPolyline(line);
}

void SchDrawingSurface::redraw()
{
    clearView();
    if (running)
        return; // the next timer tick draws the frame
    if (drawingMode() == PotentialMode)
        drawPotential(pot.data(), White);
}

void SchDrawingSurface::refresh()
{
    if (running)
        clearView();
    else
        redraw();
    update();
}

void SchDrawingSurface::applyPen(int i, double v)
{
    if (running)
        clearView();
    drawPotential(pot.data(), Black);
    PotentialPen::apply(pot.data(), N, PotentialPen::Kind(pen), i, v, penRange, lastIndex);
    drawPotential(pot.data(), White);
    update();
}

// ---- slots ------------------------------------------------------------------------------------

double *SchDrawingSurface::getPot()
{
    return pot.data();
}

void SchDrawingSurface::setPot(double *samples)
{
    if (!samples)
        return;
    std::copy(samples, samples + N, pot.begin());
    refresh();
}

void SchDrawingSurface::clear()
{
    if (drawingMode() == PotentialMode)
        std::fill(pot.begin(), pot.end(), 0.0);
    refresh();
}

void SchDrawingSurface::flevelChanged(int level)
{
    flevel = double(level * 10);
}

void SchDrawingSurface::fourierOnOff(bool on)
{
    if (on) {
        mode |= SelectionBit;
        smoothFlags |= 1;
    } else {
        mode &= ~SelectionBit;
        smoothFlags &= ~1;
    }
}

void SchDrawingSurface::potOnOff(bool on)
{
    if (on)
        mode = (mode & SelectionBit) | PotentialMode;
    if (!running)
        refresh();
}

void SchDrawingSurface::packOnOff(bool on)
{
    // Changing the mode in either direction ends the selection tool.
    fourierOnOff(false);
    if (fourierButton)
        fourierButton->setChecked(false);
    if (on)
        mode = PacketMode;
    if (!running)
        refresh();
}

void SchDrawingSurface::penVOnOff(bool on)
{
    if (on)
        pen = PotentialPen::Tent;
}

void SchDrawingSurface::penHOnOff(bool on)
{
    if (on)
        pen = PotentialPen::Plateau;
}

void SchDrawingSurface::penPOnOff(bool on)
{
    if (on) {
        lastIndex = -1;
        pen = PotentialPen::Line;
    }
}

void SchDrawingSurface::setPenRange(int range)
{
    penRange = range;
}

void SchDrawingSurface::setDX(int value)
{
    dx = value;
}

void SchDrawingSurface::setP(int value)
{
    p = value;
}

void SchDrawingSurface::setDP(int value)
{
    dp = value;
}

void SchDrawingSurface::setZ(int value)
{
    z = value;
}

void SchDrawingSurface::startEvolution(bool) {}

void SchDrawingSurface::paintEvolution() {}

void SchDrawingSurface::startStreu(bool) {}

void SchDrawingSurface::startEigen(bool) {}

// ---- events -----------------------------------------------------------------------------------

void SchDrawingSurface::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (mode & SelectionBit)
        return;
    if (e->button() != Qt::LeftButton)
        return;
    if (drawingMode() == PotentialMode) {
        curIndex = gridIndexAt(pos.x());
        applyPen(curIndex, (midLine - pos.y()) * vScale);
        dragging = true;
    }
}

void SchDrawingSurface::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (mode & SelectionBit)
        return;
    if (!dragging)
        return;
    curIndex = gridIndexAt(pos.x());
    if (drawingMode() == PotentialMode)
        applyPen(curIndex, (midLine - pos.y()) * vScale);
    lastIndex = curIndex;
}

void SchDrawingSurface::mouseReleaseEvent(QMouseEvent *)
{
}

void SchDrawingSurface::paintEvent(QPaintEvent *e)
{
    QPainter painter(this);
    painter.drawImage(e->rect(), view, e->rect());
}

void SchDrawingSurface::resizeEvent(QResizeEvent *)
{
    viewWidth = std::max(width(), 1);
    viewHeight = std::max(height(), 1);
    midLine = viewHeight / 2;
    view = QImage(viewWidth, viewHeight, QImage::Format_RGB32);
    if (running)
        clearView();
    else
        redraw();
}
