// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/evolutioncomposer.h"

#include "physics/phasecolour.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
const QRgb Black = qRgb(0, 0, 0);

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

EvolutionComposer::EvolutionComposer() = default;

int EvolutionComposer::rowOf(double v) const
{
    double y = midLine - v / RowValue;
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

void EvolutionComposer::resize(int width, int height, qreal ratio)
{
    viewWidth = width;
    viewHeight = height;
    midLine = viewHeight / 2;
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
    clear();
}

void EvolutionComposer::clear()
{
    view.fill(Black);
    shown.assign(viewWidth, Span());
    frameOnly = true;
    if (view.isNull())
        return;
    uchar *const bits = view.bits();
    const qsizetype stride = view.bytesPerLine();
    fillRows(bits, stride, marks.bandTop, marks.bandBottom, BandColour);
    fillRows(bits, stride, marks.energyRow, marks.energyRow, EnergyColour);
    if (marks.lineColumn >= 0 && marks.lineColumn < viewWidth)
        markColumn(bits, stride, marks.lineColumn, 0, viewHeight - 1);
}

bool EvolutionComposer::setOverlay(const Overlay &overlay)
{
    if (overlay == marks)
        return false;
    marks = overlay;
    frameOnly = false; // the next frame starts from a fresh picture
    return true;
}

void EvolutionComposer::fillRows(uchar *bits, qsizetype stride, int from, int to, QRgb colour) const
{
    from = std::max(from, 0);
    to = std::min(to, viewHeight - 1);
    if (from > to)
        return;
    for (int y = deviceY[from]; y < deviceY[to + 1]; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(bits + y * stride), view.width(), colour);
}

void EvolutionComposer::eraseColumn(uchar *bits, qsizetype stride, int column, int from, int to) const
{
    fillColumn(bits, stride, column, from, to, Black);
    const int top = std::max(from, marks.bandTop), bottom = std::min(to, marks.bandBottom);
    if (top <= bottom)
        fillColumn(bits, stride, column, top, bottom, BandColour);
    markColumn(bits, stride, column, from, to);
}

void EvolutionComposer::markColumn(uchar *bits, qsizetype stride, int column, int from, int to) const
{
    if (marks.energyRow >= from && marks.energyRow <= to)
        fillColumn(bits, stride, column, marks.energyRow, marks.energyRow, EnergyColour);
    if (column != marks.lineColumn)
        return;
    for (int row = std::max(from, 0); row <= to; ++row)
        if (dotted(row))
            fillColumn(bits, stride, column, row, row, LineColour);
}

void EvolutionComposer::drawPotential(const double *A, QRgb colour)
{
    frameOnly = false;
    QPainter painter(&view);
    painter.setPen(QPen(QColor(colour), 0));
    QPolygon line(viewWidth);
    for (int i = 0; i < viewWidth; ++i)
        line.setPoint(i, i, rowOf(A[columnGrid[i]]));
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

void EvolutionComposer::fillColumn(uchar *bits, qsizetype stride, int column, int from, int to, QRgb colour) const
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

QRect EvolutionComposer::compose(const std::complex<double> *wave, const double *V)
{
    // Column i shows grid index k(i) as a line from y - L to y (clipped to the view) in its phase
    // colour. Only what differs from the last frame is written, erased and reported.
    const bool fresh = !frameOnly;
    if (fresh)
        clear();
    if (view.isNull())
        return QRect();
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
        const int y = V ? rowOf(V[k]) : midLine;
        next[i] = Span{std::max(y - L, 0), std::min(y, h - 1), rgb};
    }

    // Then the changes, column by column.
    uchar *const bits = view.bits(); // once: bits() checks for sharing on every call
    const qsizetype stride = view.bytesPerLine();
    int left = viewWidth, right = -1, top = h, bottom = -1; // the area that changed
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
                eraseColumn(bits, stride, i, old.top, old.bottom);
            } else {
                if (old.top < now.top)
                    eraseColumn(bits, stride, i, old.top, now.top - 1);
                if (old.bottom > now.bottom)
                    eraseColumn(bits, stride, i, now.bottom + 1, old.bottom);
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
        return QRect(0, 0, viewWidth, viewHeight);
    if (right < left)
        return QRect();
    return QRect(left, top, right - left + 1, bottom - top + 1);
}

void EvolutionComposer::xorRectangle(const QRect &rect)
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
}
