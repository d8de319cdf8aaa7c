// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scattering/plot.h"

#include "ui/widgets/controlhelp.h"
#include "ui/widgets/windowplacement.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// Pixel conversions must not overflow int for wild inputs (huge energies, NaN from a caller).
double clampPixel(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::fmax(-1.0e6, std::fmin(1.0e6, v));
}

int truncated(double v)
{
    return int(clampPixel(v));
}

int roundedOut(double v)
{
    v = clampPixel(v);
    return int(v >= 0.0 ? std::ceil(v) : std::floor(v));
}

// The axis arithmetic needs a maximum of at least 1; the upper bound keeps axisMax inside int.
int usableMaximum(double e)
{
    if (!(e >= 1.0))
        return 1;
    if (e > 1.0e9)
        return 1000000000;
    return int(e);
}

// A black image covering `size` logical pixels at the device pixel ratio `dpr`: drawn with
// logical coordinates, its cosmetic lines are one device pixel thin and its text is sharp.
QImage blackImage(QSize size, qreal dpr)
{
    QImage img((QSizeF(size) * dpr).toSize(), QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::black);
    return img;
}

} // namespace

Plot::Plot(QWidget *parent, const char *name, int maxEnergy)
    : QWidget(parent, Qt::Window), rValues(capacity, 0.0), tValues(capacity, 0.0), energies(capacity, 0.0)
{
    if (name)
        setObjectName(QString::fromUtf8(name));
    setGeometry(610, 0, 500, 500);
    // 10 pixels right of the scattering window's frame, however wide that window is.
    if (parent)
        WindowPlacement::placeBeside(this, parent->window(), 10, WindowPlacement::WithoutFrames::RightOf);
    setWindowTitle("Streuamplituden");
    setAttribute(Qt::WA_OpaquePaintEvent); // the frame image covers every pixel, black underneath
    setAttribute(Qt::WA_QuitOnClose, false); // a side window must not keep the program running

    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout = new QHBoxLayout();
    mainLayout->addLayout(rowLayout);

    energyCaption = new QLabel(" Energie: ", this);
    energyCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rowLayout->addWidget(energyCaption, 2);

    markerSlider = new QSlider(Qt::Horizontal, this);
    markerSlider->setRange(0, 1000);
    markerSlider->setPageStep(1);
    markerSlider->setValue(200);
    markerSlider->setObjectName("Energie");
    connect(markerSlider, &QSlider::valueChanged, this, &Plot::Energy);
    markerSlider->installEventFilter(this);
    rowLayout->addWidget(markerSlider, 10);

    energyReadout = new QLabel("2", this);
    energyReadout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rowLayout->addWidget(energyReadout, 10);
    tReadout = new QLabel(this);
    tReadout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rowLayout->addWidget(tReadout, 10);
    rReadout = new QLabel(this);
    rReadout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rowLayout->addWidget(rReadout, 10);
    mainLayout->addStretch(10);

    // The controls keep their own (light) background on the black plot, as panels.
    for (QWidget *w : {static_cast<QWidget *>(energyCaption), static_cast<QWidget *>(markerSlider),
                       static_cast<QWidget *>(energyReadout), static_cast<QWidget *>(tReadout),
                       static_cast<QWidget *>(rReadout)})
        w->setAutoFillBackground(true);

    describeControl(markerSlider, QStringLiteral("Energiemarke"),
                    QStringLiteral("Setzt die blaue Marke auf eine Energie zwischen 0 (oder dem tiefsten berechneten Punkt, wenn "
                                   "er unter 0 liegt) und dem Energiemaximum (1000 Schritte) und zeigt dort R und T. Die "
                                   "Pfeiltasten führen die Marke von Punkt zu Punkt. Energien wie im Streufenster, ×1000 "
                                   "gegenüber der Zeichenfläche."));
    addWhatsThisKey(this);

    this->maxEnergy = usableMaximum(maxEnergy);
    curveBuffer.reserve(capacity);
    computeLayout();
    show();
    update();
}

Plot::~Plot() = default;

// ---- layout and mappings ----------------------------------------------------------------------

void Plot::computeLayout()
{
    areaHeight = height();
    areaWidth = width();
    const int H = areaHeight;
    const int W = areaWidth;
    panelHeight = roundedOut((H - 2 * (panelGap + marginY) + 1) * 0.5);

    // The axis starts at 0, or further left at the lowest computed energy where that is negative.
    const double low = lowEnd();
    // 10 to the floor of log10 of the range, counted exactly in integers.
    const long long range = maxEnergy + (low < 0.0 ? (long long)std::ceil(-low) : 0);
    long long step = 1;
    while (step * 10 <= range)
        step *= 10;
    auto ends = [&] {
        axisMin = low < 0.0 ? -int(std::ceil(-low / double(step)) * step) : 0;
        axisMax = int((maxEnergy + step - 1) / step * step);
    };
    ends();
    // Below 0 whole steps of 10^n can leave much of the axis empty: finer ticks, up to 20 of them.
    while (step >= 10 && axisMin - low < -0.2 * (axisMax - axisMin) &&
           (axisMax - axisMin) / (step / 10) <= 20) {
        step /= 10;
        ends();
    }
    tickStep = int(step);
    lastTick = (axisMax - axisMin) / tickStep - 1;
    tickSpacing = double((W - 2 * marginX) / (lastTick + 1));
    gridSpacing = panelHeight * 0.1;
    energyPerStep = (maxEnergy - low) * 0.001;
    xScale = double(W - 2 * marginX) / (axisMax - axisMin);
    yScale = panelHeight;
}

int Plot::xOf(double e) const
{
    return truncated(marginX + (e - axisMin) * xScale);
}

double Plot::lowEnd() const
{
    // As far down as the maximum energy may reach up, so that the axis stays inside int.
    return std::isfinite(lowestEnergy) && lowestEnergy < 0.0 ? std::fmax(lowestEnergy, -1.0e9) : 0.0;
}

int Plot::yR(double v) const
{
    return roundedOut((marginY + panelHeight) - v * yScale);
}

int Plot::yT(double v) const
{
    return roundedOut((areaHeight - marginY + 1) - v * yScale);
}

QVector<int> Plot::tickValues() const
{
    QVector<int> ticks;
    for (int i = 0; i <= lastTick + 1; ++i)
        ticks.append(axisMin + i * tickStep);
    return ticks;
}

QRect Plot::rPanelFrame() const
{
    return QRect(marginX, marginY, areaWidth - 2 * marginX + 1, panelHeight + 1);
}

QRect Plot::tPanelFrame() const
{
    return QRect(marginX, marginY + panelHeight + 2 * panelGap - 1, areaWidth - 2 * marginX + 1,
                 panelHeight + 1);
}

int Plot::markerColumn() const
{
    return xOf(markerEnergy);
}

QString Plot::readout(double v)
{
    return QString::number(v, 'g', 6);
}

QString Plot::energyText() const
{
    return energyReadout->text();
}

QString Plot::rText() const
{
    return rReadout->text();
}

QString Plot::tText() const
{
    return tReadout->text();
}

// ---- data -------------------------------------------------------------------------------------

void Plot::reset()
{
    // The grid depends only on size and maximum energy; a new sweep redraws the curves only.
    frameDirty = true;
    update();
}

void Plot::addPoint(double r, double t, double e, int index)
{
    if (index < 0 || index >= capacity)
        return;
    // Indices the sweep skipped must not show values of an earlier sweep: mark them as gaps.
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (int i = pointCount; i < index; ++i)
        rValues[i] = tValues[i] = energies[i] = gap;
    rValues[index] = r;
    tValues[index] = t;
    energies[index] = e;
    pointCount = index + 1;
    hasData = true;
    frameDirty = true;
    // The first point of a sweep stands at the lowest energy computed; below 0 the axis reaches it.
    if (index == 0 && !(e == lowestEnergy)) {
        const double before = lowEnd();
        lowestEnergy = e;
        if (!(lowEnd() == before)) {
            computeLayout();
            gridDirty = true;
        }
    }
    update();
}

void Plot::setMaxEnergy(double e)
{
    maxEnergy = usableMaximum(e);
    for (int i = 0; i < pointCount; ++i) {
        if (energies[i] >= maxEnergy) {
            pointCount = i;
            break;
        }
    }
    markerOnPoint = false; // the slider's steps mean other energies now
    computeLayout();
    gridDirty = true;
    reset();
}

// ---- marker and read-outs ---------------------------------------------------------------------

void Plot::Energy(int v)
{
    markerOnPoint = false;
    showMarker(lowEnd() + v * energyPerStep);
    update();
}

void Plot::showMarker(double energy)
{
    markerEnergy = energy;
    energyReadout->setText(readout(markerEnergy));
    updateReadouts();
    if (frameDirty || frameImage.isNull())
        return; // the coming rebuild draws the marker
    if (!fresh)
        xorMarker(previousMarker);
    xorMarker(markerEnergy);
    fresh = false;
    previousMarker = markerEnergy;
}

bool Plot::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys move the marker from stored point to stored point, so that it can stand on
    // every one of them; the slider's own steps are coarser than the points.
    if (watched == markerSlider && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        const int direction = k == Qt::Key_Right || k == Qt::Key_Up ? 1 : k == Qt::Key_Left || k == Qt::Key_Down ? -1 : 0;
        if (direction != 0 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && stepToPoint(direction))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool Plot::stepToPoint(int direction)
{
    const double tol = 1e-9 * std::fabs(pointSpacing);
    int target = -1;
    for (int i = direction > 0 ? 0 : pointCount - 1; i >= 0 && i < pointCount && target < 0; i += direction) {
        const double e = energies[i];
        if (std::isfinite(e) && (direction > 0 ? e > markerEnergy + tol : e < markerEnergy - tol))
            target = i;
    }
    if (target < 0)
        return false; // none that way: the slider moves on by itself
    markerOnPoint = true;
    {
        // The slider follows to its nearest step without moving the marker off the point.
        const QSignalBlocker quiet(markerSlider);
        const double v = (energies[target] - lowEnd()) / energyPerStep;
        markerSlider->setValue(int(std::lround(std::fmax(0.0, std::fmin(double(markerSlider->maximum()), v)))));
    }
    showMarker(energies[target]);
    update();
    return true;
}

int Plot::readoutIndex() const
{
    if (!hasData || !(pointSpacing != 0.0) || !std::isfinite(pointSpacing))
        return -1;
    // Point 0 stands at the right-hand potential level, which need not be 0 (a step, a potential
    // below 0 everywhere); the sweep skips energies below the left-hand level, which leave gaps.
    int first = 0;
    while (first < pointCount && !std::isfinite(energies[first]))
        ++first;
    if (first == pointCount)
        return -1;
    // The first stored point at or above the marker. The spacing and the sums of it that the
    // sweep stored are rounded: within 1e-9 of a point the marker counts as on it.
    const double q = first + (markerEnergy - energies[first]) / pointSpacing;
    if (!std::isfinite(q))
        return -1;
    const double nearest = std::round(q);
    const double k = std::fabs(q - nearest) <= 1e-9 ? nearest : std::ceil(q);
    if (k < 0.0 || k >= pointCount)
        return -1;
    int i = int(k);
    const double below = markerEnergy - 1e-9 * std::fabs(pointSpacing);
    while (i + 1 < pointCount && std::isfinite(energies[i]) && energies[i] < below)
        ++i;
    while (i > 0 && std::isfinite(energies[i - 1]) && energies[i - 1] >= below)
        --i;
    if (!std::isfinite(rValues[i]) || !std::isfinite(tValues[i]) || energies[i] < below)
        return -1;
    return i;
}

void Plot::updateReadouts()
{
    // The spacing from the first and the last stored point; skipped energies are no points.
    if (pointCount > 3) {
        int a = 0;
        while (a < pointCount && !std::isfinite(energies[a]))
            ++a;
        int b = pointCount - 1;
        while (b > a && !std::isfinite(energies[b]))
            --b;
        if (b > a)
            pointSpacing = (energies[b] - energies[a]) / (b - a);
    }
    const int i = readoutIndex();
    rReadout->setText(i < 0 ? QString() : "R=" + readout(rValues[i]));
    tReadout->setText(i < 0 ? QString() : "T=" + readout(tValues[i]));
}

void Plot::xorMarker(double energy)
{
    QPainter p(&frameImage);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0, 0, 255), 0));
    const int x = xOf(energy);
    p.drawLine(x, areaHeight - marginY, x, marginY);
}

// ---- drawing ----------------------------------------------------------------------------------

void Plot::drawGrid()
{
    computeLayout();
    gridDirty = false;
    const int H = areaHeight;
    const int W = areaWidth;
    if (W <= 0 || H <= 0) {
        gridImage = QImage();
        return;
    }
    gridImage = blackImage(size(), devicePixelRatioF());
    QPainter p(&gridImage);
    // Cosmetic pens: one device pixel wide at any scale.
    const QPen gridPen(Qt::gray, 0, Qt::DotLine);
    const QPen textPen(Qt::white, 0, Qt::SolidLine);
    const int mx = marginX;
    const int my = marginY;
    const int u = panelHeight;
    const int g = panelGap;

    for (int i = 0; i <= lastTick + 1; ++i) {
        const int x = truncated(i * tickSpacing + mx);
        p.setPen(gridPen);
        p.drawLine(x, my, x, my + u);
        p.drawLine(x, my + u + 2 * g, x, H - my);
        p.setPen(textPen);
        const QString label = QString::number(axisMin + static_cast<long long>(i) * tickStep);
        const int left = truncated(i * tickSpacing + mx - 20.0);
        p.drawText(QRect(left, truncated(1.1 * my + u), 40, 20), Qt::AlignHCenter, label);
        p.drawText(QRect(left, truncated(H - 0.9 * my), 40, 20), Qt::AlignHCenter, label);
    }

    const int labelX = truncated(0.6 * mx);
    for (int j = 0; j <= 10; ++j) {
        p.setPen(gridPen);
        const int yUpper = roundedOut(my + j * gridSpacing);
        const int yLower = roundedOut(H - my - j * gridSpacing + 1.0);
        p.drawLine(mx, yUpper, W - mx, yUpper);
        p.drawLine(mx, yLower, W - mx, yLower);
        p.setPen(textPen);
        const QString label = readout(j * 0.1);
        p.drawText(labelX, roundedOut(my + u + 5 - j * gridSpacing), label);
        p.drawText(labelX, roundedOut(H - my + 5 - j * gridSpacing), label);
    }

    // A 1-pixel outline of QRect(x, y, w, h) covers w + 1 by h + 1 pixels.
    const QRect rFrame = rPanelFrame();
    const QRect tFrame = tPanelFrame();
    p.setPen(textPen);
    p.drawRect(rFrame.x(), rFrame.y(), rFrame.width() - 1, rFrame.height() - 1);
    p.drawRect(tFrame.x(), tFrame.y(), tFrame.width() - 1, tFrame.height() - 1);

    p.drawText(QRect(0, H - 20, W, 15), Qt::AlignCenter, "Energie E [Vmax]");
    p.drawText(QRect(0, energyReadout->height(), W, 20), Qt::AlignCenter,
               "Transmissions- und Reflektionskoeffizienten");

    // Captions run bottom to top beside the panels.
    QTransform turn;
    turn.translate(W / 2, H / 2);
    turn.rotate(-90);
    p.setWorldTransform(turn);
    p.setPen(QPen(Qt::red, 0));
    p.drawText(QRect(0, 5 - W / 2, u + g, 20), Qt::AlignCenter, "Reflektion R(E)");
    p.setPen(QPen(Qt::green, 0));
    p.drawText(QRect(-(u + g), 5 - W / 2, u + g, 20), Qt::AlignCenter, "Transmission T(E)");
}

void Plot::drawCurves(QPainter &p)
{
    auto curve = [&](const std::vector<double> &values, bool lowerPanel, const QColor &colour) {
        p.setPen(QPen(colour, 0));
        // The sweep runs to the exact maximum energy and R or T may overshoot 1 by rounding,
        // while the axis ends at a whole number: each curve stays inside its panel's frame.
        p.setClipRect(lowerPanel ? tPanelFrame() : rPanelFrame());
        curveBuffer.clear();
        auto flush = [&] {
            if (curveBuffer.size() >= 2)
                p.drawPolyline(curveBuffer.data(), int(curveBuffer.size()));
            curveBuffer.clear();
        };
        for (int i = 0; i < pointCount; ++i) {
            const double e = energies[i];
            const double v = values[i];
            if (!std::isfinite(e) || !std::isfinite(v)) {
                flush(); // a gap splits the curve
                continue;
            }
            curveBuffer.emplace_back(xOf(e), lowerPanel ? yT(v) : yR(v));
        }
        flush();
    };
    curve(tValues, true, Qt::green);
    curve(rValues, false, Qt::red);
    p.setClipping(false);
}

bool Plot::fitsWidget(const QImage &img) const
{
    return img.devicePixelRatio() == devicePixelRatioF() && img.deviceIndependentSize().toSize() == size();
}

void Plot::rebuildFrame()
{
    if (gridDirty || !fitsWidget(gridImage))
        drawGrid();
    frameImage = gridImage.copy();
    frameDirty = false;
    if (!frameImage.isNull()) {
        QPainter p(&frameImage);
        drawCurves(p);
    }
    // Curves go under the marker, so erasing the marker by XOR never touches them.
    fresh = true;
    showMarker(markerOnPoint ? markerEnergy : lowEnd() + markerSlider->value() * energyPerStep);
}

void Plot::paintEvent(QPaintEvent *)
{
    if (frameDirty || !fitsWidget(frameImage))
        rebuildFrame();
    QPainter p(this);
    if (frameImage.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(QPoint(0, 0), frameImage);
}

void Plot::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    computeLayout();
    gridDirty = true;
    frameDirty = true;
    fresh = true;
}
