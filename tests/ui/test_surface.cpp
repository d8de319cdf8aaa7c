// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/phasecolour.h"
#include "physics/potentialpen.h"
#include "physics/propagator.h"
#include "ui/evolution/schdrawingsurface.h"
#include "physics/smoothingfilter.h"
#include "uitestutil.h"
#include "physics/wavepacket.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>
#include <complex>
#include <vector>

using cplx = std::complex<double>;
constexpr int N = GridPoints;
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

// Where a frame of `psi` standing on V (null: on the middle row), composed at width w and height h,
// differs from the plain way: black, then in column i the line from y - L to y in the phase colour
// of psi[k(i)].
QString differsFromReference(const QImage &got, const cplx *psi, const double *V, int w, int h)
{
    for (int i = 0; i < w; ++i) {
        const int k = std::min(i * N / w, N - 1);
        const PhaseColour c = phaseColour(psi[k]);
        const double length = 0.5 * h * std::abs(psi[k]);
        const int L = length >= 0 ? int(std::min(length, 1e6)) : 0;
        double y = h / 2 - (V ? V[k] : 0.0) / 0.0001; // rows as the surface maps values:
        if (std::fabs(y - std::round(y)) < 1e-9)      // within 1e-9 of a row is on it,
            y = std::round(y);
        y = std::isnan(y) ? h / 2 : std::clamp(y, -1e6, 1e6); // NaN on the middle row
        for (int row = 0; row < h; ++row) {
            const QRgb want = row >= int(y) - L && row <= int(y) ? qRgb(c.red, c.green, c.blue) : Black;
            if (got.pixel(i, row) != want)
                return QStringLiteral("(%1, %2): %3 instead of %4").arg(i).arg(row).arg(got.pixel(i, row), 0, 16).arg(want, 0, 16);
        }
    }
    return {};
}

class TestSurface : public QObject
{
    Q_OBJECT

    struct Fixture {
        QPushButton fourier, streu;
        SchDrawingSurface s{nullptr, &fourier, &streu};
        explicit Fixture(int w = 1024, int h = 400)
        {
            s.resize(w, h);
            s.show();
            QCoreApplication::processEvents();
        }
        QImage shot() { return s.grab().toImage(); }
        void fill(double v) { std::vector<double> a(N, v); s.setPot(a.data()); }
        bool holds(const std::vector<double> &pot) { return std::equal(pot.begin(), pot.end(), s.getPot()); }
        bool holds(const std::vector<cplx> &psi) { return std::equal(psi.begin(), psi.end(), s.wave()); }
    };

private slots:
    void gesturesFollowThePenAlgebra()
    {
        // Each point of a gesture applies the pen at its grid index with its row's value; moves, not the
        // press, become the line pen's previous point, so a second stroke goes on from the first. Beyond
        // the widget: the last index. Row 15 of 446 is (223 - 15) * 0.0001, mapped back 208.00000000000003.
        const QList<QList<QPoint>> strokes = {{{300, 150}, {340, 15}, {420, 260}, {420, 260}}, {{600, 180}, {560, 300}, {5000, 120}}};
        for (PotentialPen::Kind pen : {PotentialPen::Tent, PotentialPen::Plateau, PotentialPen::Line}) {
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
                QVERIFY2(f.holds(want) && screenCurrent(&f.s), qPrintable(QString::number(pen)));
            }
            const QImage img = f.shot(); // the curve passes the rows the mouse was on; the old one is gone
            QVERIFY(img.pixel(300, 150) == White && img.pixel(420, 260) == White && img.pixel(1023, 120) == White);
            QVERIFY(img.pixel(340, 15) == White && img.pixel(340, 14) == Black && img.pixel(300, 223) == Black);
            drag(&f.s, {{100, 50}}, Qt::RightButton); // the right button draws nothing
            QVERIFY(f.holds(want));
        }
        Fixture f; // a new potential shows at once, 0.01 100 rows up; not a number on the middle row
        std::vector<double> loaded(N, 0.01);
        loaded[500] = std::nan("");
        f.s.setPot(loaded.data());
        f.s.setPot(nullptr); // nothing to copy: nothing changes
        QVERIFY(f.shot().pixel(300, 100) == White && f.shot().pixel(500, 200) == White && f.s.history()->count() == 1 && screenCurrent(&f.s));
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
                Fixture f;
                f.s.setPot(pot.data());
                f.s.packOnOff(true);
                drag(&f.s, {{512, 100}});
                std::vector<cplx> wave(N);
                initPacket(wave.data(), 512, 100, 100, 0, 10, 400);
                f.s.potOnOff(!packet);
                f.s.flevelChanged(30);
                f.s.fourierOnOff(fourier);
                drag(&f.s, {{700, y}});
                std::vector<double> want = pot;
                int last = -1;
                if (fourier && !packet)
                    SmoothingFilter().smooth(want.data(), 700, 700, 300.0);
                else if (!fourier && !packet)
                    PotentialPen::apply(want.data(), N, PotentialPen::Tent, 700, (200 - y) * 0.0001, 50, last);
                else if (!fourier && y < 200)
                    initPacket(wave.data(), 700, 200 - y, 100, 0, 10, 400);
                QVERIFY2(f.holds(want) && f.holds(wave) && screenCurrent(&f.s), qPrintable(QString("mode %1, row %2").arg(mode).arg(y)));
                f.s.clear();
                QVERIFY(packet ? f.holds(want) : std::count(f.s.getPot(), f.s.getPot() + N, 0.0) == N);
            }
        }
    }

    void framesEqualTheReferenceOnTheScreen()
    {
        std::vector<double> V(N, 0.0);
        for (int k = 0; k < N; ++k)
            V[k] = k > 600 && k < 650 ? 0.01 : k > 200 && k < 260 ? -0.005 : 0.0;
        const double odd[] = {std::nan(""), 1e9, -1e9, 0.05, -0.0199, 0.0199, HUGE_VAL, -0.00995};
        std::copy(std::begin(odd), std::end(odd), V.begin() + 100); // off screen, on the edges, not a number
        std::vector<cplx> a(N), b(N);
        initPacket(a.data(), 300, 150, 80, 60, 10, 400);
        initPacket(b.data(), 700, 180, 120, -40, 20, 400);
        const cplx special[] = {0.0, {1e300, -1e300}, {1.5e308, 1.5e308}, {std::nan(""), 0}, {HUGE_VAL, 1},
                                {-HUGE_VAL, -HUGE_VAL}, {1e-310, -1e-310}, {5e-4, 4.99e-4}, {0.000999, 0}, {0.0025, 0},
                                {0.15, 0.36}, {0.2, 0.21}}; // the last two: 200 |z| within 1e-13 of a whole number
        std::copy(std::begin(special), std::end(special), a.begin() + 100); // under the odd potential too
        std::copy(std::begin(special), std::end(special), b.begin() + 20);
        std::fill(b.begin() + 40, b.begin() + 60, 0.0);
        std::vector<cplx> a2 = a; // a changed at 300..340 only
        for (int k = 300; k <= 340; ++k)
            a2[k] *= std::polar(1.2, 0.5);
        for (int w = 500; w <= 2000; w += 97) {
            Fixture f(w, 400);
            // Each frame against the reference, and on the screen once the repaints are through.
            auto frame = [&](const std::vector<cplx> &psi, const double *pot) {
                f.s.drawEvolution(psi.data(), pot);
                const QString diff = differsFromReference(f.s.viewImage(), psi.data(), pot, w, 400);
                QVERIFY2(diff.isEmpty() && screenCurrent(&f.s), qPrintable(QStringLiteral("width %1: %2").arg(w).arg(diff)));
            };
            frame(a, V.data());
            frame(b, nullptr);
            frame(a, V.data());
            frame(a2, V.data()); // a change in part of the packet
            f.s.drawSelection(QRect(10, 10, 300, 300)); // drawn over: the next frame starts afresh
            frame(b, V.data());
        }
    }

    void packetAndEvolutionOnTheScreen()
    {
        Fixture f;
        f.s.packOnOff(true);
        drag(&f.s, {{512, 100}});
        f.fill(0.002);
        std::vector<cplx> ref(N);
        f.s.setP(40);
        f.s.setZ(5); // rebuilds, as every packet slider does, and advances by 5 steps of 50 on the current potential
        initPacket(ref.data(), 512, 100, 100, 40, 10, 400);
        Propagator prop(f.s.getPot(), ref.data(), N);
        for (int n = 0; n < 5; ++n)
            prop.step(50.0);
        QVERIFY(f.holds(ref) && screenCurrent(&f.s));

        f.fill(0.01);
        bool posted = false;
        f.s.startEvolution(true);
        QTimer::singleShot(0, &f.s, [&] { posted = true; });
        QTest::qWait(50); // the 0 ms timer must not starve other events
        QVERIFY(posted && !f.holds(ref));
        f.s.startEvolution(false);
        const std::vector<cplx> stopped(f.s.wave(), f.s.wave() + N);
        QTest::qWait(20);
        QVERIFY(f.holds(stopped) && screenCurrent(&f.s));
        // From here the ticks by hand, each checked on the screen; the start blanks it.
        f.s.startEvolution(true);
        f.s.findChild<QTimer *>()->stop();
        QVERIFY(f.shot().pixel(512, 150) == Black && f.shot().pixel(5, 200) == Black && screenCurrent(&f.s));
        for (int n = 0; n < 3; ++n) {
            f.s.paintEvolution();
            QVERIFY(screenCurrent(&f.s));
        }
        QVERIFY(f.shot().pixel(5, 100) != Black && f.shot().pixel(5, 101) == Black); // standing on the potential
        // An edit during the run is used by the very next step.
        f.s.potOnOff(true);
        f.s.penHOnOff(true);
        drag(&f.s, {{600, 150}});
        QVERIFY(screenCurrent(&f.s));
        std::vector<cplx> expected(f.s.wave(), f.s.wave() + N);
        Propagator(f.s.getPot(), expected.data(), N).step(50.0);
        f.s.paintEvolution();
        QVERIFY(f.holds(expected) && screenCurrent(&f.s));
        f.s.startEvolution(false); // the potential curve again
        QVERIFY(f.shot().pixel(600, 150) == White && screenCurrent(&f.s));
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
            const QImage before = f.shot();
            f.s.flevelChanged(30);
            f.s.fourierOnOff(true);
            const QPoint a(leftToRight ? 200 : 300, 50), b(leftToRight ? 300 : 200, 350);
            drag(&f.s, {a, b}, Qt::RightButton); // only the left button selects: no band, no change
            QVERIFY(f.shot() == before && f.holds(v) && screenCurrent(&f.s));
            sendMouse(&f.s, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
            sendMouse(&f.s, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
            // The band, XOR-ed over columns 200..300 and rows 50..350, corners included; no change yet.
            const QImage band = f.shot();
            QVERIFY(f.holds(v) && screenCurrent(&f.s));
            for (QPoint p : {QPoint(200, 50), QPoint(300, 350), QPoint(250, 350), QPoint(200, 100)})
                QCOMPARE(band.pixel(p), 0xffffffu ^ before.pixel(p));
            QVERIFY(band.pixel(301, 350) == before.pixel(301, 350) && band.pixel(250, 351) == before.pixel(250, 351));
            sendMouse(&f.s, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
            QVERIFY(f.holds(expected) && screenCurrent(&f.s) && f.shot().pixel(250, 50) == Black); // the band is gone
        }
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
