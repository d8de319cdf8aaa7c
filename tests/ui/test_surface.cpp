#include "propagator.h"
#include "schdrawingsurface.h"
#include "smoothingfilter.h"
#include "uitestutil.h"
#include "wavepacket.h"

#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

using cplx = std::complex<double>;
constexpr int N = SchDrawingSurface::N;
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

// A frame drawn the plain way: black, then in column i the line from y - L to y in the colour of
// psi[k(i)], the colour from the formula in long double. `loose` has bit c set for a column where
// channel c's exact value lies within 1e-6 of a whole number: there a difference of 1 is allowed.
struct ReferenceFrame {
    QImage image;
    std::vector<int> loose;
    ReferenceFrame(const cplx *psi, const double *V, int w, int h)
        : image(w, h, QImage::Format_RGB32), loose(w)
    {
        image.fill(Black);
        for (int i = 0; i < w; ++i) {
            const int k = std::min(i * N / w, N - 1);
            const cplx z = psi[k];
            int rgb[3] = {103, 103, 183};
            if (std::isfinite(z.real()) && std::isfinite(z.imag())) {
                const long double m = std::hypot((long double)z.real(), (long double)z.imag());
                const long double t = std::atan2((long double)z.imag(), (long double)z.real()), s = 1 - std::exp(-5 * m);
                const long double c[3] = {std::cos(t), std::cos(t + 4.2L), std::cos(t + 2.1L)};
                for (int ch = 0; ch < 3; ++ch) {
                    const long double term = ((202 * c[ch] + 50) * c[ch] - (ch == 2 ? 180 : 100)) * s;
                    rgb[ch] += int(term);
                    if (std::fabs(term - std::round(term)) < 1e-6L)
                        loose[i] |= 1 << ch;
                }
            }
            const double length = 0.5 * h * std::abs(z);
            const int L = length >= 0 ? int(std::min(length, 1e6)) : 0;
            double y = h / 2 - (V ? V[k] : 0.0) / 0.0001; // rows as the surface maps values:
            if (std::fabs(y - std::round(y)) < 1e-9)      // within 1e-9 of a row is on it,
                y = std::round(y);
            y = std::isnan(y) ? h / 2 : std::clamp(y, -1e6, 1e6); // NaN on the middle row
            for (int row = std::max(int(y) - L, 0); row <= std::min(int(y), h - 1); ++row)
                image.setPixel(i, row, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    }
    // Where `got` differs from the reference (no message: equal).
    QString differs(const QImage &got) const
    {
        if (got.size() != image.size())
            return QStringLiteral("size");
        for (int y = 0; y < image.height(); ++y) {
            const auto *g = reinterpret_cast<const QRgb *>(got.constScanLine(y));
            const auto *e = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            if (std::equal(g, g + image.width(), e))
                continue;
            for (int x = 0; x < image.width(); ++x) {
                bool ok = g[x] == e[x] || (g[x] != Black && e[x] != Black);
                for (int ch = 0; ch < 3 && g[x] != e[x]; ++ch) {
                    const int d = std::abs(int((g[x] >> (16 - 8 * ch)) & 255) - int((e[x] >> (16 - 8 * ch)) & 255));
                    ok = ok && (d == 0 || (d == 1 && (loose[x] >> ch & 1)));
                }
                if (!ok)
                    return QStringLiteral("(%1, %2): %3 instead of %4").arg(x).arg(y).arg(g[x], 0, 16).arg(e[x], 0, 16);
            }
        }
        return {};
    }
};

// Collects the areas a widget is asked to repaint.
struct PaintRecorder : QObject {
    QRegion painted;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};

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

    void framesEqualTheReferenceAndRepaintWhatChanged()
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
            PaintRecorder recorder;
            f.s.installEventFilter(&recorder);
            // Each frame against the reference; every pixel that changed must be repainted.
            auto frame = [&](const std::vector<cplx> &psi, const double *pot) {
                const QImage before = f.s.viewImage().copy();
                recorder.painted = QRegion();
                f.s.drawEvolution(psi.data(), pot);
                QCoreApplication::processEvents();
                const QString diff = ReferenceFrame(psi.data(), pot, w, 400).differs(f.s.viewImage());
                if (!diff.isEmpty())
                    QFAIL(qPrintable(QStringLiteral("width %1: %2").arg(w).arg(diff)));
                for (int y = 0; y < 400; ++y) {
                    const auto *was = reinterpret_cast<const QRgb *>(before.constScanLine(y));
                    const auto *is = reinterpret_cast<const QRgb *>(f.s.viewImage().constScanLine(y));
                    for (int x = 0; x < w; ++x)
                        if (was[x] != is[x] && !recorder.painted.contains(QPoint(x, y)))
                            QFAIL(qPrintable(QStringLiteral("width %1: (%2, %3) not repainted").arg(w).arg(x).arg(y)));
                }
            };
            frame(a, V.data()); // on the potential curve of the fixture
            frame(b, nullptr);
            frame(a, V.data());
            frame(a2, V.data());
            const QRect band = recorder.painted.boundingRect(); // only the columns of 300..340
            QVERIFY2(band.left() >= 300 * w / N && band.right() <= 341 * w / N, qPrintable(QString::number(w)));
            frame(a2, V.data());
            QVERIFY(recorder.painted.isEmpty()); // nothing changed, nothing repainted
            f.s.drawSelection(QRect(10, 10, 300, 300)); // drawn over: the next frame starts afresh
            frame(b, V.data());
        }
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
        QVERIFY(img.pixel(5, 100) != Black);
        QCOMPARE(img.pixel(5, 101), Black);
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
