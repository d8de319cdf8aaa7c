// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scattering/window.h"

#include "ui/widgets/controlhelp.h"
#include "ui/scattering/plot.h"
#include "physics/scattersetup.h"
#include "physics/scattersolver.h"
#include "physics/scattersweep.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char *const SevereError = "Es ist ein schwerwiegender Anwendungsfehler aufgetreten!\n";

// Pixel positions by truncation toward zero that cannot overflow int, whatever the potential's values.
int truncated(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::fmax(-1.0e6, std::fmin(1.0e6, v)));
}

// The plot's maximum energy is an integer; huge values are cut so the conversion stays defined.
int energyForPlot(double e)
{
    if (std::isnan(e))
        return 0;
    return int(std::fmax(-2.0e9, std::fmin(2.0e9, e)));
}

QLabel *valueLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true); // a light panel on the black window
    return label;
}

QLabel *nameLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    return label;
}

QSlider *makeSlider(Qt::Orientation o, int minimum, int maximum, int value, const char *name,
                    QWidget *parent)
{
    auto *slider = new QSlider(o, parent);
    slider->setRange(minimum, maximum);
    slider->setPageStep(1);
    slider->setValue(value);
    slider->setObjectName(name);
    slider->setAutoFillBackground(true);
    return slider;
}

// Wide enough that the handle travels at least `travel` pixels in the current style.
void ensureTravel(QSlider *slider, int travel)
{
    slider->setMinimumWidth(travel + slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider) + 4);
}

} // namespace

Window::Window(QWidget *parent)
    : QWidget(parent), reporter(std::make_unique<ScatterReporter>()), scaledPot(sampleCount, 0.0),
      rawPot(sampleCount, 0.0)
{
    setWindowTitle("Streuung einer ebenen Welle");
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent fills the whole window black first
    setAttribute(Qt::WA_QuitOnClose, false); // a side window must not keep the program running

    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    controlRow = new QHBoxLayout();
    sliderRow = new QHBoxLayout();
    labelRow = new QHBoxLayout();
    mainLayout->addLayout(controlRow);
    mainLayout->addLayout(sliderRow);
    mainLayout->addLayout(labelRow);

    helpButton = new QPushButton("Help", this);
    connect(helpButton, &QPushButton::clicked, this, &Window::info);
    controlRow->addWidget(helpButton, 0);
    calcButton = new QPushButton("Calc", this);
    connect(calcButton, &QPushButton::clicked, this, &Window::streurechnung);
    controlRow->addWidget(calcButton, 0);

    widthLabel = nameLabel(" Potentialbreite: ", this);
    controlRow->addWidget(widthLabel, 2);
    widthSlider = makeSlider(Qt::Horizontal, 1, 100000, 200, "Potentialbreite", this);
    widthSlider->setPageStep(100); // 0.001; Shift with an arrow key moves 10 steps
    widthSlider->installEventFilter(this);
    connect(widthSlider, &QSlider::valueChanged, this, &Window::changePWidth);
    controlRow->addWidget(widthSlider, 9);
    // The width factor can also be typed, as in the main window's entries: Return takes it over.
    widthValue = new QLineEdit("0.00200", this);
    widthValue->setObjectName("PotentialbreiteWert");
    connect(widthValue, &QLineEdit::returnPressed, this, &Window::widthTyped);
    controlRow->addWidget(widthValue, 4);

    scaleLabel = nameLabel(" Potentialskala: ", this);
    controlRow->addWidget(scaleLabel, 2);
    scaleSlider = makeSlider(Qt::Horizontal, 0, 1000, 100, "Potentialskala", this);
    connect(scaleSlider, &QSlider::valueChanged, this, &Window::changePSkala);
    controlRow->addWidget(scaleSlider, 9);
    scaleValue = valueLabel("1", this);
    controlRow->addWidget(scaleValue, 7);

    energyLabel = nameLabel(" Energiemaximum: ", this);
    labelRow->addWidget(energyLabel, 2);
    energySlider = makeSlider(Qt::Vertical, 0, 8, 8, "Energiemaximum", this);
    connect(energySlider, &QSlider::valueChanged, this, &Window::changeMaxEnergy);
    sliderRow->addWidget(energySlider, 10);
    energyValue = valueLabel("2*Vmax", this);
    labelRow->addWidget(energyValue, 2);
    sliderRow->addStretch(10);
    labelRow->addStretch(10);

    // Width and scale need room to be set with the mouse: 0.002 is one step in 500 of 100000.
    ensureTravel(widthSlider, 160);
    ensureTravel(scaleSlider, 160);
    // Room for the longer values from the start, so the window need not grow when they appear.
    for (QWidget *value : {static_cast<QWidget *>(widthValue), static_cast<QWidget *>(scaleValue)})
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0.0000000")) + 8);
    ensurePolished(); // the controls' sizes in their final style and font
    setGeometry(0, 0, std::max(600, minimumSizeHint().width()), 500);

    describeControl(helpButton, QStringLiteral("Hilfe"), QStringLiteral("Zeigt die Kurzanleitung."));
    describeControl(calcButton, QStringLiteral("Berechnen"),
                    QStringLiteral("Berechnet Reflexion R(E) und Transmission T(E) für etwa 2000 Energien bis zum "
                                   "Energiemaximum und zeichnet sie im Fenster „Streuamplituden“."));
    describeControl(widthSlider, QStringLiteral("Potentialbreite"),
                    QStringLiteral("Breitenfaktor c = Wert × 0.00001 in ψ'' = −c·(E − V)·ψ (200 ergibt 0.002, die Einheiten "
                                   "der Zeichenfläche). Größeres c wirkt wie ein breiteres Potential."),
                    QStringLiteral("Sinnvoll sind Werte um 0.002 und kleiner; bei sehr schmalen Potentialen auch größere. "
                                   "Bild auf/ab ändert um 0.001, Umschalt mit einer Pfeiltaste um 0.0001."));
    describeControl(widthValue, QStringLiteral("Potentialbreite (Eingabe)"),
                    QStringLiteral("Breitenfaktor c als Zahl, 0.00001 bis 1 in Schritten von 0.00001; mit der Eingabetaste "
                                   "übernehmen."));
    describeControl(scaleSlider, QStringLiteral("Potentialskala"),
                    QStringLiteral("Höhenfaktor des Potentials in Rechnung und Bild, 0 bis 1000: Faktor = Wert × "
                                   "Energiemaximum / (1000 · Vmax). Das Potential steht hier ×1000 gegenüber der Zeichenfläche."));
    describeControl(energySlider, QStringLiteral("Energiemaximum"),
                    QStringLiteral("Bis zu welcher Energie gerechnet wird: (10 − Wert) × Vmax, also 2 bis 10 × Vmax. "
                                   "Vmax ist das größte Potential, ×1000 gegenüber der Zeichenfläche."),
                    QStringLiteral("Skaliert zugleich die Energieachse der Streuamplituden. Das Potential behält dabei "
                                   "seine Höhe; die Potentialskala rückt so, dass ihr Faktor bleibt."));
    addWhatsThisKey(this);

    curve.reserve(sampleCount);
}

Window::~Window() = default;

// ---- potential --------------------------------------------------------------------------------

bool Window::setPotential(const double *samples, int count)
{
    const ScatterSetup setup = ScatterSetup::prepare(samples, count);
    rawPot = setup.raw;
    zeroPotential = setup.refused;
    if (zeroPotential) {
        reporter->error(this, "Error",
                        QString(SevereError) + "\n" + "Sie müssen schon ein von Null verschiedenes Potential angeben.\n");
    } else {
        prepareCalculation(setup);
    }
    for (QWidget *w : {static_cast<QWidget *>(calcButton), static_cast<QWidget *>(widthSlider),
                       static_cast<QWidget *>(scaleSlider), static_cast<QWidget *>(energySlider)})
        w->setEnabled(!zeroPotential);
    return zeroPotential;
}

void Window::prepareCalculation(const ScatterSetup &setup)
{
    vMax = setup.vMax;
    vMin = setup.vMin;
    vRef = setup.vRef;
    energyMax = setup.eMax;
    eLow = setup.eLow;
    {
        // The range set up here is the energy slider's first position (2 Vmax, or the depth).
        const QSignalBlocker quiet(energySlider);
        energySlider->setValue(8);
    }
    energyValue->setText(energyText(ScatterSetup::energyRange(8, vMax, vMin, vRef).factor));
    if (scaleSlider->value() == std::clamp(setup.scaleValue, scaleSlider->minimum(), scaleSlider->maximum()))
        changePSkala(scaleSlider->value()); // no signal when the value stays: refresh all the same
    else
        scaleSlider->setValue(setup.scaleValue);
    leftEdgeIndex = setup.leftEdge;
    rightEdgeIndex = setup.rightEdge;

    delete plotWindow; // a second potential replaces the plot instead of opening another
    plotWindow = new Plot(this, "Moril2", energyForPlot(energyMax));
    solver = std::make_unique<ScatterSolver>(2);
    scaledPot = rawPot;
}

void Window::setReporter(std::unique_ptr<ScatterReporter> r)
{
    reporter = r ? std::move(r) : std::make_unique<ScatterReporter>();
}

// ---- slots ------------------------------------------------------------------------------------

void Window::changePWidth(int v)
{
    widthFactor = ScatterSetup::widthFactor(v);
    widthValue->setText(QString::number(widthFactor, 'f', 5));
}

void Window::changePSkala(int v)
{
    potScale = ScatterSetup::potentialScale(energyMax, v, vRef);
    for (int i = 0; i < sampleCount; ++i)
        scaledPot[i] = rawPot[i] * potScale;
    scaleValue->setText(QString::number(potScale, 'g', 6));
    update();
}

void Window::changeMaxEnergy(int v)
{
    const ScatterSetup::EnergyRange range = ScatterSetup::energyRange(v, vMax, vMin, vRef);
    energyMax = range.eMax;
    eLow = range.eLow;
    energyValue->setText(energyText(range.factor));
    if (plotWindow)
        plotWindow->setMaxEnergy(energyMax);
    // The energy range is what is computed and shown, not the potential: the factor stays, and the
    // scale slider moves to where it gives that factor at the new range, so that its next step
    // changes the factor by one step's worth. Only a factor the slider cannot reach there changes.
    bool exact = false;
    const int at = ScatterSetup::scaleValueFor(potScale, energyMax, vRef, &exact);
    if (exact) {
        const QSignalBlocker quiet(scaleSlider);
        scaleSlider->setValue(at);
        update();
    } else if (scaleSlider->value() == at) {
        changePSkala(at); // no valueChanged to do it
    } else {
        scaleSlider->setValue(at);
    }
}

QString Window::energyText(double factor) const
{
    // Without a positive sample the range is a multiple of the depth, not of Vmax.
    return QString::number(factor, 'g', 6) + (vMax > 0.0 ? "*Vmax" : "*Tiefe");
}

void Window::widthTyped()
{
    // As the main window's entries: anything but a number counts as 0; the slider keeps the value
    // inside its range and on its steps, and the entry then shows what it took.
    QString text = widthValue->text().trimmed();
    text.replace(',', '.');
    bool ok = false;
    double steps = text.toDouble(&ok) / ScatterSetup::widthFactor(1);
    if (!ok || std::isnan(steps))
        steps = 0.0;
    const int v = int(std::lround(std::fmax(widthSlider->minimum(), std::fmin(widthSlider->maximum(), steps))));
    if (v != widthSlider->value())
        widthSlider->setValue(v); // its valueChanged shows the value taken
    else if (!ok)
        changePWidth(v); // the slider stays: the entry shows its value again
}

bool Window::eventFilter(QObject *watched, QEvent *event)
{
    // Shift with an arrow key moves the width ten steps at a time.
    if (watched == widthSlider && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        const int direction = k == Qt::Key_Right || k == Qt::Key_Up ? 1 : k == Qt::Key_Left || k == Qt::Key_Down ? -1 : 0;
        if (direction != 0 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
            widthSlider->setValue(widthSlider->value() + 10 * direction);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Window::streurechnung()
{
    errorShown = false;
    if (zeroPotential || !solver || !plotWindow)
        return;
    // What the sweep has to say waits until it has ended and its progress dialog is gone: a box
    // opened during the sweep could come up under that application-modal dialog and block both.
    bool tooWide = false;
    bool tooShort = false;
    {
        // Short waves (a large width factor over a wide potential) can make a sweep take seconds:
        // then the user sees its progress and can cancel it.
        const std::unique_ptr<SweepProgress> progress = reporter->sweepStarted(this);
        ScatterSweep::Hooks hooks;
        hooks.firstOverflow = [&tooWide] { tooWide = true; };
        hooks.firstUnresolved = [&tooShort] { tooShort = true; };
        hooks.progress = [&progress](double share) { return !progress || progress->advance(share); };
        sweep(*plotWindow, hooks);
    }
    if (tooWide || tooShort) {
        errorShown = true;
        showTooWideError(tooWide, tooShort);
    }
}

ScatterSweep::Result Window::sweep(ScatterSink &sink, const ScatterSweep::Hooks &hooks)
{
    if (zeroPotential || !solver)
        return {};
    return ScatterSweep::run(*solver, scaledPot.data(), rightEdgeIndex, leftEdgeIndex, widthFactor, energyMax, sink,
                             hooks);
}

void Window::showTooWideError(bool tooWide, bool tooShort)
{
    // One box for the whole sweep, with each thing it has to say.
    QString text = QString(SevereError) + "\n";
    if (tooWide)
        text += "Das Potential ist zu breit um durchtunnelt zu werden.\n";
    if (tooShort)
        text += QString("Bei dieser Potentialbreite ist die Welle für eine genaue Rechnung zu kurz.\n") +
                "Die betroffenen Energien bleiben ohne Punkt.\n";
    reporter->error(this, "Error", text);
}

void Window::info()
{
    const QString text = QString("Kurzanleitung zur Berechnung der Streukoeffizienten\n") + "\n" + "\n" +
                         "Im linken Fenster wird das Potential dargestellt. Die Höhen-Skalierung kann\n" +
                         "mittels des rechten Sliders eingestellt werden.\n" +
                         "Ferner kann die Potentialbreite skaliert werden. Hierbei sind Werte im Bereich\n" +
                         "um 0.002 und kleiner sinnvoll. Bei sehr schmalen Potentialen koennen auch größere\n" +
                         "Werte verwendet werden. Der Slider am linken Rand legt das Energiemaximum fest, bis\n" +
                         "zu dem berechnet wird. Gleichzeitig wird damit die Darstellung der Koeffizienten im \n" +
                         "rechten Fenster skaliert.\n" +
                         "Anklicken des <Calc>-Buttons berechnet dann die Reflektions- und Absorp-\n" +
                         "tionskonstanten über der Energie. Diese Verteilung wird dann im rechten\n" +
                         "Fenster dargestellt. Dort kann man sich mittels eines Energiesliders die\n" +
                         "zugehörigen Werte anzeigen lassen.\n" + "\n" + "Viel Vergnügen mit dem Programm!";
    // A message box would re-wrap these hand-broken lines at its own width: the lines stand as given.
    QDialog box(this);
    box.setWindowTitle("Kurzanleitung");
    auto *icon = new QLabel(&box);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(32, 32));
    auto *label = new QLabel(text, &box);
    label->setObjectName("helpText");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto *grid = new QGridLayout(&box);
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(label, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    reporter->help(box);
}

// ---- drawing ----------------------------------------------------------------------------------

void Window::refreshGeometry()
{
    winWidth = width();
    winHeight = height();
    plotHeight = winHeight - helpButton->height() - bottomMargin - 20;
    xScale = double(winWidth - rightMargin - leftMargin) / sampleCount;
    yOffset = plotHeight - 2 * vRef * plotHeight / (2 * (std::fabs(vMin) + vRef)) + 5.0;
}

void Window::drawAxes(QPainter &p)
{
    const int W = winWidth;
    const int H = winHeight;
    const int P = plotHeight;
    const int l = leftMargin;
    const int r = rightMargin;
    const int b = bottomMargin;
    p.save();
    p.setPen(QPen(Qt::white, 0, Qt::SolidLine));
    p.drawText(l - 15, truncated((H - b) + 5.0 - yOffset), "0");
    const int y0 = truncated((H - b) - yOffset);
    p.drawLine(l - 5, y0, l + 2, y0);
    // The outline covers (W - r - l + 1) x (0.45 b + P) pixels; Qt adds one to each side.
    p.drawRect(l, truncated((H - P - b) - 0.2 * b - 2.0), W - r - l, truncated(0.45 * b + P) - 1);

    p.translate(l, H - 0.55 * b - 3.0);
    for (int k = 0; k <= sampleCount; k += 100) {
        p.rotate(60);
        p.drawText(-5, 7, QString::number(k));
        p.rotate(-60);
        p.drawLine(0, -15, 0, -8);
        p.translate(100 * xScale, 0);
    }
    p.restore();
    p.setPen(QPen(Qt::white, 0, Qt::SolidLine));
    p.drawText(QRect(0, H - 25, W, 22), Qt::AlignCenter, "Ort x");
}

void Window::drawPotential(QPainter &p)
{
    const int W = winWidth;
    const int H = winHeight;
    const int P = plotHeight;
    const int l = leftMargin;
    const int b = bottomMargin;
    yScale = P / (std::fabs(eLow) + energyMax);
    p.fillRect(l + 1, H - P - b - 5, W - rightMargin - l - 1, P + 10, Qt::black);
    p.setPen(QPen(Qt::green, 0, Qt::SolidLine));
    auto y = [&](int i) { return truncated((H - b) - scaledPot[i] * yScale - yOffset); };
    curve.clear();
    curve.emplace_back(l, y(0));
    for (int i = 1; i < sampleCount; ++i)
        curve.emplace_back(l + int(std::floor(i * xScale)), y(i));
    p.drawPolyline(curve.data(), int(curve.size()));
}

void Window::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    // Opened before this window, the plot must not end up hidden behind it where they overlap.
    if (plotWindow && plotWindow->isVisible())
        plotWindow->raise();
}

void Window::closeEvent(QCloseEvent *e)
{
    // Closing only hides the window; its plot beside it goes out of sight with it.
    if (plotWindow)
        plotWindow->hide();
    QWidget::closeEvent(e);
}

void Window::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    refreshGeometry();
    drawAxes(p);
    drawPotential(p);
}
