// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/schdrawingsurface.h"

#include "physics/phasecolour.h"
#include "physics/potentialpen.h"
#include "physics/propagator.h"
#include "ui/eigen/schefview.h"
#include "physics/wavepacket.h"
#include "ui/scattering/window.h"
#include "ui/widgets/windowplacement.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const int SideGap = 10; // pixels between the main window and a side window

// One step of the potential's history: the whole potential before and after the change.
class PotentialChange : public QUndoCommand
{
public:
    using Apply = std::function<void(const std::vector<double> &)>;
    PotentialChange(Apply apply, std::vector<double> before, std::vector<double> after, const QString &what)
        : QUndoCommand(what), apply(std::move(apply)), before(std::move(before)), after(std::move(after))
    {
    }
    void undo() override { apply(before); }
    void redo() override
    {
        if (done) // pushed after the change was made: the first redo has nothing to do
            apply(after);
        done = true;
    }

private:
    Apply apply;
    std::vector<double> before;
    std::vector<double> after;
    bool done = false;
};

// An RGB32 image whose rows are an odd number of cache lines long. A frame is written column
// by column; with rows of a power-of-two length (4 KiB at 1024 pixels) every pixel of a column
// would fall into the same cache set.
QImage paddedImage(int width, int height)
{
    constexpr qsizetype line = 64;
    const qsizetype stride = (((qsizetype(width) * 4 + line - 1) / line) | 1) * line;
    void *buffer = std::aligned_alloc(line, size_t(stride) * size_t(std::max(height, 1)));
    if (!buffer)
        return QImage(width, height, QImage::Format_RGB32);
    // The image and its copies own the buffer: the last one frees it.
    return QImage(static_cast<uchar *>(buffer), width, height, stride, QImage::Format_RGB32, std::free, buffer);
}
} // namespace

SchDrawingSurface::SchDrawingSurface(QWidget *parent, QPushButton *fourierButton, QPushButton *streuButton)
    : QWidget(parent), pot(GridPoints, 0.0), psi(GridPoints), fourierButton(fourierButton), streuButton(streuButton)
{
    resizeView();
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &SchDrawingSurface::paintEvolution);
    propagator = std::make_unique<Propagator>(pot.data(), psi.data(), GridPoints);
    undoStack = new QUndoStack(this);
    undoStack->setUndoLimit(HistoryLimit);
    setMinimumSize(500, 400);
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel from the image
}

SchDrawingSurface::~SchDrawingSurface() = default;

// ---- mappings ---------------------------------------------------------------------------------

int SchDrawingSurface::yOf(double v) const
{
    double y = midLine - v / vScale;
    // A value set from mouse row r comes back as r +- 1e-13 or so: snap it, so that a stroke
    // passes through the rows the mouse was on instead of truncating to the row above.
    const double nearest = std::round(y);
    if (std::fabs(y - nearest) < 1e-9)
        y = nearest;
    // Samples far off screen (or not numbers) must not overflow the integer conversion.
    if (std::isnan(y))
        return midLine;
    return int(std::clamp(y, -1.0e6, 1.0e6));
}

int SchDrawingSurface::gridIndexAt(int x) const
{
    return gridIndex(x, viewWidth);
}

// ---- drawing into the backing image -----------------------------------------------------------

void SchDrawingSurface::resizeView()
{
    const qreal ratio = devicePixelRatioF();
    view = paddedImage(qRound(viewWidth * ratio), qRound(viewHeight * ratio));
    view.setDevicePixelRatio(ratio);
    columnGrid.resize(viewWidth);
    for (int i = 0; i < viewWidth; ++i)
        columnGrid[i] = columnIndex(i, viewWidth);
    deviceX.resize(viewWidth + 1);
    for (int i = 0; i <= viewWidth; ++i)
        deviceX[i] = std::min(qRound(i * ratio), view.width());
    deviceY.resize(viewHeight + 1);
    for (int i = 0; i <= viewHeight; ++i)
        deviceY[i] = std::min(qRound(i * ratio), view.height());
    clearView();
}

void SchDrawingSurface::clearView()
{
    view.fill(Black);
    shown.assign(viewWidth, Span());
    frameOnly = true;
}

void SchDrawingSurface::drawPotential(const double *A, QRgb colour)
{
    frameOnly = false;
    QPainter painter(&view);
    painter.setPen(QPen(QColor(colour), 0));
    QPolygon line(viewWidth);
    for (int i = 0; i < viewWidth; ++i)
        line.setPoint(i, i, yOf(A[columnGrid[i]]));
    painter.drawPoint(line.point(0));
    if (viewWidth >= 2)
        painter.drawPolyline(line);
    // On a high-density screen the last logical column has device pixels right of its point.
    const qreal ratio = view.devicePixelRatio();
    if (ratio > 1.0) {
        const QPointF last = line.point(viewWidth - 1);
        painter.drawLine(last, last + QPointF(1.0 - 1.0 / ratio, 0.0));
    }
}

void SchDrawingSurface::redraw()
{
    clearView();
    if (running)
        return; // the next timer tick draws the frame
    if (drawingMode() == PotentialMode)
        drawPotential(pot.data(), White);
    else if (drawingMode() == PacketMode)
        drawEvolution(psi.data(), nullptr);
}

void SchDrawingSurface::fillColumn(uchar *bits, qsizetype stride, int column, int from, int to, QRgb colour) const
{
    const int x0 = deviceX[column], x1 = deviceX[column + 1];
    uchar *row = bits + deviceY[from] * stride;
    uchar *const end = bits + deviceY[to + 1] * stride;
    if (x1 == x0 + 1) {
        for (; row < end; row += stride)
            reinterpret_cast<QRgb *>(row)[x0] = colour;
        return;
    }
    for (; row < end; row += stride)
        std::fill(reinterpret_cast<QRgb *>(row) + x0, reinterpret_cast<QRgb *>(row) + x1, colour);
}

void SchDrawingSurface::drawEvolution(const std::complex<double> *wave, const double *V)
{
    // The frame on black: column i shows grid index k(i) as a line from y - L to y (clipped to
    // the view) in its phase colour. Only what differs from the last frame is written, erased
    // and repainted.
    const bool fresh = !frameOnly;
    if (fresh)
        clearView();
    if (view.isNull())
        return;
    const int h = viewHeight;
    const double halfHeight = 0.5 * viewHeight;
    const PhaseColour fadedColour = phaseColour(0.0);
    const QRgb faded = qRgb(fadedColour.red, fadedColour.green, fadedColour.blue);

    // First the new lines, a pass without writes to the image so that the work for one grid
    // value overlaps with the next.
    next.resize(viewWidth);
    for (int i = 0, k = -1; i < viewWidth; ++i) {
        if (columnGrid[i] == k) { // wide views show each grid value in several columns
            next[i] = next[i - 1];
            continue;
        }
        k = columnGrid[i];
        const std::complex<double> zk = wave[k];
        const double bound = std::fabs(zk.real()) + std::fabs(zk.imag()); // >= |z|
        QRgb rgb = faded;
        int L = 0;
        if (!(bound < FadedModulus && halfHeight * bound < 0.999)) { // else: no need for |z|
            // Clamped before the conversion: a diverging value must not overflow the int.
            double m = 0.0;
            double length = 0.0;
            if (bound < 1e140) { // no overflow in the squares
                m = std::sqrt(zk.real() * zk.real() + zk.imag() * zk.imag());
                length = std::min(halfHeight * m, 1.0e6);
            }
            // The square root may differ from std::abs in the last place: where that could
            // move the truncation (or the squares would overflow), take std::abs itself.
            const double fraction = length - int(length);
            if (!(bound < 1e140) || fraction < 1e-9 || fraction > 1.0 - 1e-9) {
                m = std::abs(zk);
                length = std::min(halfHeight * m, 1.0e6);
            }
            L = length >= 0.0 ? int(length) : 0; // NaN: no line
            const PhaseColour c = phaseColour(zk, m);
            rgb = qRgb(c.red, c.green, c.blue);
        }
        const int y = V ? yOf(V[k]) : midLine;
        next[i] = Span{std::max(y - L, 0), std::min(y, h - 1), rgb};
    }

    // Then the changes, column by column.
    uchar *const bits = view.bits(); // once: bits() checks for sharing on every call
    const qsizetype stride = view.bytesPerLine();
    int left = viewWidth, right = -1, top = h, bottom = -1; // the area to repaint
    for (int i = 0; i < viewWidth; ++i) {
        const Span &now = next[i];
        Span &old = shown[i];
        const bool had = old.top <= old.bottom, has = now.top <= now.bottom;
        if (!had && !has)
            continue;
        if (had && has && old.top == now.top && old.bottom == now.bottom && old.colour == now.colour)
            continue;
        if (had) { // erase what the new line does not cover
            if (!has || now.top > old.bottom || now.bottom < old.top) {
                fillColumn(bits, stride, i, old.top, old.bottom, Black);
            } else {
                if (old.top < now.top)
                    fillColumn(bits, stride, i, old.top, now.top - 1, Black);
                if (old.bottom > now.bottom)
                    fillColumn(bits, stride, i, now.bottom + 1, old.bottom, Black);
            }
        }
        if (has) { // draw what the old line did not show already
            if (!had || old.colour != now.colour || now.top > old.bottom || now.bottom < old.top) {
                fillColumn(bits, stride, i, now.top, now.bottom, now.colour);
            } else {
                if (now.top < old.top)
                    fillColumn(bits, stride, i, now.top, old.top - 1, now.colour);
                if (now.bottom > old.bottom)
                    fillColumn(bits, stride, i, old.bottom + 1, now.bottom, now.colour);
            }
        }
        left = std::min(left, i);
        right = i;
        top = std::min({top, had ? old.top : h, has ? now.top : h});
        bottom = std::max({bottom, had ? old.bottom : -1, has ? now.bottom : -1});
        old = now;
    }
    if (fresh)
        update();
    else if (right >= left)
        update(left, top, right - left + 1, bottom - top + 1);
}

void SchDrawingSurface::drawSelection(const QRect &rect)
{
    const int left = std::min(rect.left(), rect.right());
    const int right = std::max(rect.left(), rect.right());
    const int top = std::min(rect.top(), rect.bottom());
    const int bottom = std::max(rect.top(), rect.bottom());
    frameOnly = false;
    // Every outline pixel is flipped exactly once, also for a rectangle one pixel wide or high
    // (a stroked rectangle would flip the shared edges twice and vanish there): four
    // non-overlapping one-pixel strips.
    QPainter painter(&view);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const int w = right - left + 1;
    const int h = bottom - top + 1;
    painter.fillRect(left, top, w, 1, Qt::white);
    if (h > 1)
        painter.fillRect(left, bottom, w, 1, Qt::white);
    if (h > 2) {
        painter.fillRect(left, top + 1, 1, h - 2, Qt::white);
        if (w > 1)
            painter.fillRect(right, top + 1, 1, h - 2, Qt::white);
    }
    update();
}

void SchDrawingSurface::rebuildPacket()
{
    initPacket(psi.data(), packX, packY, dx, p, dp, viewHeight);
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
    beginStroke();
    if (running)
        clearView();
    drawPotential(pot.data(), Black);
    PotentialPen::apply(pot.data(), GridPoints, PotentialPen::Kind(pen), i, v, penRange, lastIndex);
    drawPotential(pot.data(), White);
    update();
}

// ---- history ----------------------------------------------------------------------------------

void SchDrawingSurface::beginStroke()
{
    if (strokeOpen)
        return;
    strokeStart = pot;
    strokeOpen = true;
}

void SchDrawingSurface::finishStroke()
{
    if (!strokeOpen)
        return;
    strokeOpen = false;
    recordChange(strokeStart, QStringLiteral("Zeichnen"));
}

void SchDrawingSurface::recordChange(const std::vector<double> &before, const QString &what)
{
    // Bit for bit: a change that left every sample as it was is no step.
    if (std::memcmp(before.data(), pot.data(), GridPoints * sizeof(double)) == 0)
        return;
    auto apply = [this](const std::vector<double> &samples) {
        std::copy(samples.begin(), samples.end(), pot.begin());
        refresh();
    };
    undoStack->push(new PotentialChange(apply, before, pot, what));
}

void SchDrawingSurface::undo()
{
    finishStroke();
    undoStack->undo();
}

void SchDrawingSurface::redo()
{
    finishStroke();
    undoStack->redo();
}

void SchDrawingSurface::smoothStretch(int from, int to)
{
    finishStroke();
    const std::vector<double> before = pot;
    smoother.smooth(pot.data(), from, to, flevel);
    recordChange(before, QStringLiteral("Glätten"));
}

// ---- slots ------------------------------------------------------------------------------------

double *SchDrawingSurface::getPot()
{
    return pot.data();
}

void SchDrawingSurface::setPot(double *samples)
{
    replacePot(samples, QStringLiteral("Potential ersetzen"));
}

void SchDrawingSurface::replacePot(const double *samples, const QString &what)
{
    if (!samples)
        return;
    finishStroke();
    const std::vector<double> before = pot;
    std::copy(samples, samples + GridPoints, pot.begin());
    recordChange(before, what);
    refresh();
}

void SchDrawingSurface::clear()
{
    if (drawingMode() == PotentialMode) {
        finishStroke();
        const std::vector<double> before = pot;
        std::fill(pot.begin(), pot.end(), 0.0);
        recordChange(before, QStringLiteral("Clear"));
    }
    refresh();
}

void SchDrawingSurface::flevelChanged(int level)
{
    flevel = double(level * 10);
}

void SchDrawingSurface::fourierOnOff(bool on)
{
    if (!on && selecting) { // the tool ends in mid-drag: a fresh picture without its band
        selecting = false;
        dragging = false;
        refresh();
    }
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
    rebuildPacket();
    refresh();
}

void SchDrawingSurface::setP(int value)
{
    p = value;
    rebuildPacket();
    refresh();
}

void SchDrawingSurface::setDP(int value)
{
    dp = value;
    rebuildPacket();
    refresh();
}

void SchDrawingSurface::setZ(int value)
{
    z = value;
    rebuildPacket();
    for (int n = 0; n < z; ++n)
        propagator->step(dt);
    refresh();
}

void SchDrawingSurface::startEvolution(bool on)
{
    if (on) {
        clearView();
        timer->start(0);
        running = true;
        update();
    } else {
        timer->stop();
        running = false;
        refresh();
    }
}

void SchDrawingSurface::paintEvolution()
{
    propagator->step(dt);
    drawEvolution(psi.data(), pot.data());
}

void SchDrawingSurface::startStreu(bool on)
{
    if (!on) {
        streuWindow.reset();
        return;
    }
    streuWindow = std::make_unique<Window>();
    // Placed before the potential arrives, since its plot then opens beside it.
    WindowPlacement::placeBeside(streuWindow.get(), window(), SideGap, WindowPlacement::WithoutFrames::Keep);
    if (!streuWindow->setPotential(pot.data(), GridPoints)) {
        streuWindow->show();
        return;
    }
    // Refused (all zero; the window has said why): switching the button off closes it again.
    if (streuButton && streuButton->isChecked())
        streuButton->setChecked(false);
    else
        streuWindow.reset();
}

void SchDrawingSurface::startEigen(bool on)
{
    if (on) {
        // The window copies the potential now; later edits do not reach it.
        efView = std::make_unique<SchEFView>(pot.data());
        WindowPlacement::placeBeside(efView.get(), window(), SideGap, WindowPlacement::WithoutFrames::Beside);
        efView->show();
    } else {
        efView.reset();
    }
}

// ---- events -----------------------------------------------------------------------------------

void SchDrawingSurface::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() != Qt::LeftButton)
        return; // only the left button selects or draws
    if (mode & SelectionBit) {
        selection = QRect(pos, pos);
        drawSelection(selection);
        selecting = true;
        dragging = true;
        return;
    }
    if (drawingMode() == PotentialMode) {
        curIndex = gridIndexAt(pos.x());
        applyPen(curIndex, (midLine - pos.y()) * vScale);
        dragging = true;
    } else if (drawingMode() == PacketMode) {
        curIndex = gridIndexAt(pos.x());
        const int h = midLine - pos.y();
        if (h > 0) { // only above the middle row
            packX = curIndex;
            packY = h;
            rebuildPacket();
        }
        refresh();
    }
}

void SchDrawingSurface::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (mode & SelectionBit) {
        if (selecting) {
            drawSelection(selection);
            selection.setBottomRight(pos);
            drawSelection(selection);
        }
        return;
    }
    if (!dragging)
        return;
    curIndex = gridIndexAt(pos.x());
    if (drawingMode() == PotentialMode)
        applyPen(curIndex, (midLine - pos.y()) * vScale);
    lastIndex = curIndex;
}

void SchDrawingSurface::mouseReleaseEvent(QMouseEvent *e)
{
    finishStroke(); // whichever button ends it
    if (!(mode & SelectionBit) || !selecting || e->button() != Qt::LeftButton)
        return;
    drawSelection(selection);
    selecting = false;
    selection.setBottomRight(e->position().toPoint());
    const int from = gridIndexAt(std::min(selection.left(), selection.right()));
    const int to = gridIndexAt(std::max(selection.left(), selection.right()));
    // A selection finished in packet mode changes nothing.
    if (drawingMode() == PotentialMode && (smoothFlags & 1))
        smoothStretch(from, to);
    refresh();
    dragging = false;
}

void SchDrawingSurface::paintEvent(QPaintEvent *e)
{
    if (view.devicePixelRatio() != devicePixelRatioF()) { // moved to a screen of another scale
        resizeView();
        if (!running)
            redraw();
    }
    // Only the requested area: a frame asks for the band it changed.
    const QRect r = e->rect();
    const qreal ratio = view.devicePixelRatio();
    QPainter painter(this);
    painter.drawImage(QRectF(r), view, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

void SchDrawingSurface::resizeEvent(QResizeEvent *)
{
    viewWidth = std::max(width(), 1);
    viewHeight = std::max(height(), 1);
    midLine = viewHeight / 2;
    resizeView();
    if (!running)
        redraw();
}
