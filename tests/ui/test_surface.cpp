// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/potentialpen.h"
#include "physics/propagator.h"
#include "physics/smoothingfilter.h"
#include "physics/wavepacket.h"
#include "ui/app/sidewindows.h"
#include "ui/eigen/schefview.h"
#include "ui/evolution/potentialmodel.h"
#include "ui/evolution/schdrawingsurface.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>
#include <complex>
#include <vector>

using cplx = std::complex<double>;
constexpr int N = GridPoints;
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

class TestSurface : public QObject
{
    Q_OBJECT

    struct Fixture {
        SchDrawingSurface s{nullptr};
        explicit Fixture(int w = 1024, int h = 400)
        {
            s.resize(w, h);
            s.show();
            QCoreApplication::processEvents();
        }
        QImage shot() { return s.grab().toImage(); }
        void fill(double v) { std::vector<double> a(N, v); s.setPot(a.data()); }
        bool holds(const std::vector<double> &pot) { return std::equal(pot.begin(), pot.end(), s.getPot()); }
        bool holds(const std::vector<cplx> &psi) { return std::equal(psi.begin(), psi.end(), s.simulation().wave()); }
    };

private slots:
    void gesturesFollowThePenAlgebra()
    {
        // Each point of a gesture applies the pen at its grid index with its row's value; moves, not the
        // press, become the line pen's previous point, so a second stroke goes on from the first. Beyond
        // the widget: the last index. Row 15 of 446 is (223 - 15) * 0.0001, mapped back 208.00000000000003.
        const QList<QList<QPoint>> strokes = {{{300, 150}, {340, 15}, {420, 260}, {420, 260}}, {{600, 180}, {560, 300}, {5000, 120}}};
        for (PotentialPen::Kind pen : {PotentialPen::Tent, PotentialPen::Plateau, PotentialPen::Line}) {
            const QByteArray name = "pen " + QByteArray::number(pen);
            Fixture f(1024, 446);
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
            // After the strokes the other buttons draw nothing, pressed alone or dragged.
            for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
                drag(&f.s, {{100, 50}, {200, 60}, {300, 40}}, b);
                QVERIFY2(f.holds(want), name + (b == Qt::RightButton ? ": after a right drag" : ": after a middle drag"));
            }
        }
        Fixture f; // a new potential shows at once, 0.01 100 rows up; not a number on the middle row
        std::vector<double> loaded(N, 0.01);
        loaded[500] = std::nan("");
        f.s.setPot(loaded.data());
        f.s.setPot(nullptr); // nothing to copy: nothing changes
        QCOMPARE(f.shot().pixel(300, 100), White);
        QCOMPARE(f.shot().pixel(500, 200), White);
        QCOMPARE(f.s.potential()->history()->count(), 1);
        QVERIFY(screenCurrent(&f.s));
    }

    void clicksInEachRegionAndMode()
    {
        // With a packet and a potential, a click above, on and below the middle row applies the pen in
        // potential mode, places a new packet in packet mode (above the middle row only) and smooths
        // one column with "Fourier" (in potential mode only); "Clear" acts in potential mode only.
        std::vector<double> pot(N);
        for (int k = 0; k < N; ++k)
            pot[k] = 0.004 * std::sin(k / 40.0);
        for (int mode = 0; mode < 4; ++mode) {
            const bool packet = mode % 2, fourier = mode >= 2;
            for (int y : {120, 200, 280}) {
                const QByteArray where = QString("mode %1, row %2: ").arg(mode).arg(y).toUtf8();
                Fixture f;
                f.s.setPot(pot.data());
                f.s.packOnOff(true);
                drag(&f.s, {{512, 100}});
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
                QVERIFY2(f.holds(wave), where + "packet");
                QVERIFY2(screenCurrent(&f.s), where + "screen");
                f.s.clear();
                QVERIFY2(packet ? f.holds(want) : std::count(f.s.getPot(), f.s.getPot() + N, 0.0) == N, where + "after Clear");
            }
        }
    }

    void packetAndEvolutionOnTheScreen()
    {
        Fixture f;
        f.s.packOnOff(true);
        drag(&f.s, {{512, 100}});
        f.fill(0.002);
        f.s.setP(40);
        f.s.setZ(5); // rebuilds, as every packet slider does, and advances by 5 steps of 50 on the current potential
        PacketSimulation ref(f.s.getPot()); // the same packet, stepped alongside
        ref.setViewHeight(400);
        ref.setParams({512, 100, 40, 40, 10, 5});
        ref.rebuild();
        ref.advance(5);
        QVERIFY(f.holds(std::vector<cplx>(ref.wave(), ref.wave() + N)));
        QCOMPARE(f.s.simulation().stepCount(), 5);
        QVERIFY(screenCurrent(&f.s));

        // The start blanks the screen (but for the packet's marks) and runs a repeating timer; as
        // fast as possible that is 0 ms, one step per tick; stopping keeps the wave where it is.
        // The ticks are given by hand, each checked on the screen.
        f.fill(0.01);
        f.s.pacing()->setTempo(Pacer::Fastest);
        f.s.startEvolution(true);
        auto *timer = f.s.findChild<QTimer *>();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 0);
        QVERIFY(!timer->isSingleShot());
        timer->stop();
        QCOMPARE(f.shot().pixel(300, 150), Black);
        QCOMPARE(f.shot().pixel(5, 200), Black);
        QVERIFY(screenCurrent(&f.s));
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout")); // a tick
        QCOMPARE(f.s.simulation().stepCount(), 6);
        QVERIFY(screenCurrent(&f.s));
        for (int n = 0; n < 2; ++n) {
            f.s.paintEvolution();
            QVERIFY(screenCurrent(&f.s));
        }
        ref.advance(3);
        QCOMPARE(f.s.simulation().stepCount(), 8);
        QVERIFY(f.shot().pixel(5, 100) != Black); // standing on the potential
        QCOMPARE(f.shot().pixel(5, 110), Black);
        // An edit during the run is used by the very next step.
        f.s.potOnOff(true);
        f.s.penHOnOff(true);
        drag(&f.s, {{600, 150}});
        QVERIFY(screenCurrent(&f.s));
        f.s.paintEvolution();
        ref.step();
        const std::vector<cplx> expected(ref.wave(), ref.wave() + N);
        QVERIFY(f.holds(expected));
        QVERIFY(screenCurrent(&f.s));
        f.s.startEvolution(false); // the potential curve again, the wave as it was
        QVERIFY(f.holds(expected));
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
            Fixture f(512, 400);
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

    void buttonsFollowTheSignalsAndSideWindowsOpen()
    {
        // A surface given the buttons switches them off itself: "Fourier" on every mode change,
        // "Streuung" when the scattering window refuses the all-zero potential.
        QPushButton fourier, streu;
        for (QPushButton *b : {&fourier, &streu}) {
            b->setCheckable(true);
            b->setChecked(true);
        }
        SchDrawingSurface s(nullptr, &fourier, &streu);
        QSignalSpy ended(&s, &SchDrawingSurface::selectionToolEnded);
        s.fourierOnOff(true);
        s.packOnOff(false);
        QVERIFY(!fourier.isChecked());
        QVERIFY(!s.settings().selectionMode);
        s.packOnOff(true);
        QCOMPARE(ended.count(), 2);
        QSignalSpy refused(&s, &SchDrawingSurface::scatteringRefused);
        QString box;
        answerNextBox(box, Qt::Key_Return);
        s.startStreu(true);
        QVERIFY2(box.startsWith("Error: "), qPrintable(box));
        QCOMPARE(refused.count(), 1);
        QVERIFY(!streu.isChecked());
        QVERIFY(!s.sideWindows()->scattering()); // closed again
        // Alone, it opens the side windows itself; a window's owner can take them over.
        s.startEigen(true);
        QVERIFY(s.sideWindows()->eigen()->isVisible());
        s.startEigen(false);
        QVERIFY(!s.sideWindows()->eigen());
        SideWindows owner(&s);
        s.useSideWindows(&owner);
        s.startEigen(true);
        QVERIFY(owner.eigen());
        s.startEigen(false);
        QVERIFY(!owner.eigen());
    }

    void potentialModelSteps()
    {
        // A stroke is one step once finished (by undo too); a change that leaves every sample as
        // it was is announced but no step; the history keeps the last HistoryLimit steps.
        PotentialModel m;
        QSignalSpy changed(&m, &PotentialModel::changed);
        int last = -1;
        m.applyPen(PotentialPen::Plateau, 100, 0.5, 10, last);
        m.applyPen(PotentialPen::Plateau, 300, 0.25, 10, last);
        QCOMPARE(m.history()->count(), 0);
        m.undo();
        QCOMPARE(std::count(m.samples().begin(), m.samples().end(), 0.0), N);
        m.clear(); // nothing to clear: the stroke stays to be redone
        m.replace(nullptr, "Neu");
        QCOMPARE(m.history()->redoText(), QString("Zeichnen"));
        QCOMPARE(changed.count(), 4); // two points, the undo, the clear
        for (int k = 1; k <= 120; ++k)
            m.replace(std::vector<double>(N, k * 1e-4).data(), "Potential ersetzen");
        QCOMPARE(m.history()->count(), PotentialModel::HistoryLimit);
        while (m.history()->canUndo())
            m.undo();
        QCOMPARE(m.samples()[7], (120 - PotentialModel::HistoryLimit) * 1e-4);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
