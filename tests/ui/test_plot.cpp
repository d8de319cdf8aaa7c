#include "plot.h"

#include <QSlider>
#include <QtTest>

#include <array>
#include <cmath>

static const QRgb Black = 0x000000, White = 0xffffff, Blue = 0x0000ff, Red = 0xff0000, Green = 0x00ff00;

static QRgb at(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }

static void expectPixels(const QImage &img, std::initializer_list<std::array<QRgb, 3>> pixels)  // {x, y, colour}
{
    for (const auto &p : pixels)
        QVERIFY2(at(img, p[0], p[1]) == p[2], qPrintable(QString::asprintf("(%u, %u)", p[0], p[1])));
}

class TestPlot : public QObject
{
    Q_OBJECT
private slots:
    void layoutForHeight500AndTickSets()
    {
        Plot plot(nullptr, "Moril2", 100);  // axis 0..100 over 400 pixels
        QCOMPARE(plot.panelSize(), 186);  // frames on the rows 50..236 and 265..451
        QCOMPARE(plot.rPanelFrame(), QRect(50, 50, 401, 187));
        QCOMPARE(plot.tPanelFrame(), QRect(50, 265, 401, 187));
        const QImage empty = plot.grab().toImage();  // column 70 is free of ticks and marker
        expectPixels(empty, {{70, 49, Black}, {70, 50, White}, {70, 236, White}, {70, 265, White}, {70, 451, White}});
        plot.addPoint(0.5, 0.25, 0.0, 0);  // a single point draws nothing
        QCOMPARE(plot.grab().toImage(), empty);
        for (int k = 1; k <= 52; ++k)  // then R = 0.5, T = 0.25 up to energy 50, R = 1, T = 0 beyond
            plot.addPoint(k > 50 ? 1.0 : 0.5, k > 50 ? 0.0 : 0.25, k > 51 ? 100.0 : double(k), k);
        // R = 0.5 at 236 - 93 = 143, T = 0.25 at 451 - 46.5 -> 405; R = 1 and T = 0 on the frames.
        expectPixels(plot.grab().toImage(), {{70, 143, Red}, {70, 405, Green}, {300, 50, Red}, {300, 451, Green}});

        const struct { double maxEnergy; QVector<int> ticks; } cases[] = {
            {350, {0, 100, 200, 300, 400}}, {1000, {0, 1000}}, {1, {0, 1}}, {0.7, {0, 1}}, {-40, {0, 1}},
            {std::nan(""), {0, 1}}, {99, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}}};
        for (const auto &c : cases) {
            plot.setMaxEnergy(c.maxEnergy);
            QCOMPARE(QPoint(plot.energyTickStep(), plot.axisEnd()), QPoint(c.ticks[1], c.ticks.last()));
            QCOMPARE(plot.tickValues(), c.ticks);
        }
    }

    void markerReadoutsAndXor()
    {
        Plot plot(nullptr, "Moril2", 400);
        auto rAt = [&plot](int slider) { plot.slider()->setValue(slider); return plot.rText(); };
        plot.grab();
        QCOMPARE(plot.markerPosition(), 80.0);  // slider 200 of 1000 across 400
        QVERIFY(plot.energyText() == "80" && plot.markerColumn() == 130 && plot.rText().isEmpty());  // no sweep yet
        for (int k = 0; k < 200; ++k)
            plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, double(k), k);
        const QImage before = plot.grab().toImage();
        QCOMPARE(plot.rText() + " " + plot.tText(), QString("R=0.08 T=0.92"));
        QCOMPARE(rAt(300), QString("R=0.12"));  // marker 80 -> 120, where R lies on row 236 - 0.12 * 186 -> 214
        expectPixels(before, {{130, 60, Blue}, {130, 40, Black}, {170, 60, Black}, {170, 214, Red}});
        expectPixels(plot.grab().toImage(), {{130, 60, Black}, {170, 60, Blue}, {170, 214, Red ^ Blue}});
        rAt(200);
        QCOMPARE(plot.grab().toImage(), before);
        QCOMPARE(rAt(497), QString("R=0.199"));  // 198.8: the first stored energy at or above it
        QCOMPARE(rAt(700), QString());  // 280 lies past the stored points
        plot.reset();  // a skipped index is a gap: no stale value read out
        for (int k : {0, 1, 2, 3, 5})
            plot.addPoint(k / 20.0, 1.0 - k / 20.0, double(k), k);
        QCOMPARE(rAt(10), QString());  // energy 4 -> index 4, skipped
        QCOMPARE(rAt(12), QString("R=0.25"));  // energy 4.8 -> index 5
        plot.reset();  // a sweep that starts at a level of 30: energies 30, 31, ...
        for (int k = 0; k < 100; ++k)
            plot.addPoint(k / 100.0, 1.0 - k / 100.0, 30.0 + k, k);
        QCOMPARE(rAt(200), QString("R=0.5"));  // energy 80 is point 50
        QCOMPARE(rAt(50), QString());  // energy 20 lies below the first point
        plot.reset();  // equal energies: spacing 0, no read-out and no division
        for (int k = 0; k < 5; ++k)
            plot.addPoint(0.5, 0.5, 3.0, k);
        QCOMPARE(rAt(5), QString());
    }

    void curvesStayInsideTheirPanels()
    {
        Plot plot(nullptr, "Moril2", 3);
        plot.setMaxEnergy(3.3);  // the axis ends at 3, the sweep at 3.3
        for (int k = 0; k <= 330; ++k)  // R and T swing a little beyond 0 and 1
            plot.addPoint(0.5 + 0.52 * std::sin(k * 0.3), 0.5 - 0.52 * std::sin(k * 0.3), k * 0.01, k);
        const QImage img = plot.grab().toImage();
        const QRect r = plot.rPanelFrame(), t = plot.tPanelFrame();
        int inside = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 30; x < img.width(); ++x) {  // the captions stand left of x = 30
                const QRgb c = at(img, x, y);
                if (c != Red && c != Green)
                    continue;
                QVERIFY2((c == Red ? r : t).contains(x, y), qPrintable(QString::asprintf("(%d, %d)", x, y)));
                ++inside;
            }
        QVERIFY(inside > 1000);
    }

    void setMaxEnergyDropsPointsAndBadInputIsHarmless()
    {
        Plot plot(nullptr, "Moril2", 200);
        for (int k = 0; k < 100; ++k)
            plot.addPoint(0.5, 0.5, 10.0 + k, k);
        plot.setMaxEnergy(50.9);  // truncated to 50: keeps the energies 10..49
        QCOMPARE(QPoint(plot.maximumEnergy(), plot.storedPoints()), QPoint(50, 40));
        plot.setMaxEnergy(5.0);  // below every stored energy
        QCOMPARE(plot.storedPoints(), 0);
        for (int index : {49999, 50000, -1})  // an index past the capacity, or negative, is ignored
            plot.addPoint(0.3, 0.7, 2.0, index);
        QCOMPARE(plot.storedPoints(), 50000);
        plot.addPoint(std::nan(""), 0.5, 1e300, 6);
        plot.setMaxEnergy(1e300);
        plot.grab();
        plot.resize(0, 0);
        plot.grab();
    }
};

QTEST_MAIN(TestPlot)
#include "test_plot.moc"
