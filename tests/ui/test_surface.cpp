// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface (control or input -> what must happen):
//   "Pot", left drag     the pen at each point's grid index and row (the line from the last point); one undo step a stroke
//   other buttons        draw, place and select nothing
//   "Pack", click        above the middle row a packet there, of that height; on or below: nothing
//   "Fourier", drag      a band while dragging; the stretch smoothed at the release (either way); in "Pack" nothing
//   Clear, setPot        zero in "Pot", nothing in "Pack"; shown at once, below the middle, NaN on it; null: nothing
//   a new size           picture and packet height at the new scale
//   <->, <imp>, <dp>, <z>   the packet built anew at its place (and advanced z steps)
//   Start                a repeating timer; stopping keeps the wave; an edit is used by the very next step
//   side windows         opened by the surface alone (through the main window: test_mainwindow)
#include "physics/potentialpen.h"
#include "physics/smoothingfilter.h"
#include "physics/wavepacket.h"
#include "ui/app/sidewindows.h"
#include "ui/eigen/schefview.h"
#include "ui/evolution/potentialmodel.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

using cplx = std::complex<double>;
constexpr int N = GridPoints;
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

class TestSurface : public QObject
{
    Q_OBJECT

private slots:
    void gesturesFollowThePenAlgebra()
    {
        // Row 15 of 446 is (223 - 15) * 0.0001, mapped back 208.00000000000003.
        const QList<QList<QPoint>> strokes = {{{300, 150}, {340, 15}, {420, 260}, {420, 260}}, {{600, 180}, {560, 300}, {5000, 120}}};
        for (PotentialPen::Kind pen : {PotentialPen::Tent, PotentialPen::Plateau, PotentialPen::Line}) {
            const QByteArray name = "pen " + QByteArray::number(pen);
            SurfaceFixture f(1024, 446);
            f.s.penHOnOff(pen == PotentialPen::Plateau);
            f.s.penPOnOff(pen == PotentialPen::Line);
            f.s.setPenRange(30);
            std::vector<double> want(N, 0.0);
            int last = -1;
            for (const QList<QPoint> &path : strokes) {
                drag(&f.s, path);
                for (int k = 0; k < path.size(); ++k) {
                    const int i = std::min(path[k].x(), N - 1);
                    PotentialPen::apply(want.data(), N, pen, i, (223 - path[k].y()) * 0.0001, 30, last);
                    last = k > 0 ? i : last;
                }
                QVERIFY2(f.holds(want), name + ": potential");
                QVERIFY2(screenCurrent(&f.s), name + ": screen");
            }
            const QImage img = f.shot(); // the curve passes the rows the mouse was on; the old one is gone
            for (QPoint on : {QPoint(300, 150), QPoint(420, 260), QPoint(1023, 120), QPoint(340, 15)})
                QVERIFY2(img.pixel(on) == White, name + QByteArray(" off the curve at ") + QByteArray::number(on.x()));
            for (QPoint off : {QPoint(340, 14), QPoint(300, 223)})
                QVERIFY2(img.pixel(off) == Black, name + QByteArray(" curve at ") + QByteArray::number(off.x()));
            QCOMPARE(f.s.potential()->history()->count(), 2); // a step per stroke
            for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) { // other buttons draw nothing
                drag(&f.s, {{100, 50}, {200, 60}, {300, 40}}, b);
                QVERIFY2(f.holds(want), name + (b == Qt::RightButton ? ": after a right drag" : ": after a middle drag"));
            }
            f.s.penPOnOff(true); // choosing the line pen forgets the last point: a click draws one sample
            drag(&f.s, {{700, 100}});
            want[700] = 0.0123;
            QVERIFY2(std::equal(want.begin(), want.end(), f.s.getPot(), [](double a, double b) { return std::fabs(a - b) < 1e-12; }),
                     name + ": a fresh line");
        }
        // A new potential shows at once: 0.01 100 rows up, -0.005 50 rows down, not a number on the middle row.
        SurfaceFixture f;
        std::vector<double> loaded(N, 0.01);
        std::fill(loaded.begin() + 600, loaded.end(), -0.005);
        loaded[500] = std::nan("");
        f.s.setPot(loaded.data());
        f.s.setPot(nullptr); // nothing to copy: nothing changes
        for (QPoint on : {QPoint(300, 100), QPoint(500, 200), QPoint(800, 250)})
            QVERIFY2(f.shot().pixel(on) == White, qPrintable(QString::number(on.x())));
        QCOMPARE(f.s.potential()->history()->count(), 1);
        QVERIFY(screenCurrent(&f.s));
        // At 700 x 500: 0.01 100 rows above row 250, a click 125 rows up a packet of height 2 * 125 / 500.
        f.s.resize(700, 500);
        QVERIFY(screenCurrent(&f.s));
        QCOMPARE(f.shot().pixel(100, 150), White);
        f.place({350, 125});
        QVERIFY(std::fabs(std::abs(f.s.simulation().wave()[512]) - 0.5) < 1e-12);
    }

    void clicksInEachRegionAndMode()
    {
        // A click above, on, below the middle row in each mode; then "Clear".
        std::vector<double> pot(N);
        for (int k = 0; k < N; ++k)
            pot[k] = 0.004 * std::sin(k / 40.0);
        for (int mode = 0; mode < 4; ++mode) {
            const bool packet = mode % 2, fourier = mode >= 2;
            for (int y : {120, 199, 200, 280}) {
                const QByteArray where = QString("mode %1, row %2: ").arg(mode).arg(y).toUtf8();
                SurfaceFixture f;
                f.s.setPot(pot.data());
                f.place({512, 100});
                std::vector<cplx> wave(N);
                initPacket(wave.data(), 512, 100, 40, 0, 10, 400);
                f.s.potOnOff(!packet);
                f.s.flevelChanged(30);
                f.s.fourierOnOff(fourier);
                drag(&f.s, {{700, y}});
                std::vector<double> want = pot;
                int last = -1;
                if (fourier && !packet)
                    SmoothingFilter().smooth(want.data(), 700, 700, 300.0);
                else if (!fourier && !packet)
                    PotentialPen::apply(want.data(), N, PotentialPen::Tent, 700, (200 - y) * 0.0001, 30, last);
                else if (!fourier && y < 200)
                    initPacket(wave.data(), 700, 200 - y, 40, 0, 10, 400);
                QVERIFY2(f.holds(want), where + "potential");
                QVERIFY2(f.wave() == wave, where + "packet");
                QVERIFY2(screenCurrent(&f.s), where + "screen");
                f.s.clear();
                QVERIFY2(packet ? f.holds(want) : f.holds(std::vector<double>(N, 0.0)), where + "after Clear");
            }
        }
    }

    void packetStepsAndARunOnTheScreen()
    {
        // <z> rebuilds the packet and advances it z steps (none for z <= 0); then a run with an edit.
        SurfaceFixture f;
        f.place({512, 100});
        f.fill(0.002);
        f.s.setP(40);
        PacketSimulation ref(f.s.getPot()); // the same packet, stepped alongside
        ref.setViewHeight(400);
        ref.setParams({512, 100, 40, 40, 10, 5});
        ref.rebuild();
        const std::vector<cplx> rebuilt(ref.wave(), ref.wave() + N);
        for (int z : {0, -3}) {
            f.s.setZ(z);
            QVERIFY2(f.wave() == rebuilt, qPrintable(QString::number(z)));
        }
        f.s.setZ(5);
        ref.advance(5);
        QVERIFY(f.wave() == std::vector<cplx>(ref.wave(), ref.wave() + N));
        QCOMPARE(f.s.simulation().stepCount(), 5);
        QVERIFY(screenCurrent(&f.s));
        f.fill(0.01);
        f.runByHand(); // a blank screen but for the packet's marks, then frames
        QCOMPARE(QList<QRgb>({f.shot().pixel(300, 150), f.shot().pixel(5, 200)}), QList<QRgb>({Black, Black}));
        f.frameAt(101.0);
        f.s.paintEvolution();
        ref.advance(2);
        QVERIFY(screenCurrent(&f.s));
        QVERIFY(f.shot().pixel(5, 100) != Black); // standing on the potential
        QCOMPARE(f.shot().pixel(5, 110), Black);
        f.s.potOnOff(true);
        f.s.penHOnOff(true);
        drag(&f.s, {{600, 150}});
        f.s.paintEvolution();
        ref.step();
        const std::vector<cplx> expected(ref.wave(), ref.wave() + N);
        QVERIFY(f.wave() == expected);
        f.s.startEvolution(false);
        QVERIFY(f.wave() == expected);
        QCOMPARE(f.shot().pixel(600, 150), White);
        QVERIFY(screenCurrent(&f.s));
    }

    void smoothingSelectionAndRubberBand()
    {
        std::vector<double> v(N);
        for (int k = 0; k < N; ++k)
            v[k] = (k / 16) % 2 ? 0.01 : -0.005;
        std::vector<double> expected = v;
        SmoothingFilter().smooth(expected.data(), 400, 600, 300.0); // columns 200..300 of 512
        for (bool leftToRight : {true, false}) {
            const QByteArray dir = leftToRight ? "left to right: " : "right to left: ";
            SurfaceFixture f(512, 400);
            f.s.setPot(v.data());
            const QImage before = f.shot();
            f.s.flevelChanged(30);
            f.s.fourierOnOff(true);
            const QPoint a(leftToRight ? 200 : 300, 50), b(leftToRight ? 300 : 200, 350);
            drag(&f.s, {a, b}, Qt::RightButton); // only the left button selects: no band, no change
            QVERIFY2(f.shot() == before, dir + "picture after the right button");
            QVERIFY2(f.holds(v), dir + "potential after the right button");
            sendMouse(&f.s, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
            sendMouse(&f.s, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
            // The band over columns 200..300 and rows 50..350 is on the screen; no change yet.
            QVERIFY2(f.holds(v), dir + "potential during the drag");
            QVERIFY2(screenCurrent(&f.s), dir + "screen during the drag");
            QCOMPARE(f.shot().pixel(200, 100), 0xffffffu ^ before.pixel(200, 100));
            sendMouse(&f.s, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
            QVERIFY2(f.holds(expected), dir + "smoothed potential");
            QVERIFY2(screenCurrent(&f.s), dir + "screen after the release");
            QVERIFY2(f.shot().pixel(250, 50) == Black, dir + "the band is gone");
        }
    }

    void sideWindowsOpenAlone()
    {
        SchDrawingSurface s(nullptr); // without a main window it opens them itself
        s.startEigen(true);
        QVERIFY(s.sideWindows()->eigen()->isVisible());
        s.startEigen(false);
        QVERIFY(!s.sideWindows()->eigen());
    }

    void potentialModelSteps()
    {
        PotentialModel m; // the last 100 steps are kept
        for (int k = 1; k <= 120; ++k)
            m.replace(std::vector<double>(N, k * 1e-4).data(), "Potential ersetzen");
        QCOMPARE(m.history()->count(), 100);
        while (m.history()->canUndo())
            m.undo();
        QCOMPARE(m.samples()[7], 20e-4);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
