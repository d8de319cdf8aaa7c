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

namespace {
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
} // namespace

class TestSurface : public QObject
{
    Q_OBJECT

    struct Fixture {
        QPushButton fourier;
        QPushButton streu;
        SchDrawingSurface surface{nullptr, &fourier, &streu};
        explicit Fixture(int w = 1024, int h = 400)
        {
            fourier.setCheckable(true);
            streu.setCheckable(true);
            surface.resize(w, h);
            surface.show();
            QCoreApplication::processEvents();
        }
        QImage shot() { return surface.grab().toImage(); }
    };

private slots:
    void newSurfaceShowsZeroLineOnMiddleRow()
    {
        Fixture f(1024, 400);
        QCOMPARE(f.surface.midRow(), 200);
        const QImage img = f.shot();
        QCOMPARE(img.size(), QSize(1024, 400));
        for (int x : {0, 1, 511, 1023}) {
            QCOMPARE(img.pixel(x, 200), White);
            QCOMPARE(img.pixel(x, 199), Black);
            QCOMPARE(img.pixel(x, 201), Black);
        }
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(std::abs(f.surface.wave()[k]), 0.0);
    }

    void potentialOfOneHundredthIsHundredRowsUp()
    {
        Fixture f(1024, 400);
        std::vector<double> v(SchDrawingSurface::N, 0.01);
        f.surface.setPot(v.data());
        const QImage img = f.shot();
        QCOMPARE(img.pixel(300, 100), White);
        QCOMPARE(img.pixel(300, 200), Black);
    }

    void setPotNullAndGetPotIdentity()
    {
        Fixture f;
        double *live = f.surface.getPot();
        live[5] = 0.003;
        f.surface.setPot(nullptr);
        QCOMPARE(f.surface.getPot(), live);
        QCOMPARE(live[5], 0.003);
        std::vector<double> v(SchDrawingSurface::N, -0.002);
        f.surface.setPot(v.data());
        QCOMPARE(f.surface.getPot(), live);
        QCOMPARE(live[1023], -0.002);
    }

    void clearActsOnlyInPotentialMode()
    {
        Fixture f;
        std::vector<double> v(SchDrawingSurface::N, 0.004);
        f.surface.setPot(v.data());
        f.surface.packOnOff(true);
        f.surface.clear();
        QCOMPARE(f.surface.getPot()[100], 0.004);
        f.surface.potOnOff(true);
        f.surface.clear();
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(f.surface.getPot()[k], 0.0);
    }

    void modeSlotsAndLevels()
    {
        Fixture f;
        f.surface.flevelChanged(30);
        QCOMPARE(f.surface.smoothingLevel(), 300.0);
        f.surface.fourierOnOff(true);
        QVERIFY(f.surface.selectionMode());
        QCOMPARE(f.surface.drawingMode(), 1);
        f.fourier.setChecked(true);
        f.surface.packOnOff(true); // ends the selection tool and switches the button off
        QVERIFY(!f.surface.selectionMode());
        QVERIFY(!f.fourier.isChecked());
        QCOMPARE(f.surface.drawingMode(), 2);
        f.surface.penPOnOff(true);
        QCOMPARE(f.surface.currentPen(), 2);
        f.surface.penVOnOff(false); // off does nothing
        QCOMPARE(f.surface.currentPen(), 2);
        f.surface.setPenRange(77);
        QCOMPARE(f.surface.currentPenRange(), 77);
    }

    void mouseStrokePassesThroughMouseRows()
    {
        Fixture f(1024, 400);
        f.surface.penHOnOff(true);
        f.surface.setPenRange(10);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 150}, Qt::LeftButton, Qt::LeftButton);
        // One pixel row is 0.0001 potential units; the plateau covers 290..310.
        QVERIFY(qAbs(f.surface.getPot()[300] - 0.005) < 1e-15);
        QCOMPARE(f.surface.getPot()[289], 0.0);
        QVERIFY(qAbs(f.surface.getPot()[310] - 0.005) < 1e-15);
        QImage img = f.shot();
        QCOMPARE(img.pixel(300, 150), White);
        QCOMPARE(img.pixel(300, 200), Black); // the old zero line there was erased
        QCOMPARE(img.pixel(600, 200), White);

        // A drag keeps drawing, also when it leaves the widget (indices clamp to the grid).
        sendMouse(&f.surface, QEvent::MouseMove, {700, 250}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(qAbs(f.surface.getPot()[700] + 0.005) < 1e-15);
        sendMouse(&f.surface, QEvent::MouseMove, {5000, 120}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(qAbs(f.surface.getPot()[1023] - 0.008) < 1e-15);
        sendMouse(&f.surface, QEvent::MouseButtonRelease, {5000, 120}, Qt::LeftButton, Qt::NoButton);
        img = f.shot();
        QCOMPARE(img.pixel(700, 250), White);
    }

    void columnMappingOnNarrowSurface()
    {
        Fixture f(512, 400);
        f.surface.penPOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {100, 190}, Qt::LeftButton, Qt::LeftButton);
        // Column 100 of 512 is grid index 200; the first P-pen click sets that point only.
        QVERIFY(qAbs(f.surface.getPot()[200] - 0.001) < 1e-15);
        QCOMPARE(f.surface.getPot()[199], 0.0);
        QCOMPARE(f.surface.getPot()[201], 0.0);
        // Right-button presses do not draw.
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 100}, Qt::RightButton, Qt::RightButton);
        QCOMPARE(f.surface.getPot()[600], 0.0);
    }

    void packetModeClickDoesNotTouchPotential()
    {
        Fixture f;
        f.surface.packOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 100}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&f.surface, QEvent::MouseMove, {400, 100}, Qt::NoButton, Qt::LeftButton);
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(f.surface.getPot()[k], 0.0);
    }

    void packetClickAboveMiddleRowOnly()
    {
        Fixture f(1024, 400);
        f.surface.packOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 200}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 350}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(std::abs(f.surface.wave()[300]), 0.0);

        // h0 = 100 in a 400-pixel view: peak modulus 2*100/400 at the clicked index.
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 100}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(qAbs(std::abs(f.surface.wave()[300]) - 0.5) < 1e-12);
        double peak = 0;
        int at = -1;
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            if (std::abs(f.surface.wave()[k]) > peak) {
                peak = std::abs(f.surface.wave()[k]);
                at = k;
            }
        QCOMPARE(at, 300);
    }

    void packetSlidersReshapeAndZAdvances()
    {
        Fixture f(1024, 400);
        f.surface.packOnOff(true);
        f.surface.setDX(80); // rebuilds at the default place (512, 200 pixels up)
        std::vector<cplx> ref(SchDrawingSurface::N);
        initPacket(ref.data(), 512, 200, 80, 0, 10, 400);
        for (int k = 0; k < SchDrawingSurface::N; k += 7)
            QCOMPARE(f.surface.wave()[k], ref[k]);

        f.surface.setP(40);
        f.surface.setDP(5);
        f.surface.setZ(-3); // rebuilds, no steps
        initPacket(ref.data(), 512, 200, 80, 40, 5, 400);
        for (int k = 0; k < SchDrawingSurface::N; k += 7)
            QCOMPARE(f.surface.wave()[k], ref[k]);

        f.surface.setZ(5);
        std::vector<double> zero(SchDrawingSurface::N, 0.0);
        Propagator prop(zero.data(), ref.data(), SchDrawingSurface::N);
        for (int n = 0; n < 5; ++n)
            prop.step(50.0);
        for (int k = 0; k < SchDrawingSurface::N; k += 7)
            QVERIFY(std::abs(f.surface.wave()[k] - ref[k]) < 1e-14);
    }

    void packetFrameStandsOnMiddleRow()
    {
        Fixture f(1024, 400);
        f.surface.packOnOff(true);
        std::vector<double> v(SchDrawingSurface::N, 0.01);
        f.surface.setPot(v.data()); // not used by the still picture
        sendMouse(&f.surface, QEvent::MouseButtonPress, {512, 100}, Qt::LeftButton, Qt::LeftButton);
        const QImage img = f.shot();
        // Column 512 shows the centre: modulus 0.5 and phase 0, a 100-pixel line in (242, 34, 42).
        QCOMPARE(img.pixel(512, 200), qRgb(242, 34, 42));
        QCOMPARE(img.pixel(512, 100), qRgb(242, 34, 42));
        QCOMPARE(img.pixel(512, 99), Black);
        QCOMPARE(img.pixel(512, 201), Black);
        // Far from the packet the wave is ~0: a single grey-blue pixel on the middle row.
        QCOMPARE(img.pixel(5, 200), qRgb(103, 103, 183));
        QCOMPARE(img.pixel(5, 199), Black);
    }

    void evolutionRunsOnPotentialAndKeepsWaveWhenStopped()
    {
        Fixture f(1024, 400);
        f.surface.packOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {512, 100}, Qt::LeftButton, Qt::LeftButton);
        std::vector<double> v(SchDrawingSurface::N, 0.01);
        f.surface.setPot(v.data());
        const cplx before = f.surface.wave()[512];

        bool posted = false;
        f.surface.startEvolution(true);
        QVERIFY(f.surface.isRunning());
        QTimer::singleShot(0, &f.surface, [&] { posted = true; });
        QTest::qWait(50); // the 0 ms timer must not starve other events
        QVERIFY(posted);
        QVERIFY(f.surface.wave()[512] != before);
        const QImage img = f.shot();
        // The frame stands on the potential, 100 rows above the middle.
        QCOMPARE(img.pixel(5, 100), qRgb(103, 103, 183));
        QCOMPARE(img.pixel(5, 200), Black);

        f.surface.startEvolution(false);
        QVERIFY(!f.surface.isRunning());
        const cplx stopped = f.surface.wave()[512];
        QTest::qWait(20);
        QCOMPARE(f.surface.wave()[512], stopped);
    }

    void potentialEditDuringRunActsOnNextStep()
    {
        Fixture f(1024, 400);
        f.surface.packOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {512, 100}, Qt::LeftButton, Qt::LeftButton);
        f.surface.potOnOff(true);
        f.surface.startEvolution(true); // ticks only when the event loop runs; driven by hand here
        f.surface.penHOnOff(true);
        f.surface.setPenRange(100);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {600, 150}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(qAbs(f.surface.getPot()[600] - 0.005) < 1e-15);

        std::vector<cplx> expected(f.surface.wave(), f.surface.wave() + SchDrawingSurface::N);
        std::vector<double> edited(f.surface.getPot(), f.surface.getPot() + SchDrawingSurface::N);
        Propagator prop(edited.data(), expected.data(), SchDrawingSurface::N);
        prop.step(50.0);
        f.surface.paintEvolution();
        double diff = 0;
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            diff = std::max(diff, std::abs(f.surface.wave()[k] - expected[k]));
        QCOMPARE(diff, 0.0);
        f.surface.startEvolution(false);
    }

    void smoothingSelectionActsOnDraggedColumns()
    {
        std::vector<double> v(SchDrawingSurface::N);
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            v[k] = (k / 16) % 2 ? 0.01 : -0.005; // a square wave with plenty of high frequencies

        std::vector<double> expected = v;
        SmoothingFilter filter;
        // Columns 200..300 of a 512-wide view are grid indices 400..600.
        filter.smooth(expected.data(), 400, 600, 300.0);

        for (bool leftToRight : {true, false}) {
            Fixture f(512, 400);
            f.surface.setPot(v.data());
            f.surface.flevelChanged(30);
            f.surface.fourierOnOff(true);
            const QPoint a(leftToRight ? 200 : 300, 50), b(leftToRight ? 300 : 200, 350);
            sendMouse(&f.surface, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
            sendMouse(&f.surface, QEvent::MouseMove, (a + b) / 2, Qt::NoButton, Qt::LeftButton);
            sendMouse(&f.surface, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
            QVERIFY(f.surface.getPot()[500] == v[500]); // nothing happens before the release
            sendMouse(&f.surface, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
            for (int k = 0; k < SchDrawingSurface::N; ++k)
                QCOMPARE(f.surface.getPot()[k], expected[k]);
            // The band is gone: the repaint shows the smoothed curve only.
            const QImage img = f.shot();
            QCOMPARE(img.pixel(250, 50), Black);
        }
    }

    void smoothingSelectionInPacketModeChangesNothing()
    {
        Fixture f(512, 400);
        std::vector<double> v(SchDrawingSurface::N, 0.0);
        v[450] = 0.02;
        f.surface.setPot(v.data());
        f.surface.packOnOff(true);
        f.surface.fourierOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {200, 50}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&f.surface, QEvent::MouseButtonRelease, {300, 80}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.surface.getPot()[450], 0.02);
    }

    void rubberBandDrawnTwiceLeavesNoTrace()
    {
        Fixture f(512, 400);
        std::vector<double> v(SchDrawingSurface::N);
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            v[k] = 0.001 * (k % 37);
        f.surface.setPot(v.data());
        const QImage before = f.surface.viewImage().copy();
        const QRect band(QPoint(300, 20), QPoint(100, 250)); // dragged up and to the left
        f.surface.drawSelection(band);
        const QImage once = f.surface.viewImage().copy();
        QVERIFY(once != before);
        // The outline covers columns 100..300 and rows 20..250, corners included.
        QCOMPARE(once.pixel(100, 20), qRgb(255, 255, 255) ^ before.pixel(100, 20) ^ 0xff000000u);
        QCOMPARE(once.pixel(300, 250), qRgb(255, 255, 255) ^ before.pixel(300, 250) ^ 0xff000000u);
        QCOMPARE(once.pixel(301, 250), before.pixel(301, 250));
        QCOMPARE(once.pixel(200, 251), before.pixel(200, 251));
        f.surface.drawSelection(band);
        QCOMPARE(f.surface.viewImage(), before);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
