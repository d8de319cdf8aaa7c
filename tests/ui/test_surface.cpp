#include "propagator.h"
#include "schdrawingsurface.h"
#include "smoothingfilter.h"
#include "uitestutil.h"
#include "wavepacket.h"

#include <QPushButton>
#include <QtTest>

#include <complex>
#include <vector>

using cplx = std::complex<double>;
constexpr int N = SchDrawingSurface::N;
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

class TestSurface : public QObject
{
    Q_OBJECT

    struct Fixture {
        QPushButton fourier, streu;
        SchDrawingSurface s{nullptr, &fourier, &streu};
        explicit Fixture(int w = 1024, int h = 400)
        {
            fourier.setCheckable(true);
            s.resize(w, h);
            s.show();
            QCoreApplication::processEvents();
        }
        QImage shot() { return s.grab().toImage(); }
        void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { sendMouse(&s, QEvent::MouseButtonPress, p, b, b); }
        void move(QPoint p, Qt::MouseButton b = Qt::LeftButton) { sendMouse(&s, QEvent::MouseMove, p, Qt::NoButton, b); }
        void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { sendMouse(&s, QEvent::MouseButtonRelease, p, b, Qt::NoButton); }
        void fill(double v) { std::vector<double> a(N, v); s.setPot(a.data()); }
        double pot(int k) { return s.getPot()[k]; }
    };

private slots:
    void potentialDisplayAndSlots()
    {
        Fixture f(1024, 400);
        QImage img = f.shot();
        for (int x : {0, 511, 1023}) { // the zero potential: a white line on the middle row
            QCOMPARE(img.pixel(x, 200), White);
            QCOMPARE(img.pixel(x, 199), Black);
        }
        double *live = f.s.getPot();
        f.fill(0.01); // 0.01 is 100 pixel rows above the middle
        img = f.shot();
        QCOMPARE(img.pixel(300, 100), White);
        QCOMPARE(img.pixel(300, 200), Black);
        f.s.setPot(nullptr);
        QCOMPARE(f.s.getPot(), live);
        QCOMPARE(live[5], 0.01);

        f.s.packOnOff(true);
        f.s.clear(); // no effect in packet mode
        QCOMPARE(f.pot(100), 0.01);
        f.s.potOnOff(true);
        f.s.clear();
        QCOMPARE(std::count(live, live + N, 0.0), long(N));

        f.s.flevelChanged(30);
        QCOMPARE(f.s.smoothingLevel(), 300.0);
        f.s.penPOnOff(true);
        f.s.penVOnOff(false); // off does nothing
        QCOMPARE(f.s.currentPen(), 2);
    }

    void mouseStrokesFollowTheMouse()
    {
        Fixture f(1024, 400);
        f.s.penHOnOff(true);
        f.s.setPenRange(10);
        f.press({300, 150}); // one pixel row is 0.0001: a plateau of 0.005 over 290..310
        QVERIFY(qAbs(f.pot(300) - 0.005) < 1e-15 && qAbs(f.pot(310) - 0.005) < 1e-15);
        QCOMPARE(f.pot(289), 0.0);
        QImage img = f.shot();
        QCOMPARE(img.pixel(300, 150), White);
        QCOMPARE(img.pixel(300, 200), Black); // the old curve was erased
        f.move({700, 250});
        QVERIFY(qAbs(f.pot(700) + 0.005) < 1e-15);
        f.move({5000, 120}); // beyond the widget: clamped to the last index
        QVERIFY(qAbs(f.pot(1023) - 0.008) < 1e-15);
        f.release({5000, 120});
        QCOMPARE(f.shot().pixel(700, 250), White);

        Fixture g(512, 400);
        g.s.penPOnOff(true);
        g.press({100, 190}); // column 100 of 512 is index 200; a first P-pen click sets one point
        QVERIFY(qAbs(g.pot(200) - 0.001) < 1e-15);
        QCOMPARE(g.pot(199) + g.pot(201), 0.0);
        g.press({300, 100}, Qt::RightButton);
        QCOMPARE(g.pot(600), 0.0);
        g.s.packOnOff(true);
        g.press({300, 100});
        g.move({400, 100});
        QCOMPARE(g.pot(800), 0.0);

        Fixture h(1024, 446); // middle row 223: (223 - 15) * 0.0001 / 0.0001 is 208.00000000000003
        h.s.penHOnOff(true);
        h.press({40, 15});
        QCOMPARE(h.shot().pixel(40, 15), White);
        QCOMPARE(h.shot().pixel(40, 14), Black);
        h.s.getPot()[500] = std::nan(""); // not a number: drawn on the middle row, no crash
        h.s.setPot(h.s.getPot());
        QCOMPARE(h.shot().pixel(500, 223), White);
    }

    void packetPlacementSlidersAndFrame()
    {
        Fixture f(1024, 400);
        f.s.packOnOff(true);
        f.fill(0.01); // the still picture in packet mode ignores the potential
        f.press({300, 200}); // on and below the middle row: nothing
        f.press({300, 350});
        QCOMPARE(std::abs(f.s.wave()[300]), 0.0);
        f.press({512, 100}); // h0 = 100 of 400: peak modulus 0.5 at index 512
        QVERIFY(qAbs(std::abs(f.s.wave()[512]) - 0.5) < 1e-12);
        const QImage img = f.shot();
        QCOMPARE(img.pixel(512, 200), qRgb(242, 34, 42)); // a 100-pixel line in the colour of 0.5
        QCOMPARE(img.pixel(512, 100), qRgb(242, 34, 42));
        QCOMPARE(img.pixel(512, 99), Black);
        QCOMPARE(img.pixel(5, 200), qRgb(103, 103, 183)); // ~0 far away: one pixel on the middle row
        QCOMPARE(img.pixel(5, 199), Black);

        std::vector<cplx> ref(N);
        f.s.setDX(80);
        f.s.setP(40);
        f.s.setDP(5);
        f.s.setZ(-3); // rebuilds, no steps
        initPacket(ref.data(), 512, 100, 80, 40, 5, 400);
        QVERIFY(std::equal(ref.begin(), ref.end(), f.s.wave()));
        f.s.setZ(5); // rebuilds and advances by 5 steps of 50 on the current potential
        Propagator prop(f.s.getPot(), ref.data(), N);
        for (int n = 0; n < 5; ++n)
            prop.step(50.0);
        QVERIFY(std::equal(ref.begin(), ref.end(), f.s.wave()));
    }

    void evolutionRunsStopsAndSeesEdits()
    {
        Fixture f(1024, 400);
        f.s.packOnOff(true);
        f.press({512, 100});
        f.fill(0.01);
        const cplx before = f.s.wave()[512];
        bool posted = false;
        f.s.startEvolution(true);
        QTimer::singleShot(0, &f.s, [&] { posted = true; });
        QTest::qWait(50); // the 0 ms timer must not starve other events
        QVERIFY(posted && f.s.wave()[512] != before);
        const QImage img = f.shot(); // the frame stands on the potential, 100 rows up
        QCOMPARE(img.pixel(5, 100), qRgb(103, 103, 183));
        QCOMPARE(img.pixel(5, 200), Black);
        f.s.startEvolution(false);
        const cplx stopped = f.s.wave()[512];
        QTest::qWait(20);
        QCOMPARE(f.s.wave()[512], stopped);

        // An edit during the run is used by the very next step.
        f.s.startEvolution(true); // ticks need the event loop; driven by hand below
        f.s.potOnOff(true);
        f.s.penHOnOff(true);
        f.press({600, 150});
        std::vector<cplx> expected(f.s.wave(), f.s.wave() + N);
        std::vector<double> edited(f.s.getPot(), f.s.getPot() + N);
        QVERIFY(qAbs(edited[600] - 0.005) < 1e-15);
        Propagator(edited.data(), expected.data(), N).step(50.0);
        f.s.paintEvolution();
        QVERIFY(std::equal(expected.begin(), expected.end(), f.s.wave()));
        f.s.startEvolution(false);
    }

    void smoothingSelectionAndRubberBand()
    {
        std::vector<double> v(N);
        for (int k = 0; k < N; ++k)
            v[k] = (k / 16) % 2 ? 0.01 : -0.005;
        std::vector<double> expected = v;
        SmoothingFilter().smooth(expected.data(), 400, 600, 300.0); // columns 200..300 of 512
        for (bool leftToRight : {true, false}) {
            Fixture f(512, 400);
            f.s.setPot(v.data());
            f.s.flevelChanged(30);
            f.s.fourierOnOff(true);
            const QPoint a(leftToRight ? 200 : 300, 50), b(leftToRight ? 300 : 200, 350);
            f.press(a);
            f.move((a + b) / 2);
            f.move(b);
            QCOMPARE(f.pot(500), v[500]); // nothing before the release
            f.release(b);
            QVERIFY(std::equal(expected.begin(), expected.end(), f.s.getPot()));
            QCOMPARE(f.shot().pixel(250, 50), Black); // the band is gone
        }
        Fixture f(512, 400);
        f.s.setPot(v.data());
        const QImage before = f.s.viewImage().copy();
        const QRect band(QPoint(300, 20), QPoint(100, 250)); // dragged up and to the left
        f.s.drawSelection(band);
        const QImage once = f.s.viewImage().copy();
        // XOR outline over columns 100..300 and rows 20..250, corners included; alpha is kept.
        QCOMPARE(once.pixel(100, 20), 0x00ffffffu ^ before.pixel(100, 20));
        QCOMPARE(once.pixel(300, 250), 0x00ffffffu ^ before.pixel(300, 250));
        QCOMPARE(once.pixel(301, 250), before.pixel(301, 250));
        QCOMPARE(once.pixel(200, 251), before.pixel(200, 251));
        f.s.drawSelection(band); // drawn twice: no trace
        QCOMPARE(f.s.viewImage(), before);
        for (const QRect &thin : {QRect(QPoint(50, 60), QPoint(50, 60)), QRect(QPoint(50, 60), QPoint(60, 60))}) {
            f.s.drawSelection(thin); // a press shows one pixel, a flat drag a line
            const QImage t = f.s.viewImage().copy();
            QCOMPARE(t.pixel(thin.right(), 60), 0x00ffffffu ^ before.pixel(thin.right(), 60));
            QCOMPARE(t.pixel(50, 60), 0x00ffffffu ^ before.pixel(50, 60));
            f.s.drawSelection(thin);
        }
        QCOMPARE(f.s.viewImage(), before);

        // Only the left button selects: a right-button drag leaves no band, also when a stroke
        // before left `dragging` set, and a left drag cut short by "Fourier" off leaves none.
        Fixture r(512, 400);
        r.press({100, 100});
        r.s.fourierOnOff(true);
        const QImage plain = r.shot();
        r.press({50, 50}, Qt::RightButton);
        r.move({200, 300}, Qt::RightButton);
        r.release({200, 300}, Qt::RightButton);
        QCOMPARE(r.shot(), plain);
        r.press({50, 50});
        r.move({200, 300});
        r.s.fourierOnOff(false);
        QCOMPARE(r.shot(), plain);

        f.s.packOnOff(true); // a finished selection in packet mode changes nothing
        f.s.fourierOnOff(true);
        f.press({200, 50});
        f.release({300, 80});
        QVERIFY(std::equal(v.begin(), v.end(), f.s.getPot()));
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
