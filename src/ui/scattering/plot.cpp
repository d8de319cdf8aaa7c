// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scattering/plot.h"

#include "ui/widgets/controlhelp.h"
#include "ui/widgets/windowplacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
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
                    QStringLiteral("Setzt die blaue Marke auf eine Energie zwischen 0 und dem Energiemaximum (1000 Schritte) "
                                   "und zeigt dort R und T. Energien wie im Streufenster, ×1000 gegenüber der Zeichenfläche."));
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

    // 10 to the floor of log10(maxEnergy), counted exactly in integers.
    long long step = 1;
    while (step * 10 <= maxEnergy)
        step *= 10;
    tickStep = int(step);
    axisMax = int((maxEnergy + step - 1) / step * step);
    lastTick = axisMax / tickStep - 1;
    tickSpacing = double((W - 2 * marginX) / (lastTick + 1));
    gridSpacing = panelHeight * 0.1;
    energyPerStep = maxEnergy * 0.001;
    xScale = double(W - 2 * marginX) / axisMax;
    yScale = panelHeight;
}

int Plot::xOf(double e) const
{
    return truncated(marginX + e * xScale);
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
        ticks.append(i * tickStep);
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
    return truncated(xScale * markerEnergy + marginX);
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
    computeLayout();
    gridDirty = true;
    reset();
}

// ---- marker and read-outs ---------------------------------------------------------------------

void Plot::Energy(int v)
{
    showMarker(v);
    update();
}

void Plot::showMarker(int v)
{
    markerEnergy = v * energyPerStep;
    energyReadout->setText(readout(markerEnergy));
    updateReadouts();
    if (frameDirty || frameImage.isNull())
        return; // the coming rebuild draws the marker at the slider's value
    if (!fresh)
        xorMarker(previousMarker);
    xorMarker(markerEnergy);
    fresh = false;
    previousMarker = markerEnergy;
}

void Plot::updateReadouts()
{
    if (pointCount > 3)
        pointSpacing = energies[3] - energies[2];
    QString r;
    QString t;
    if (hasData && pointSpacing != 0.0) {
        // Point 0 stands at the right-hand potential level, which need not be 0 (a step, a
        // potential below 0 everywhere): count the spacings from there.
        const double origin = pointCount > 0 && std::isfinite(energies[0]) ? energies[0] : 0.0;
        const double q = (markerEnergy - origin) / pointSpacing;
        if (std::isfinite(q)) {
            const double k = q >= 0.0 ? std::ceil(q) : std::floor(q);
            if (k >= 0.0 && k < pointCount) {
                const int i = int(k);
                if (std::isfinite(rValues[i]) && std::isfinite(tValues[i])) {
                    r = "R=" + readout(rValues[i]);
                    t = "T=" + readout(tValues[i]);
                }
            }
        }
    }
    rReadout->setText(r);
    tReadout->setText(t);
}

void Plot::xorMarker(double energy)
{
    QPainter p(&frameImage);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0, 0, 255), 0));
    const int x = truncated(xScale * energy + marginX);
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
        const QString label = QString::number(static_cast<long long>(i) * tickStep);
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
    showMarker(markerSlider->value());
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
