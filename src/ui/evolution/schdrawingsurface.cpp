// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/schdrawingsurface.h"

#include "physics/grid.h"
#include "physics/packetmeasurement.h"
#include "physics/phasecolour.h"
#include "physics/potentialpen.h"
#include "ui/app/sidewindows.h"
#include "ui/evolution/evolutionstatus.h"
#include "ui/evolution/potentialmodel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {
const QRgb White = qRgb(255, 255, 255);
} // namespace

SchDrawingSurface::SchDrawingSurface(QWidget *parent, QPushButton *fourierButton, QPushButton *streuButton)
    : QWidget(parent), model(new PotentialModel(this)), sim(model->samples().data())
{
    composer.resize(10, 10, devicePixelRatioF()); // until the first resize event
    pace = new PacedTimer(this);
    connect(pace, &PacedTimer::frame, this, &SchDrawingSurface::showFrame);
    connect(model, &PotentialModel::changed, this, &SchDrawingSurface::potentialChanged);
    if (fourierButton)
        connect(this, &SchDrawingSurface::selectionToolEnded, fourierButton, [fourierButton] { fourierButton->setChecked(false); });
    if (streuButton)
        connect(this, &SchDrawingSurface::scatteringRefused, streuButton, [streuButton] { streuButton->setChecked(false); });
    setMinimumSize(500, 400);
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel from the image
    setFocusPolicy(Qt::StrongFocus); // for the keys of the evolution (Space: start and stop)
}

SchDrawingSurface::~SchDrawingSurface() = default;

// ---- mappings ---------------------------------------------------------------------------------

int SchDrawingSurface::gridIndexAt(int x) const
{
    return gridIndex(x, composer.width());
}

double SchDrawingSurface::valueAt(int y) const
{
    return (composer.midRow() - y) * EvolutionComposer::RowValue;
}

// ---- the picture ------------------------------------------------------------------------------

void SchDrawingSurface::redraw()
{
    composer.clear();
    if (running)
        return; // the next timer tick draws the frame
    if (drawingMode() == PotentialMode)
        composer.drawPotential(model->samples().data(), White);
    else if (drawingMode() == PacketMode)
        drawEvolution(sim.wave(), nullptr);
}

void SchDrawingSurface::refresh()
{
    placeMarks();
    if (running)
        composer.clear();
    else
        redraw();
    update();
    reportStatus();
}

bool SchDrawingSurface::placeMarks()
{
    EvolutionComposer::Overlay marks;
    if (sim.hasPacket()) {
        const PacketMeasurement m = sim.measure(lineIndex);
        marks.energyRow = composer.rowOf(m.meanE);
        marks.bandTop = composer.rowOf(m.meanE + m.spreadE);
        marks.bandBottom = composer.rowOf(m.meanE - m.spreadE);
        // The first column that shows the line's grid index or one right of it.
        marks.lineColumn = int((qint64(lineIndex) * composer.width() + GridPoints - 1) / GridPoints);
    }
    return composer.setOverlay(marks);
}

void SchDrawingSurface::showMarks()
{
    // While running, the next frame starts afresh with them; no blank picture in between.
    if (placeMarks() && !running) {
        redraw();
        update();
    }
    reportStatus();
}

QString SchDrawingSurface::statusText() const
{
    if (!sim.hasPacket())
        return QString();
    return evolutionStatusText(sim.stepCount(), sim.time(), sim.measure(lineIndex));
}

void SchDrawingSurface::reportStatus()
{
    const QString text = statusText();
    if (text == lastStatus)
        return;
    lastStatus = text;
    emit statusChanged(text);
}

void SchDrawingSurface::drawEvolution(const std::complex<double> *wave, const double *V)
{
    const QRect changed = composer.compose(wave, V);
    if (!changed.isEmpty())
        update(changed);
}

void SchDrawingSurface::drawSelection(const QRect &rect)
{
    composer.xorRectangle(rect);
    update();
}

void SchDrawingSurface::applyPen(int i, double v)
{
    drawingPen = true;
    model->applyPen(PotentialPen::Kind(pen), i, v, penRange, lastIndex);
    drawingPen = false;
    if (lineFollows)
        lineIndex = PacketMeasurement::highestPoint(model->samples().data(), GridPoints);
    // The picture anew, not the old curve erased: the packet's energy line may have moved with
    // the potential under it, and the marks must not keep holes where the old curve was. While
    // running, the new curve shows until the next frame.
    placeMarks();
    composer.clear();
    composer.drawPotential(model->samples().data(), White);
    update();
    reportStatus();
}

void SchDrawingSurface::potentialChanged()
{
    if (drawingPen)
        return;
    if (lineFollows)
        lineIndex = PacketMeasurement::highestPoint(model->samples().data(), GridPoints);
    refresh();
}

void SchDrawingSurface::changePacket(int PacketParams::*field, int value)
{
    PacketParams params = sim.params();
    params.*field = value;
    sim.setParams(params);
    sim.rebuild();
}

// ---- side windows -----------------------------------------------------------------------------

void SchDrawingSurface::useSideWindows(SideWindows *owner)
{
    if (sides == owner)
        return;
    if (sides && sides->parent() == this)
        delete sides.data();
    else if (sides)
        disconnect(sides, nullptr, this, nullptr);
    sides = owner;
    if (sides) {
        connect(sides, &SideWindows::scatteringRefused, this, &SchDrawingSurface::scatteringRefused);
        connect(sides, &SideWindows::stateChosen, this, &SchDrawingSurface::takeWave);
    }
}

SideWindows *SchDrawingSurface::sideWindows() const
{
    return sides;
}

SideWindows &SchDrawingSurface::ensureSideWindows()
{
    if (!sides)
        useSideWindows(new SideWindows(this, this));
    return *sides;
}

// ---- slots ------------------------------------------------------------------------------------

double *SchDrawingSurface::getPot()
{
    return model->data();
}

void SchDrawingSurface::setPot(double *samples)
{
    model->replace(samples, QStringLiteral("Potential ersetzen")); // its change repaints
}

void SchDrawingSurface::clear()
{
    if (drawingMode() == PotentialMode)
        model->clear(); // its change repaints
    else
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
    emit selectionToolEnded();
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
    changePacket(&PacketParams::dx, value);
    refresh();
}

void SchDrawingSurface::setP(int value)
{
    changePacket(&PacketParams::p, value);
    refresh();
}

void SchDrawingSurface::setDP(int value)
{
    changePacket(&PacketParams::dp, value);
    refresh();
}

void SchDrawingSurface::setZ(int value)
{
    changePacket(&PacketParams::z, value);
    sim.advance(value);
    refresh();
}

void SchDrawingSurface::startEvolution(bool on)
{
    if (on) {
        composer.clear();
        pace->start();
        running = true;
        update();
    } else {
        pace->stop();
        running = false;
        refresh();
    }
}

void SchDrawingSurface::paintEvolution()
{
    showFrame(1);
}

void SchDrawingSurface::showFrame(int steps)
{
    sim.advance(steps);
    drawEvolution(sim.wave(), model->samples().data()); // also the first frame after the start
    if (steps > 0)
        reportStatus();
}

void SchDrawingSurface::singleStep()
{
    sim.step();
    if (running)
        drawEvolution(sim.wave(), model->samples().data());
    else
        redraw();
    update();
    reportStatus();
}

void SchDrawingSurface::restart()
{
    sim.restart();
    refresh();
}

void SchDrawingSurface::setMeasuringLine(int index)
{
    lineFollows = false;
    lineIndex = std::clamp(index, 0, GridPoints);
    showMarks();
}

void SchDrawingSurface::followHighestPoint()
{
    lineFollows = true;
    lineIndex = PacketMeasurement::highestPoint(model->samples().data(), GridPoints);
    showMarks();
}

void SchDrawingSurface::takeWave(const std::vector<std::complex<double>> &wave)
{
    if (running)
        startEvolution(false);
    sim.placeWave(wave); // scaled as a packet of the last height; restart() comes back to it
    refresh();
}

void SchDrawingSurface::startStreu(bool on)
{
    ensureSideWindows().showScattering(on, model->samples().data());
}

void SchDrawingSurface::startEigen(bool on)
{
    ensureSideWindows().showEigen(on, model->samples().data());
}

// ---- events -----------------------------------------------------------------------------------

void SchDrawingSurface::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() != Qt::LeftButton)
        return; // only the left button selects or draws
    if (e->modifiers() & Qt::ControlModifier) { // in any mode: the measuring line
        movingLine = true;
        setMeasuringLine(gridIndexAt(pos.x()));
        return;
    }
    if (mode & SelectionBit) {
        selection = QRect(pos, pos);
        drawSelection(selection);
        selecting = true;
        dragging = true;
        return;
    }
    if (drawingMode() == PotentialMode) {
        curIndex = gridIndexAt(pos.x());
        applyPen(curIndex, valueAt(pos.y()));
        dragging = true;
    } else if (drawingMode() == PacketMode) {
        curIndex = gridIndexAt(pos.x());
        const int h = composer.midRow() - pos.y();
        if (h > 0) { // only above the middle row
            PacketParams params = sim.params();
            params.x = curIndex;
            params.height = h;
            sim.setParams(params);
            sim.rebuild();
        }
        refresh();
    }
}

void SchDrawingSurface::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (movingLine) {
        setMeasuringLine(gridIndexAt(pos.x()));
        return;
    }
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
        applyPen(curIndex, valueAt(pos.y()));
    lastIndex = curIndex;
}

void SchDrawingSurface::mouseReleaseEvent(QMouseEvent *e)
{
    model->finishStroke(); // whichever button ends it
    if (movingLine && e->button() == Qt::LeftButton) {
        movingLine = false;
        return;
    }
    if (!(mode & SelectionBit) || !selecting) {
        // Every release ends a drag: a later drag with another button must not go on drawing.
        dragging = false;
        return;
    }
    if (e->button() != Qt::LeftButton)
        return; // the band belongs to the left button
    drawSelection(selection);
    selecting = false;
    selection.setBottomRight(e->position().toPoint());
    const int from = gridIndexAt(std::min(selection.left(), selection.right()));
    const int to = gridIndexAt(std::max(selection.left(), selection.right()));
    // A selection finished in packet mode changes nothing.
    if (drawingMode() == PotentialMode && (smoothFlags & 1))
        model->smooth(from, to, flevel); // its change repaints
    else
        refresh();
    dragging = false;
}

void SchDrawingSurface::paintEvent(QPaintEvent *e)
{
    const QImage &view = composer.image();
    if (view.devicePixelRatio() != devicePixelRatioF()) { // moved to a screen of another scale
        composer.resize(composer.width(), composer.height(), devicePixelRatioF());
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
    composer.resize(std::max(width(), 1), std::max(height(), 1), devicePixelRatioF());
    sim.setViewHeight(composer.height());
    placeMarks();
    if (!running)
        redraw();
}
