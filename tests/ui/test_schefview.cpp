#include "schefview.h"
#include "uitestutil.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int N = 1024;
const QRgb White = 0xffffff;
const QRgb Green = 0x00ff00;
const QRgb Gray = 0xa0a0a4;
const QRgb FirstCurve = 0xff6400;  // (255, 100, 0)
const QRgb SecondCurve = 0x80647f; // (128, 100, 127): k = 1 of 2

QRgb pixelAt(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xffffff;
}

int countColour(const QImage &img, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pixelAt(img, x, y) == colour;
    return n;
}

// Row of energy v for a window of height h, straight from the plot geometry.
int expectedRow(double v, double eMin, double eMax, int h)
{
    const int ph = h - 70;
    return 55 + static_cast<int>(ph - (v - eMin) * ph / (eMax - eMin));
}

// The strip left of the plot (below the controls) must hold exactly these white texts, each
// given with its baseline start, in the window's font.
void expectMarginTexts(SchEFView &v, const std::vector<std::pair<QString, QPoint>> &texts)
{
    const QImage shot = v.grab().toImage();
    QImage ref(shot.size(), QImage::Format_RGB32);
    ref.fill(Qt::black);
    {
        QPainter p(&ref);
        p.setFont(v.font());
        p.setPen(Qt::white);
        for (const auto &t : texts)
            p.drawText(t.second, t.first);
    }
    int differ = 0;
    for (int y = 32; y < shot.height(); ++y)
        for (int x = 0; x < 54; ++x)
            differ += pixelAt(shot, x, y) != pixelAt(ref, x, y);
    QCOMPARE(differ, 0);
}

std::vector<double> flat(double v)
{
    return std::vector<double>(N, v);
}

} // namespace

class TestSchEFView : public QObject
{
    Q_OBJECT
private slots:
    void zeroPotentialAxesAndLabels();
    void zeroLineShowsWherePotentialIsElsewhere();
    void noZeroLineWhenAllOnOneSide();
    void entryBeyondLastIndexSelectsLast();
    void countBoxShowsAtMostWhatExists();
    void levelLinesToggle();
    void noEigenvalueDrawsFrameAndPotential();
};

void TestSchEFView::zeroPotentialAxesAndLabels()
{
    std::vector<double> surface = flat(0.0);
    SchEFView v(surface.data());
    QCOMPARE(v.windowTitle(), QStringLiteral("Schrödinger Eigenfunktionen"));
    QVERIFY(v.isWindow());
    QCOMPARE(v.size(), QSize(800, 600));
    QCOMPARE(v.eigenTotal(), 2);
    auto *slider = v.findChild<QSlider *>(QStringLiteral("Eigen"));
    QVERIFY(slider);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 1);
    QCOMPARE(v.findChild<QLineEdit *>()->text(), QStringLiteral("0"));
    QCOMPARE(v.findChild<QComboBox *>()->count(), 5);
    QVERIFY(v.isSingleMode());
    QCOMPARE(v.selectedIndex(), 0);

    const QImage shot = v.grab().toImage();
    const double eMin = v.energyMin();
    const double eMax = v.energyMax();
    // The two-lobe state spans E_2 -+ 27.94 (sine amplitude sqrt(800000/1025)).
    const double amp = std::sqrt(800000.0 / 1025.0);
    QVERIFY(std::fabs(eMax - (0.751520 + amp)) < 1e-3);
    QVERIFY(std::fabs(eMin - (0.751520 - amp)) < 1e-3);
    const int y0 = expectedRow(0.0, eMin, eMax, 600);
    const int yE0 = expectedRow(v.eigenValueAt(0), eMin, eMax, 600);
    expectMarginTexts(v, {{QStringLiteral("28.69"), {2, 58}},
                          {QStringLiteral("-27.19"), {2, 582}},
                          {QStringLiteral("0"), {40, y0 + 3}},
                          {QStringLiteral("0.19"), {2, yE0 + 3}}});
    // Frame corners, the zero row (zero line under the green potential) and the first curve.
    QCOMPARE(pixelAt(shot, 55, 55), White);
    QCOMPARE(pixelAt(shot, 785, 585), White);
    QVERIFY(countColour(shot, QRect(56, y0, 729, 1), Green) > 700);
    QVERIFY(countColour(shot, QRect(56, 56, 729, 529), FirstCurve) > 300);
    QCOMPARE(countColour(shot, QRect(0, 0, 800, 600), SecondCurve), 0);
    QVERIFY(countColour(shot, QRect(56, yE0, 729, 1), Gray) > 600);

    // The window keeps its own copy of the potential.
    surface.assign(N, 0.03);
    QCOMPARE(v.grab().toImage(), shot);
}

void TestSchEFView::zeroLineShowsWherePotentialIsElsewhere()
{
    std::vector<double> surface = flat(0.0);
    for (int j = 0; j < 512; ++j)
        surface[j] = 0.02; // 200 units: the states sit in the right half, dipping below 0
    SchEFView v(surface.data());
    QVERIFY(v.energyMin() < 0.0 && v.energyMax() > 0.0);
    const QImage shot = v.grab().toImage();
    const int y0 = expectedRow(0.0, v.energyMin(), v.energyMax(), 600);
    QVERIFY(countColour(shot, QRect(60, y0, 300, 1), White) > 290);
}

void TestSchEFView::noZeroLineWhenAllOnOneSide()
{
    // Everything above 0, then everything below 0: no zero line and no "0".
    for (const auto &c : {std::make_pair(0.01, QStringLiteral("100.19")), std::make_pair(-0.05, QStringLiteral("-499.81"))}) {
        const std::vector<double> surface = flat(c.first);
        SchEFView v(surface.data());
        QCOMPARE(v.eigenTotal(), 2);
        QVERIFY(v.energyMin() > 0.0 || v.energyMax() < 0.0);
        const int yE0 = expectedRow(v.eigenValueAt(0), v.energyMin(), v.energyMax(), 600);
        expectMarginTexts(v, {{QString::asprintf("%.2f", v.energyMax()), {2, 58}},
                              {QString::asprintf("%.2f", v.energyMin()), {2, 582}},
                              {c.second, {2, yE0 + 3}}});
    }
}

void TestSchEFView::entryBeyondLastIndexSelectsLast()
{
    const std::vector<double> surface = flat(0.0);
    SchEFView v(surface.data());
    auto *edit = v.findChild<QLineEdit *>();
    auto *slider = v.findChild<QSlider *>(QStringLiteral("Eigen"));
    edit->setText(QStringLiteral("5"));
    QCOMPARE(slider->value(), 1);
    QCOMPARE(v.selectedIndex(), 1);
    QCOMPARE(edit->text(), QStringLiteral("1"));
    QVERIFY(v.isSingleMode());
    const QImage shot = v.grab().toImage();
    QVERIFY(countColour(shot, QRect(56, 56, 729, 529), SecondCurve) > 300);
    QCOMPARE(countColour(shot, QRect(0, 0, 800, 600), FirstCurve), 0);
    // Slider already at the end: it does not signal, so the typed text stays.
    edit->setText(QStringLiteral("5"));
    QCOMPARE(edit->text(), QStringLiteral("5"));
    QCOMPARE(v.selectedIndex(), 1);
    // Empty entry selects 0.
    edit->setText(QString());
    QCOMPARE(v.selectedIndex(), 0);
    QCOMPARE(edit->text(), QStringLiteral("0"));
}

void TestSchEFView::countBoxShowsAtMostWhatExists()
{
    const std::vector<double> surface = flat(0.0);
    SchEFView v(surface.data());
    auto *box = v.findChild<QComboBox *>();
    emit box->activated(1); // "3"
    QCOMPARE(v.shownCurves(), 2);
    QVERIFY(!v.isSingleMode());
    QImage shot = v.grab().toImage();
    QVERIFY(countColour(shot, QRect(56, 56, 729, 529), FirstCurve) > 300);
    QVERIFY(countColour(shot, QRect(56, 56, 729, 529), SecondCurve) > 300);
    // No eigenvalue labels in multi mode: only the axis labels and "0" left of the plot.
    const int y0 = expectedRow(0.0, v.energyMin(), v.energyMax(), 600);
    expectMarginTexts(v, {{QStringLiteral("28.69"), {2, 58}},
                          {QStringLiteral("-27.19"), {2, 582}},
                          {QStringLiteral("0"), {40, y0 + 3}}});
    emit box->activated(0); // "1": multi mode with the lowest only
    QCOMPARE(v.shownCurves(), 1);
    shot = v.grab().toImage();
    QCOMPARE(countColour(shot, QRect(0, 0, 800, 600), SecondCurve), 0);
    emit box->activated(4); // "all"
    QCOMPARE(v.shownCurves(), 2);
    // The slider returns to single mode.
    v.findChild<QSlider *>(QStringLiteral("Eigen"))->setValue(1);
    QVERIFY(v.isSingleMode());
    QCOMPARE(v.selectedIndex(), 1);
}

void TestSchEFView::levelLinesToggle()
{
    const std::vector<double> surface = flat(0.0);
    SchEFView v(surface.data());
    const int yE1 = expectedRow(v.eigenValueAt(1), v.energyMin(), v.energyMax(), 600);
    QImage shot = v.grab().toImage();
    QCOMPARE(countColour(shot, QRect(56, yE1, 729, 1), Gray), 0);
    auto *toggle = v.findChild<QPushButton *>(QStringLiteral("d"));
    QVERIFY(toggle && toggle->isCheckable());
    toggle->click();
    QVERIFY(v.levelsShown());
    shot = v.grab().toImage();
    const int dots = countColour(shot, QRect(56, yE1, 729, 1), Gray);
    QVERIFY(dots > 100 && dots < 600); // dotted, not solid
    toggle->click();
    QVERIFY(!v.levelsShown());
}

void TestSchEFView::noEigenvalueDrawsFrameAndPotential()
{
    std::vector<double> nanPot = flat(0.0);
    nanPot[10] = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> pit = flat(0.0);
    pit[10] = -1e300;
    for (const std::vector<double> *surface : {&nanPot, &pit}) {
        SchEFView v(surface->data());
        QCOMPARE(v.eigenTotal(), 0);
        QImage shot = v.grab().toImage();
        QCOMPARE(pixelAt(shot, 55, 300), White); // left side of the frame
        QCOMPARE(pixelAt(shot, 785, 300), White);
        QVERIFY(countColour(shot, QRect(55, 55, 731, 531), Green) > 700);
        emit v.findChild<QComboBox *>()->activated(4);
        v.findChild<QLineEdit *>()->setText(QStringLiteral("3"));
        v.findChild<QPushButton *>(QStringLiteral("d"))->click();
        v.resize(300, 200);
        shot = v.grab().toImage();
        QCOMPARE(pixelAt(shot, 55, 150), White);
    }
}

QTEST_MAIN(TestSchEFView)
#include "test_schefview.moc"
