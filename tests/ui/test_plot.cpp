#include "plot.h"
#include "uitestutil.h"

#include <QPointer>
#include <QSlider>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {
// Colours as 0xRRGGBB (alpha dropped).
const QRgb Black = 0x000000;
const QRgb White = 0xffffff;
const QRgb Blue = 0x0000ff;
const QRgb Red = 0xff0000;
const QRgb Green = 0x00ff00;
const QRgb Magenta = 0xff00ff;

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
} // namespace

class TestPlot : public QObject
{
    Q_OBJECT
private slots:
    void windowOfItsOwn();
    void layoutForHeight500();
    void tickSets_data();
    void tickSets();
    void markerAndReadouts();
    void xorMarkerLeavesNoTrace();
    void curvesAtTheirPixels();
    void setMaxEnergyDropsPoints();
    void badInputIsHarmless();
};

void TestPlot::windowOfItsOwn()
{
    auto *owner = new QWidget;
    QPointer<Plot> plot = new Plot(owner, "Moril2", 400);
    QVERIFY(plot->isWindow());
    QVERIFY(plot->isVisible());
    QCOMPARE(plot->windowTitle(), QString("Streuamplituden"));
    QCOMPARE(plot->objectName(), QString("Moril2"));
    QCOMPARE(plot->geometry(), QRect(610, 0, 500, 500));
    QSlider *s = plot->findChild<QSlider *>("Energie");
    QVERIFY(s);
    QCOMPARE(s->minimum(), 0);
    QCOMPARE(s->maximum(), 1000);
    QCOMPARE(s->value(), 200);
    QCOMPARE(s->orientation(), Qt::Horizontal);
    delete owner; // the owner takes its plot window along
    QVERIFY(plot.isNull());
}

void TestPlot::layoutForHeight500()
{
    Plot plot(nullptr, "Moril2", 400);
    QCOMPARE(plot.height(), 500);
    QCOMPARE(plot.panelSize(), 186);
    QCOMPARE(plot.rPanelFrame().top(), 50);
    QCOMPARE(plot.rPanelFrame().bottom(), 236);
    QCOMPARE(plot.tPanelFrame().top(), 265);
    QCOMPARE(plot.tPanelFrame().bottom(), 451);

    // The frames on screen: white rows exactly there, column x = 100 is free of ticks and marker.
    const QImage img = plot.grab().toImage();
    for (int y : {50, 236, 265, 451})
        QCOMPARE(pixelAt(img, 100, y), White);
    for (int y : {49, 237, 264, 452})
        QVERIFY(pixelAt(img, 100, y) != (White));
    QCOMPARE(pixelAt(img, 50, 150), White);  // left edge
    QCOMPARE(pixelAt(img, 450, 150), White); // right edge: width 500 - 2*50 + 1
    QVERIFY(pixelAt(img, 451, 150) != (White));

    // Coefficient 1 of R lies on the R frame's top, coefficient 0 of T on the T frame's bottom.
    plot.addPoint(1.0, 0.0, 0.0, 0);
    plot.addPoint(1.0, 0.0, 400.0, 1);
    const QImage withCurves = plot.grab().toImage();
    QCOMPARE(pixelAt(withCurves, 100, 50), Red);
    QCOMPARE(pixelAt(withCurves, 100, 451), Green);
}

void TestPlot::tickSets_data()
{
    QTest::addColumn<double>("maxEnergy");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("axisEnd");
    QTest::addColumn<QVector<int>>("ticks");
    QTest::newRow("350") << 350.0 << 100 << 400 << QVector<int>{0, 100, 200, 300, 400};
    QTest::newRow("1000") << 1000.0 << 1000 << 1000 << QVector<int>{0, 1000};
    QTest::newRow("99") << 99.0 << 10 << 100 << QVector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QTest::newRow("1") << 1.0 << 1 << 1 << QVector<int>{0, 1};
    // Below 1 after truncation the plot uses 1.
    QTest::newRow("0.7") << 0.7 << 1 << 1 << QVector<int>{0, 1};
    QTest::newRow("-40") << -40.0 << 1 << 1 << QVector<int>{0, 1};
}

void TestPlot::tickSets()
{
    QFETCH(double, maxEnergy);
    QFETCH(int, step);
    QFETCH(int, axisEnd);
    QFETCH(QVector<int>, ticks);
    Plot plot(nullptr, "Moril2", 5);
    plot.setMaxEnergy(maxEnergy);
    QCOMPARE(plot.energyTickStep(), step);
    QCOMPARE(plot.axisEnd(), axisEnd);
    QCOMPARE(plot.tickValues(), ticks);
    QCOMPARE(plot.maximumEnergy(), std::max(1, int(maxEnergy)));
    plot.grab(); // drawing with any of these must work
}

void TestPlot::markerAndReadouts()
{
    Plot plot(nullptr, "Moril2", 400);
    QImage img = plot.grab().toImage();
    QCOMPARE(plot.markerPosition(), 80.0); // slider 200 of 1000 across 400
    QCOMPARE(plot.energyText(), QString("80"));
    QCOMPARE(plot.markerColumn(), 130); // 50 + 80 * (400 / 400)
    QCOMPARE(pixelAt(img, 130, 60), Blue);
    QCOMPARE(pixelAt(img, 130, 40), Black); // the line spans the panels only
    QCOMPARE(plot.rText(), QString());      // no sweep yet
    QCOMPARE(plot.tText(), QString());

    for (int k = 0; k < 200; ++k)
        plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, double(k), k);
    plot.grab();
    QCOMPARE(plot.rText(), QString("R=0.08"));
    QCOMPARE(plot.tText(), QString("T=0.92"));

    plot.slider()->setValue(497); // energy 198.8 -> first stored point at or above it, 199
    QCOMPARE(plot.rText(), QString("R=0.199"));
    plot.slider()->setValue(700); // energy 280 lies past the stored points
    QCOMPARE(plot.rText(), QString());
    QCOMPARE(plot.tText(), QString());

    // Equal energies give a point spacing of 0: no read-out, no division.
    plot.reset();
    for (int k = 0; k < 5; ++k)
        plot.addPoint(0.5, 0.5, 3.0, k);
    plot.slider()->setValue(5);
    QCOMPARE(plot.rText(), QString());
}

void TestPlot::xorMarkerLeavesNoTrace()
{
    Plot plot(nullptr, "Moril2", 400);
    for (int k = 0; k <= 400; ++k)
        plot.addPoint(0.5 + 0.5 * std::sin(k * 0.05), 0.5 - 0.5 * std::sin(k * 0.05), double(k), k);
    const QImage before = plot.grab().toImage();

    plot.slider()->setValue(700); // marker 80 -> 280: old line erased, new one drawn
    const QImage moved = plot.grab().toImage();
    QVERIFY(moved != before);
    QCOMPARE(pixelAt(moved, 130, 60), Black);
    QCOMPARE(pixelAt(moved, 330, 60), Blue);
    // Where the marker crosses the red curve (a vertex at energy 280) the colours are XORed.
    const int yCross = int(std::ceil(236 - (0.5 + 0.5 * std::sin(280 * 0.05)) * 186));
    QCOMPARE(pixelAt(before, 330, yCross), Red);
    QCOMPARE(pixelAt(moved, 330, yCross), Magenta);
    plot.slider()->setValue(200);
    const QImage back = plot.grab().toImage();
    QCOMPARE(back, before);
}

void TestPlot::curvesAtTheirPixels()
{
    Plot plot(nullptr, "Moril2", 100); // axis 0..100 over 400 pixels: 4 pixels per unit
    plot.addPoint(0.5, 0.25, 0.0, 0);
    QCOMPARE(countColour(plot.grab().toImage(), plot.rPanelFrame(), Red), 0); // one point, no line
    for (int k = 1; k <= 100; ++k)
        plot.addPoint(0.5, 0.25, double(k), k);
    const QImage img = plot.grab().toImage();
    // R: 236 - 0.5 * 186 = 143; T: 451 - 0.25 * 186 = 404.5, rounded out to 405.
    QCOMPARE(pixelAt(img, 90, 143), Red);
    QCOMPARE(pixelAt(img, 90, 405), Green);
    QCOMPARE(pixelAt(img, 90, 144), Black);
    QCOMPARE(pixelAt(img, 90, 404), Black);
    QCOMPARE(pixelAt(img, 450, 143), Red);  // energy 100 at the right frame
    QCOMPARE(plot.storedPoints(), 101);
}

void TestPlot::setMaxEnergyDropsPoints()
{
    Plot plot(nullptr, "Moril2", 200);
    for (int k = 0; k < 100; ++k)
        plot.addPoint(0.5, 0.5, 10.0 + k, k);
    plot.setMaxEnergy(50.9); // truncated to 50: keep the energies 10..49
    QCOMPARE(plot.maximumEnergy(), 50);
    QCOMPARE(plot.storedPoints(), 40);
    plot.setMaxEnergy(5.0); // below every stored energy
    QCOMPARE(plot.storedPoints(), 0);
    const QImage img = plot.grab().toImage();
    QCOMPARE(countColour(img, plot.rPanelFrame(), Red), 0);
    QCOMPARE(countColour(img, plot.tPanelFrame(), Green), 0);
    QCOMPARE(plot.rText(), QString());
}

void TestPlot::badInputIsHarmless()
{
    Plot plot(nullptr, "Moril2", 400);
    plot.addPoint(0.1, 0.9, 0.0, 0);
    plot.addPoint(0.2, 0.8, 1.0, 49999);
    QCOMPARE(plot.storedPoints(), 50000);
    plot.addPoint(0.3, 0.7, 2.0, 50000);
    plot.addPoint(0.3, 0.7, 2.0, -1);
    QCOMPARE(plot.storedPoints(), 50000);
    plot.grab();

    // A skipped index is a gap: no stale value in the read-out, the curve breaks there.
    plot.reset();
    for (int k = 0; k < 4; ++k)
        plot.addPoint(0.5, 0.5, double(k), k);
    plot.addPoint(0.25, 0.75, 5.0, 5);
    plot.slider()->setValue(10); // energy 4 -> index 4, skipped
    QCOMPARE(plot.rText(), QString());
    plot.slider()->setValue(12); // energy 4.8 -> index 5
    QCOMPARE(plot.rText(), QString("R=0.25"));
    plot.addPoint(std::nan(""), 0.5, 1e300, 6);
    plot.grab();

    plot.setMaxEnergy(std::nan(""));
    QCOMPARE(plot.maximumEnergy(), 1);
    plot.setMaxEnergy(1e300);
    QCOMPARE(plot.maximumEnergy(), 1000000000);
    plot.grab();
    plot.resize(0, 0);
    plot.grab();
    plot.resize(30, 30);
    plot.slider()->setValue(999);
    plot.grab();
}

QTEST_MAIN(TestPlot)
#include "test_plot.moc"
