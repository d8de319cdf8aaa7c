// SPDX-License-Identifier: GPL-3.0-or-later
// The surface's picture (input -> what must happen):
//   a frame     on black, column i shows index i * 1024 / width: a line up by height/2 |psi| rows from the potential's
//               row, in the phase colour; wild values harm nothing; changes inside the area reported; same frame: none
//   marks       behind the wave: a frame erases back to them; new marks make a fresh frame
//   potential   a curve one pixel thin through each column's row, steps joined
//   band        its outline flipped once, twice restores; clear: black
#include "physics/grid.h"
#include "physics/phasecolour.h"
#include "physics/wavepacket.h"
#include "ui/evolution/evolutioncomposer.h"

#include <QtTest>

#include <cmath>
#include <complex>
#include <vector>

using cplx = std::complex<double>;
constexpr int N = GridPoints;
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

// Where a w x h frame of `psi` on V (null: the middle row) differs from black with column i's line in its colour.
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

// The first pixel of `after` outside `area` that differs from `before`.
QString changedOutside(const QImage &before, const QImage &after, const QRect &area)
{
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!area.contains(x, y) && before.pixel(x, y) != after.pixel(x, y))
                return QStringLiteral("(%1, %2) changed outside the reported area").arg(x).arg(y);
    return {};
}

class TestComposer : public QObject
{
    Q_OBJECT

private slots:
    void framesEqualTheReferenceAndReportWhatChanged()
    {
        std::vector<double> V(N, 0.0);
        for (int k = 0; k < N; ++k)
            V[k] = k > 600 && k < 650 ? 0.01 : k > 200 && k < 260 ? -0.005 : 0.0;
        const double odd[] = {std::nan(""), 1e9, -1e9, 0.05, -0.0199, 0.0199, HUGE_VAL, -0.00995};
        std::copy(std::begin(odd), std::end(odd), V.begin() + 100); // off the image, on the edges, not a number
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
            EvolutionComposer c;
            c.resize(w, 400, 1.0);
            // Each frame against the reference; what changed lies inside the area reported.
            QRect area;
            const auto frame = [&](const std::vector<cplx> &psi, const double *pot) {
                const QImage before = c.image().copy();
                area = c.compose(psi.data(), pot);
                QString diff = differsFromReference(c.image(), psi.data(), pot, w, 400);
                if (diff.isEmpty())
                    diff = changedOutside(before, c.image(), area);
                return diff.isEmpty() ? diff : QStringLiteral("width %1: %2").arg(w).arg(diff);
            };
            QString diff;
            QVERIFY2((diff = frame(a, V.data())).isEmpty(), qPrintable(diff));
            QVERIFY2((diff = frame(b, nullptr)).isEmpty(), qPrintable(diff));
            QVERIFY2((diff = frame(a, V.data())).isEmpty(), qPrintable(diff));
            QVERIFY2((diff = frame(a2, V.data())).isEmpty(), qPrintable(diff)); // a change in part of the packet
            QVERIFY2(area.right() < w / 2, qPrintable(QStringLiteral("width %1: the change of 300..340 reported as far as column %2").arg(w).arg(area.right())));
            QVERIFY2((diff = frame(a2, V.data())).isEmpty(), qPrintable(diff));
            QCOMPARE(area, QRect()); // the same frame again: nothing to repaint
            c.xorRectangle(QRect(10, 10, 300, 300)); // drawn over: the next frame starts afresh
            QVERIFY2((diff = frame(b, V.data())).isEmpty(), qPrintable(diff));
            QCOMPARE(area, QRect(0, 0, w, 400));
        }
    }

    void potentialCurveBandAndClear()
    {
        // 0.01 stands 100 rows above the middle; a step is joined.
        EvolutionComposer c;
        c.resize(512, 400, 1.0);
        std::vector<double> pot(N, 0.0);
        std::fill(pot.begin() + 512, pot.end(), 0.01);
        c.drawPotential(pot.data(), White);
        for (QPoint on : {QPoint(0, 200), QPoint(255, 200), QPoint(257, 100), QPoint(511, 100)})
            QVERIFY2(c.image().pixel(on) == White, qPrintable(QString("column %1 off the curve").arg(on.x())));
        QVERIFY2(c.image().pixel(255, 150) == White || c.image().pixel(256, 150) == White, "the step is not joined at row 150");
        const QImage curve = c.image().copy();
        c.xorRectangle(QRect(QPoint(300, 350), QPoint(200, 50))); // corners in either order
        for (QPoint p : {QPoint(200, 50), QPoint(300, 350), QPoint(300, 100), QPoint(250, 200), QPoint(301, 350)}) {
            const bool outline = p.x() <= 300 && (p.x() == 200 || p.x() == 300 || p.y() == 50 || p.y() == 350);
            QVERIFY2(c.image().pixel(p) == (outline ? 0xffffffu ^ curve.pixel(p) : curve.pixel(p)),
                     qPrintable(QString("(%1, %2)").arg(p.x()).arg(p.y())));
        }
        c.xorRectangle(QRect(QPoint(200, 50), QPoint(300, 350)));
        QCOMPARE(c.image(), curve);
        c.clear();
        QImage black(512, 400, QImage::Format_RGB32);
        black.fill(Black);
        QCOMPARE(c.image(), black);
    }

    void marksStayBehindTheFrames()
    {
        EvolutionComposer c;
        c.resize(300, 200, 1.0);
        EvolutionComposer::Overlay marks;
        marks.energyRow = 50, marks.bandTop = 45, marks.bandBottom = 55, marks.lineColumn = 120;
        QVERIFY(c.setOverlay(marks));
        QVERIFY2(!c.setOverlay(marks), "the same again is no change");
        c.clear();
        const QImage blank = c.image();
        QCOMPARE(blank.pixel(10, 45), EvolutionComposer::BandColour); // the marks' pixels: test_evolution
        std::vector<cplx> tall(N, cplx(0.9, 0.2)), zero(N);
        c.compose(tall.data(), nullptr);
        QCOMPARE(c.image().pixel(30, 50), c.image().pixel(30, 60)); // the wave hides the marks
        c.compose(zero.data(), nullptr);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                if (y != 100 && c.image().pixel(x, y) != blank.pixel(x, y)) // the zero wave's foot is row 100
                    QFAIL(qPrintable(QString("(%1, %2) not restored").arg(x).arg(y)));
        marks.energyRow = 60;
        QVERIFY(c.setOverlay(marks));
        QCOMPARE(c.compose(zero.data(), nullptr), QRect(0, 0, 300, 200)); // new marks: a fresh frame
        QCOMPARE(QList<QRgb>({c.image().pixel(10, 60), c.image().pixel(10, 50)}),
                 QList<QRgb>({EvolutionComposer::EnergyColour, EvolutionComposer::BandColour}));
    }
};

QTEST_MAIN(TestComposer)
#include "test_composer.moc"
