// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/eigen/schefview.h"

#include "ui/widgets/controlhelp.h"
#include "physics/eigensolver.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Margin = 55; // left and top edge of the plot area
constexpr int Border = 15; // right and bottom gap

// Truncation toward zero, kept inside a range the painter handles (absurd potentials can map
// far outside the window, and a NaN must not reach an int conversion).
int toPixel(double x)
{
    constexpr double Limit = 1e6;
    if (!(x > -Limit))
        return -static_cast<int>(Limit);
    if (!(x < Limit))
        return static_cast<int>(Limit);
    return static_cast<int>(x);
}

} // namespace

SchEFView::SchEFView(const double *surfacePot, QWidget *parent, std::ostream &trace)
    : SchEFView(surfacePot, parent, EigenSolver::traceLines(trace))
{
}

SchEFView::SchEFView(const double *surfacePot, QWidget *parent, const EigenSolver::Trace &trace) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Schrödinger Eigenfunktionen"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAttribute(Qt::WA_OpaquePaintEvent); // the backing image covers every pixel

    pot.assign(GridPoints, 0.0);

    auto *label = new QLabel(QStringLiteral("Eigenfunktion"), this);
    QPalette white = label->palette(); // the window's black would reach the text too
    white.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(white);
    slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("Eigen"));
    slider->setRange(0, 100);
    slider->setPageStep(1);
    slider->setValue(0);
    const int hs = slider->height();
    label->setGeometry(0, 0, 90, hs);
    slider->setGeometry(90, 0, 150, hs);
    slider->setFixedSize(150, hs);
    connect(slider, &QSlider::valueChanged, this, &SchEFView::eigenChange);

    edit = new QLineEdit(QStringLiteral("0"), this);
    edit->setValidator(new QIntValidator(0, 1000, edit));
    edit->setMaxLength(3);
    edit->setGeometry(230, 0, 35, hs);
    edit->setFixedWidth(35);
    connect(edit, &QLineEdit::textChanged, this, &SchEFView::eigenTextChange);

    countBox = new QComboBox(this);
    for (const char *item : {"1", "3", "5", "10", "all"})
        countBox->addItem(QString::fromLatin1(item));
    countBox->setCurrentIndex(0);
    countBox->setGeometry(265, 0, 50, hs);
    connect(countBox, &QComboBox::activated, this, &SchEFView::refreshEigen);

    auto *toggle = new QPushButton(QStringLiteral("Display Eigenwerte"), this);
    toggle->setObjectName(QStringLiteral("d"));
    toggle->setCheckable(true);
    // Sized by a slightly different text than it shows, as the layout always was.
    const int wb = QFontMetrics(toggle->font()).horizontalAdvance(QStringLiteral("  Display Wigenwerte  "));
    toggle->setGeometry(315, 0, wb, toggle->height());
    connect(toggle, &QPushButton::toggled, this, &SchEFView::dispEWerte);

    if (surfacePot)
        for (int j = 0; j < GridPoints; ++j)
            pot[j] = surfacePot[j] * 10000.0;

    shownCount = 1;
    singleMode = true;
    showLevels = false;
    selected = 0;

    solver = std::make_unique<EigenSolver>(pot.data(), trace);
    const EigenSolver::BoundStates &states = solver->boundStates();
    eigenCount = int(states.energies.size());
    slider->setRange(0, eigenCount - 1);

    eigenValues = states.energies;
    curves.assign(static_cast<std::size_t>(eigenCount) * GridPoints, 0.0);
    for (int k = 0; k < eigenCount; ++k) {
        const double e = eigenValues[k];
        const std::vector<double> psi = states.eigenFunction(k);
        double *curve = &curves[static_cast<std::size_t>(k) * GridPoints];
        for (int j = 0; j < GridPoints; ++j)
            curve[j] = e + psi[j];
    }

    const QString unit = QStringLiteral("Energien in Pixelzeilen der Zeichenfläche: 1 = 0.0001 ħ²/(m·Δx²).");
    describeControl(slider, QStringLiteral("Eigenfunktion"),
                    QStringLiteral("Wählt eine Eigenfunktion nach ihrer Nummer, 0 ist der Grundzustand."), unit);
    describeControl(edit, QStringLiteral("Nummer der Eigenfunktion"),
                    QStringLiteral("Nummer der gezeigten Eigenfunktion zum Eintippen, 0 ist der Grundzustand."), unit);
    describeControl(countBox, QStringLiteral("Anzahl"),
                    QStringLiteral("Zeigt die untersten 1, 3, 5, 10 oder alle Eigenfunktionen zusammen."), unit);
    describeControl(toggle, QStringLiteral("Eigenwerte anzeigen"),
                    QStringLiteral("Zeichnet alle Eigenwerte als punktierte Linien."), unit);
    addWhatsThisKey(this);

    computeRanges();
    resize(800, 600);
}

SchEFView::~SchEFView() = default;

double SchEFView::eigenValueAt(int k) const
{
    return (k >= 0 && k < eigenCount) ? eigenValues[k] : 0.0;
}

std::vector<double> SchEFView::eigenFunctionAt(int k) const
{
    std::vector<double> psi = solver->boundStates().eigenFunction(k);
    psi.resize(GridPoints); // without the wall entry
    return psi;
}

int SchEFView::columnOf(int j) const
{
    const int pw = width() - 70;
    return Margin + toPixel((j - xMin) * pw / xRange);
}

int SchEFView::rowOf(double v) const
{
    const int ph = height() - 70;
    // A flat picture (or a broken one) has no energy range: map it as if it had one unit.
    const double range = (eRange > 0.0 && std::isfinite(eRange)) ? eRange : 1.0;
    return Margin + toPixel(ph - (v - eMin) * ph / range);
}

void SchEFView::computeRanges()
{
    xMin = 0.0;
    xMax = 1023.0;
    xRange = 1023.0;
    eMin = eMax = pot[0];
    for (int j = 1; j < GridPoints; ++j) {
        if (pot[j] < eMin)
            eMin = pot[j];
        if (pot[j] > eMax)
            eMax = pot[j];
    }
    // Every curve counts, shown or not, so choosing another one never rescales the plot.
    for (double v : curves) {
        if (v < eMin)
            eMin = v;
        if (v > eMax)
            eMax = v;
    }
    eRange = eMax - eMin;
}

void SchEFView::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (viewDirty || view.devicePixelRatio() != dpr || view.deviceIndependentSize().toSize() != size())
        compose();
    QPainter(this).drawImage(QPoint(0, 0), view);
}

void SchEFView::compose()
{
    // At the device pixel ratio, so that cosmetic lines are one device pixel thin and text sharp.
    const qreal dpr = devicePixelRatioF();
    view = QImage((QSizeF(size()) * dpr).toSize(), QImage::Format_RGB32);
    view.setDevicePixelRatio(dpr);
    view.fill(Qt::black);
    viewDirty = false;
    QPainter p(&view);
    // The axis ranges were computed once at construction: potential and curves never change.
    if (showLevels)
        drawLevels(p);
    drawFrame(p);
    if (singleMode) {
        if (selected >= 0 && selected < eigenCount)
            drawCurve(p, selected);
    } else {
        for (int k = 0; k < std::min(shownCount, eigenCount); ++k)
            drawCurve(p, k);
    }
}

void SchEFView::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
}

void SchEFView::drawLevels(QPainter &p)
{
    p.setPen(QPen(Qt::gray, 0, Qt::DotLine));
    const int right = width() - Border;
    for (int k = 0; k < eigenCount; ++k) {
        const int y = rowOf(eigenValues[k]);
        p.drawLine(Margin, y, right, y);
    }
}

void SchEFView::drawFrame(QPainter &p)
{
    const int w = width();
    const int h = height();
    p.setPen(QPen(Qt::white, 0));
    p.setBrush(Qt::NoBrush);
    // pw by ph pixels, corners included (an outline of QRect(x, y, w, h) covers w + 1 by h + 1).
    p.drawRect(Margin, Margin, w - 70 - 1, h - 70 - 1);
    p.drawText(2, 58, QString::asprintf("%.2f", eMax));
    p.drawText(2, h - 18, QString::asprintf("%.2f", eMin));
    if (eMin < 0.0 && eMax > 0.0) {
        const int y0 = rowOf(0.0);
        p.drawLine(Margin, y0, w - Border, y0);
        p.drawText(40, y0 + 3, QStringLiteral("0"));
    }
    QPolygon line(GridPoints);
    for (int j = 0; j < GridPoints; ++j)
        line.setPoint(j, columnOf(j), rowOf(pot[j]));
    p.setPen(QPen(Qt::green, 0));
    p.drawPolyline(line);
}

void SchEFView::drawCurve(QPainter &p, int k)
{
    const double e = eigenValues[k];
    const int y = rowOf(e);
    p.setPen(QPen(Qt::gray, 0));
    p.drawLine(Margin, y, width() - Border, y);
    if (singleMode) {
        p.setPen(QPen(Qt::white, 0));
        p.drawText(2, y + 3, QString::asprintf("%.2f", e));
    }
    const double *curve = &curves[static_cast<std::size_t>(k) * GridPoints];
    QPolygon line(GridPoints);
    for (int j = 0; j < GridPoints; ++j)
        line.setPoint(j, columnOf(j), rowOf(curve[j]));
    const int q = (255 * k) / eigenCount;
    p.setPen(QPen(QColor(255 - q, 100, q), 0));
    p.drawPolyline(line);
}

void SchEFView::redraw()
{
    viewDirty = true;
    repaint(0, 0, width(), height());
}

void SchEFView::refreshEigen(int i)
{
    switch (i) {
    case 0:
        shownCount = 1;
        break;
    case 1:
        shownCount = std::min(eigenCount, 3);
        break;
    case 2:
        shownCount = std::min(eigenCount, 5);
        break;
    case 3:
        shownCount = std::min(eigenCount, 10);
        break;
    default:
        shownCount = eigenCount;
        break;
    }
    singleMode = false;
    redraw();
}

void SchEFView::eigenChange(int k)
{
    selected = k;
    edit->setText(QString::asprintf("%d", k));
    singleMode = true;
    redraw();
}

void SchEFView::eigenTextChange(const QString &s)
{
    // Beyond the last index the slider clamps; its own signal then writes the clamped number back.
    slider->setValue(s.toInt());
    singleMode = true;
    redraw();
}

void SchEFView::dispEWerte(bool on)
{
    showLevels = on;
    redraw();
}
