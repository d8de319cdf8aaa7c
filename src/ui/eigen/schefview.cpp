// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/eigen/schefview.h"

#include "ui/eigen/superpositiondialog.h"
#include "ui/widgets/controlhelp.h"
#include "physics/eigensolver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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
const QColor MarkColour(255, 200, 0); // amber, as the packet's energy on the surface

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
    : SchEFView(surfacePot, parent, EigenSolver::traceLines(trace), &trace)
{
}

SchEFView::SchEFView(const double *surfacePot, QWidget *parent, const EigenSolver::Trace &trace)
    : SchEFView(surfacePot, parent, trace, nullptr)
{
}

SchEFView::SchEFView(const double *potential, QWidget *parent, const EigenSolver::Trace &traceTo, std::ostream *lines)
    : QWidget(parent), askParts(&SuperpositionDialog::ask), trace(traceTo), traceStream(lines)
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

    // A second row, clear of the labels left of the plot and above its frame.
    const int row2 = hs;
    const int h2 = std::min(22, Margin - 1 - row2);
    particleBox = new QCheckBox(QStringLiteral("Teilchen wie in der Zeitentwicklung"), this);
    particleBox->setObjectName(QStringLiteral("particle"));
    particleBox->setPalette(white);
    particleBox->setGeometry(90, row2, particleBox->sizeHint().width(), h2);
    connect(particleBox, &QCheckBox::toggled, this, &SchEFView::particleChanged);
    transferButton = new QPushButton(QStringLiteral("In die Zeitentwicklung"), this);
    transferButton->setObjectName(QStringLiteral("transfer"));
    transferButton->setGeometry(particleBox->geometry().right() + 10, row2, transferButton->sizeHint().width(), h2);
    connect(transferButton, &QPushButton::clicked, this, &SchEFView::putIntoEvolution);
    particleLabel = new QLabel(this);
    particleLabel->setObjectName(QStringLiteral("particleLabel"));
    particleLabel->setPalette(white);
    particleLabel->setGeometry(transferButton->geometry().right() + 10, row2, 2000, h2);

    if (potential) {
        surfacePot.assign(potential, potential + GridPoints);
        for (int j = 0; j < GridPoints; ++j)
            pot[j] = potential[j] * 10000.0;
    }

    shownCount = 1;
    singleMode = true;
    showLevels = false;
    selected = 0;

    compute();
    slider->setRange(0, eigenCount - 1);

    const QString unit = QStringLiteral("Energien in Pixelzeilen der Zeichenfläche: 1 = 0.0001 ħ²/(m·Δx²).");
    describeControl(slider, QStringLiteral("Eigenfunktion"),
                    QStringLiteral("Wählt eine Eigenfunktion nach ihrer Nummer, 0 ist der Grundzustand."), unit);
    describeControl(edit, QStringLiteral("Nummer der Eigenfunktion"),
                    QStringLiteral("Nummer der gezeigten Eigenfunktion zum Eintippen, 0 ist der Grundzustand."), unit);
    describeControl(countBox, QStringLiteral("Anzahl"),
                    QStringLiteral("Zeigt die untersten 1, 3, 5, 10 oder alle Eigenfunktionen zusammen."), unit);
    describeControl(toggle, QStringLiteral("Eigenwerte anzeigen"),
                    QStringLiteral("Zeichnet alle Eigenwerte als punktierte Linien."), unit);
    describeControl(particleBox, QStringLiteral("Teilchen wie in der Zeitentwicklung"),
                    QStringLiteral("Aus: das Teilchen dieses Fensters, mit viermal so großer kinetischer Energie wie in "
                                   "der Zeitentwicklung (ein Viertel der Masse). An: die Zustände des Teilchens der "
                                   "Zeitentwicklung (Masse 1), genau die stationären Zustände ihres Rechenschritts. "
                                   "Ein Klick auf eine Niveaulinie markiert dann einen Zustand."),
                    unit);
    describeControl(transferButton, QStringLiteral("In die Zeitentwicklung"),
                    QStringLiteral("Legt die normierte Überlagerung der markierten Zustände als Wellenfunktion in die "
                                   "Zeichenfläche, angehalten bei t = 0 (bei mehreren mit Gewichten und Phasen). "
                                   "„Zurück zum Anfang“ kehrt zu ihr zurück, ein neues Paket ersetzt sie."));
    addWhatsThisKey(this);

    updateMarks();
    computeRanges();
    resize(800, 600);
}

void SchEFView::compute()
{
    eigenValues.clear();
    curves.clear();
    if (evolution) {
        const double amplitude = std::sqrt(400000.0); // the window's normalisation, sum psi^2 = 400000
        const EigenSolver::Trace lines =
            traceStream ? EigenSolver::traceLines(*traceStream, " (Teilchen wie in der Zeitentwicklung)") : trace;
        stationary = std::make_unique<StationaryStates>(surfacePot.empty() ? nullptr : surfacePot.data(), lines);
        solver.reset();
        eigenValues = stationary->solver().boundStates().energies;
        eigenCount = int(eigenValues.size());
        curves.assign(static_cast<std::size_t>(eigenCount) * GridPoints, 0.0);
        for (int k = 0; k < eigenCount; ++k) {
            const std::vector<double> &psi = stationary->state(k);
            double *curve = &curves[static_cast<std::size_t>(k) * GridPoints];
            for (int j = 0; j < GridPoints; ++j)
                curve[j] = eigenValues[k] + amplitude * psi[j];
        }
        return;
    }
    stationary.reset();
    solver = std::make_unique<EigenSolver>(pot.data(), trace);
    const EigenSolver::BoundStates &states = solver->boundStates();
    eigenCount = int(states.energies.size());
    eigenValues = states.energies;
    curves.assign(static_cast<std::size_t>(eigenCount) * GridPoints, 0.0);
    for (int k = 0; k < eigenCount; ++k) {
        const double e = eigenValues[k];
        const std::vector<double> psi = states.eigenFunction(k);
        double *curve = &curves[static_cast<std::size_t>(k) * GridPoints];
        for (int j = 0; j < GridPoints; ++j)
            curve[j] = e + psi[j];
    }
}

SchEFView::~SchEFView() = default;

double SchEFView::eigenValueAt(int k) const
{
    return (k >= 0 && k < eigenCount) ? eigenValues[k] : 0.0;
}

std::vector<double> SchEFView::eigenFunctionAt(int k) const
{
    if (stationary) {
        std::vector<double> psi = stationary->state(k);
        psi.resize(GridPoints, 0.0);
        for (double &v : psi)
            v *= std::sqrt(400000.0); // as drawn
        return psi;
    }
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
    // The marked states too, and their levels over everything.
    for (int k : marks)
        if (singleMode ? k != selected : k >= shownCount)
            drawCurve(p, k, false);
    p.setPen(QPen(MarkColour, 2));
    for (int k : marks)
        p.drawLine(Margin, rowOf(eigenValues[k]), width() - Border, rowOf(eigenValues[k]));
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

void SchEFView::drawCurve(QPainter &p, int k, bool label)
{
    const double e = eigenValues[k];
    const int y = rowOf(e);
    p.setPen(QPen(Qt::gray, 0));
    p.drawLine(Margin, y, width() - Border, y);
    if (singleMode && label) {
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

int SchEFView::countFor(int i) const
{
    switch (i) {
    case 0:
        return 1;
    case 1:
        return std::min(eigenCount, 3);
    case 2:
        return std::min(eigenCount, 5);
    case 3:
        return std::min(eigenCount, 10);
    default:
        return eigenCount;
    }
}

void SchEFView::refreshEigen(int i)
{
    shownCount = countFor(i);
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

void SchEFView::particleChanged(bool evolutionsParticle)
{
    evolution = evolutionsParticle;
    marks.clear();
    compute();
    // The view stays as it was chosen; only what no longer exists moves (without the controls'
    // signals, which would switch to a single state).
    {
        const QSignalBlocker sliderQuiet(slider);
        const QSignalBlocker editQuiet(edit);
        slider->setRange(0, eigenCount - 1);
        selected = slider->value();
        edit->setText(QString::asprintf("%d", selected));
    }
    if (!singleMode)
        shownCount = countFor(countBox->currentIndex());
    computeRanges();
    updateMarks();
    redraw();
}

bool SchEFView::levelShown(int k) const
{
    return showLevels || (singleMode ? k == selected : k < shownCount) ||
           std::find(marks.begin(), marks.end(), k) != marks.end();
}

void SchEFView::mousePressEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    if (!evolution || e->button() != Qt::LeftButton || at.x() < Margin || at.x() > width() - Border ||
        at.y() < Margin || at.y() > height() - Border) {
        QWidget::mousePressEvent(e);
        return;
    }
    constexpr int Reach = 4; // pixels either side of a level line
    int nearest = -1;
    for (int k = 0; k < eigenCount; ++k)
        if (levelShown(k) && std::abs(rowOf(eigenValues[k]) - at.y()) <= Reach &&
            (nearest < 0 || std::abs(rowOf(eigenValues[k]) - at.y()) < std::abs(rowOf(eigenValues[nearest]) - at.y())))
            nearest = k;
    if (nearest < 0)
        return;
    // Every level on that line, shown or not (the partner of a close pair shares it, or lies on the
    // next row): the next one unmarked gets marked, or all lose their marks.
    const int row = rowOf(eigenValues[nearest]);
    std::vector<int> group;
    for (int k = 0; k < eigenCount; ++k)
        if (std::abs(rowOf(eigenValues[k]) - row) <= 1)
            group.push_back(k);
    const auto unmarked = std::find_if(group.begin(), group.end(),
                                       [this](int k) { return std::find(marks.begin(), marks.end(), k) == marks.end(); });
    if (unmarked != group.end()) {
        marks.push_back(*unmarked);
        std::sort(marks.begin(), marks.end());
    } else {
        marks.erase(std::remove_if(marks.begin(), marks.end(),
                                   [&group](int k) { return std::find(group.begin(), group.end(), k) != group.end(); }),
                    marks.end());
    }
    updateMarks();
    redraw();
}

void SchEFView::updateMarks()
{
    transferButton->setEnabled(evolution && !marks.empty());
    if (!evolution) {
        particleLabel->setText(QStringLiteral("Teilchen mit ¼ Masse"));
        return;
    }
    QStringList names;
    for (int k : marks)
        names << QString::number(k);
    particleLabel->setText(QStringLiteral("Masse 1 · ") + (marks.empty() ? QStringLiteral("Niveau anklicken")
                                                                            : QStringLiteral("markiert: ") + names.join(QStringLiteral(", "))));
}

void SchEFView::putIntoEvolution()
{
    if (!stationary || marks.empty())
        return;
    std::vector<StationaryStates::Part> parts;
    std::vector<double> energies;
    for (int k : marks) {
        parts.push_back({k, 1.0, 0.0});
        energies.push_back(eigenValues[k]);
    }
    if (parts.size() > 1 && askParts && !askParts(this, parts, energies))
        return;
    const std::vector<std::complex<double>> wave = stationary->superposition(parts);
    if (!wave.empty())
        emit superpositionChosen(wave);
}
