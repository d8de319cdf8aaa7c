#include "plot.h"
#include "uitestutil.h"

#include <QPointer>
#include <QSlider>
#include <QtTest>

#include <cmath>

namespace {
// Colours as 0xRRGGBB (alpha dropped).
const QRgb Black = 0x000000, White = 0xffffff, Blue = 0x0000ff, Red = 0xff0000, Green = 0x00ff00;

QRgb at(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xffffff;
}

int count(const QImage &img, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += at(img, x, y) == colour;
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
    void setMaxEnergyDropsPoints();
    void badInputIsHarmless();
};

void TestPlot::windowOfItsOwn()
{
    auto *owner = new QWidget;
    QPointer<Plot> plot = new Plot(owner, "Moril2", 400);
    QVERIFY(plot->isWindow() && plot->isVisible());
    QCOMPARE(plot->windowTitle(), QString("Streuamplituden"));
    QCOMPARE(plot->geometry(), QRect(610, 0, 500, 500));
    QSlider *s = plot->findChild<QSlider *>("Energie");
    QVERIFY(s && s->minimum() == 0 && s->maximum() == 1000 && s->value() == 200);
    delete owner; // takes its plot window along
    QVERIFY(plot.isNull());
}

void TestPlot::layoutForHeight500()
{
    Plot plot(nullptr, "Moril2", 100); // axis 0..100 over 400 pixels
    QCOMPARE(plot.panelSize(), 186);
    QCOMPARE(plot.rPanelFrame(), QRect(50, 50, 401, 187)); // rows 50..236
    QCOMPARE(plot.tPanelFrame(), QRect(50, 265, 401, 187)); // rows 265..451
    const QImage img = plot.grab().toImage();
    for (int y : {50, 236, 265, 451}) // column 70 is free of ticks and marker
        QCOMPARE(at(img, 70, y), White);
    for (int y : {49, 237, 264, 452})
        QVERIFY(at(img, 70, y) != White);

    // One point draws nothing; then R = 0.5 at 236 - 93 = 143, T = 0.25 at 451 - 46.5 -> 405,
    // R = 1 on the R frame's top and T = 0 on the T frame's bottom.
    plot.addPoint(0.5, 0.25, 0.0, 0);
    QCOMPARE(count(plot.grab().toImage(), plot.rPanelFrame(), Red), 0);
    for (int k = 1; k <= 50; ++k)
        plot.addPoint(0.5, 0.25, double(k), k);
    plot.addPoint(1.0, 0.0, 51.0, 51);
    plot.addPoint(1.0, 0.0, 100.0, 52);
    const QImage curves = plot.grab().toImage();
    QCOMPARE(at(curves, 70, 143), Red); // energy 5
    QCOMPARE(at(curves, 70, 405), Green);
    QCOMPARE(at(curves, 70, 144), Black);
    QCOMPARE(at(curves, 300, 50), Red); // energy 62.5
    QCOMPARE(at(curves, 300, 451), Green);
}

void TestPlot::tickSets_data()
{
    QTest::addColumn<double>("maxEnergy");
    QTest::addColumn<int>("step");
    QTest::addColumn<QVector<int>>("ticks");
    QTest::newRow("350") << 350.0 << 100 << QVector<int>{0, 100, 200, 300, 400};
    QTest::newRow("1000") << 1000.0 << 1000 << QVector<int>{0, 1000};
    QTest::newRow("99") << 99.0 << 10 << QVector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QTest::newRow("1") << 1.0 << 1 << QVector<int>{0, 1};
    QTest::newRow("0.7 -> 1") << 0.7 << 1 << QVector<int>{0, 1};
    QTest::newRow("-40 -> 1") << -40.0 << 1 << QVector<int>{0, 1};
}

void TestPlot::tickSets()
{
    QFETCH(double, maxEnergy);
    QFETCH(int, step);
    QFETCH(QVector<int>, ticks);
    Plot plot(nullptr, "Moril2", 5);
    plot.setMaxEnergy(maxEnergy);
    QCOMPARE(plot.energyTickStep(), step);
    QCOMPARE(plot.axisEnd(), ticks.last());
    QCOMPARE(plot.tickValues(), ticks);
    plot.grab();
}

void TestPlot::markerAndReadouts()
{
    Plot plot(nullptr, "Moril2", 400);
    const QImage img = plot.grab().toImage();
    QCOMPARE(plot.markerPosition(), 80.0); // slider 200 of 1000 across 400
    QCOMPARE(plot.energyText(), QString("80"));
    QCOMPARE(plot.markerColumn(), 130);
    QCOMPARE(at(img, 130, 60), Blue);
    QCOMPARE(at(img, 130, 40), Black);
    QCOMPARE(plot.rText(), QString()); // no sweep yet

    for (int k = 0; k < 200; ++k)
        plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, double(k), k);
    plot.grab();
    QCOMPARE(plot.rText(), QString("R=0.08"));
    QCOMPARE(plot.tText(), QString("T=0.92"));
    plot.slider()->setValue(497); // 198.8 -> first stored energy at or above it, 199
    QCOMPARE(plot.rText(), QString("R=0.199"));
    plot.slider()->setValue(700); // 280 lies past the stored points
    QCOMPARE(plot.rText(), QString());

    plot.reset(); // equal energies: spacing 0, no read-out and no division
    for (int k = 0; k < 5; ++k)
        plot.addPoint(0.5, 0.5, 3.0, k);
    plot.slider()->setValue(5);
    QCOMPARE(plot.tText(), QString());
}

void TestPlot::xorMarkerLeavesNoTrace()
{
    Plot plot(nullptr, "Moril2", 400);
    auto r = [](int k) { return 0.5 + 0.5 * std::sin(k * 0.05); };
    for (int k = 0; k <= 400; ++k)
        plot.addPoint(r(k), 1.0 - r(k), double(k), k);
    const QImage before = plot.grab().toImage();
    plot.slider()->setValue(700); // marker 80 -> 280: old line erased, new one drawn
    const QImage moved = plot.grab().toImage();
    QCOMPARE(at(moved, 130, 60), Black);
    QCOMPARE(at(moved, 330, 60), Blue);
    const int yCross = int(std::ceil(236 - r(280) * 186)); // the red curve's vertex at 280
    QCOMPARE(at(before, 330, yCross), Red);
    QCOMPARE(at(moved, 330, yCross), 0xff00ffu); // red XOR blue
    plot.slider()->setValue(200);
    QCOMPARE(plot.grab().toImage(), before);
}

void TestPlot::setMaxEnergyDropsPoints()
{
    Plot plot(nullptr, "Moril2", 200);
    for (int k = 0; k < 100; ++k)
        plot.addPoint(0.5, 0.5, 10.0 + k, k);
    plot.setMaxEnergy(50.9); // truncated to 50: keeps the energies 10..49
    QCOMPARE(plot.maximumEnergy(), 50);
    QCOMPARE(plot.storedPoints(), 40);
    plot.setMaxEnergy(5.0); // below every stored energy
    QCOMPARE(plot.storedPoints(), 0);
    const QImage img = plot.grab().toImage();
    QCOMPARE(count(img, plot.rPanelFrame(), Red) + count(img, plot.tPanelFrame(), Green), 0);
}

void TestPlot::badInputIsHarmless()
{
    Plot plot(nullptr, "Moril2", 400);
    plot.addPoint(0.2, 0.8, 1.0, 49999);
    plot.addPoint(0.3, 0.7, 2.0, 50000);
    plot.addPoint(0.3, 0.7, 2.0, -1);
    QCOMPARE(plot.storedPoints(), 50000);
    plot.grab();

    plot.reset(); // a skipped index is a gap: no stale value read out
    for (int k = 0; k < 4; ++k)
        plot.addPoint(0.5, 0.5, double(k), k);
    plot.addPoint(0.25, 0.75, 5.0, 5);
    plot.slider()->setValue(10); // energy 4 -> index 4, skipped
    QCOMPARE(plot.rText(), QString());
    plot.slider()->setValue(12); // energy 4.8 -> index 5
    QCOMPARE(plot.rText(), QString("R=0.25"));
    plot.addPoint(std::nan(""), 0.5, 1e300, 6);

    plot.setMaxEnergy(std::nan(""));
    QCOMPARE(plot.maximumEnergy(), 1);
    plot.setMaxEnergy(1e300);
    plot.grab();
    plot.resize(0, 0);
    plot.grab();
}

QTEST_MAIN(TestPlot)
#include "test_plot.moc"
