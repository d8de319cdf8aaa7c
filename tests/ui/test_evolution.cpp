// SPDX-License-Identifier: GPL-3.0-or-later
// The running evolution on the surface (control or input -> what must happen):
//   Start, tempo    a frame every 16 ms (precise) with a second's steps 16, 48, 128, 512; fastest: a step a 0 ms tick
//                   a new tempo from the next frame; stopped time is not made up; after the stop no tick counts
//   single step     one step, on the screen at once, the status told
//   restart         the packet as placed, bit for bit, t = 0, also while running
//   marks           <E> on its row, the band of +-Delta E, the dotted line on the highest point until Ctrl + drag
//   status line     time, left/right of the line, norm, <x>, Delta x, <p>, Delta p, <E>, Delta E
//   quantaura-export evolve   the window's simulation (option ranges and rows: test_examples)
#include "physics/wavepacket.h"
#include "ui/evolution/evolutioncomposer.h"
#include "ui/evolution/potentialmodel.h"
#include "csvwriter.h"
#include "evolvecommand.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

using cplx = std::complex<double>;
constexpr int N = GridPoints;
const QRgb Black = qRgb(0, 0, 0), White = qRgb(255, 255, 255);
const QRgb Energy = EvolutionComposer::EnergyColour, Band = EvolutionComposer::BandColour, Dot = EvolutionComposer::LineColour;

class TestEvolution : public QObject
{
    Q_OBJECT

private slots:
    void framesFollowTheClockAtTheChosenTempo()
    {
        SurfaceFixture f;
        f.place({300, 150});
        f.s.setP(100);
        QTimer *timer = f.s.findChild<QTimer *>();
        long long steps = 0;
        const int rates[] = {16, 48, 128, 512};
        for (int t = Pacer::VerySlow; t <= Pacer::Fast; ++t) { // a second at 60 frames per second
            f.s.pacing()->setTempo(t);
            QVERIFY2(!timer->isActive(), "a tempo does not start a stopped evolution");
            f.s.startEvolution(true);
            timer->stop(); // the ticks are given by hand
            QCOMPARE(QList<int>({timer->interval(), timer->timerType()}), QList<int>({16, Qt::PreciseTimer}));
            const double start = f.now;
            for (int k = 1; k <= 60; ++k)
                f.frameAt(start + k / 60.0);
            const long long done = f.s.simulation().stepCount() - steps;
            QVERIFY2(std::abs(done - rates[t]) <= 1, qPrintable(QString("tempo %1: %2 steps").arg(t).arg(done)));
            steps += done;
            f.s.startEvolution(false);
        }
        QVERIFY(screenCurrent(&f.s));
        f.s.startEvolution(true);
        f.s.pacing()->setTempo(Pacer::Fastest); // while running: a 0 ms timer, a step a tick
        QCOMPARE(timer->interval(), 0);
        timer->stop();
        f.frameAt(f.now);
        f.frameAt(f.now);
        QCOMPARE(f.s.simulation().stepCount(), steps + 2);
        f.s.pacing()->setTempo(Pacer::Normal);
        f.s.startEvolution(false);
        const QImage stopped = f.shot();
        f.frameAt(f.now + 100.0); // a tick still queued after the stop: nothing
        QCOMPARE(f.s.simulation().stepCount(), steps + 2);
        QCOMPARE(f.shot(), stopped);
        f.s.startEvolution(true); // the stopped time is not made up
        f.frameAt(f.now + 0.25);
        QCOMPARE(f.s.simulation().stepCount(), steps + 2 + 32);
        f.s.startEvolution(false);
    }

    void singleStepAndRestart()
    {
        SurfaceFixture f;
        std::vector<double> well(N, 0.0);
        std::fill(well.begin() + 300, well.begin() + 700, -0.01);
        f.s.setPot(well.data());
        f.place({450, 120});
        const std::vector<cplx> placed = f.wave();
        f.s.singleStep(); // while stopped: one step, on the screen at once
        QCOMPARE(f.s.simulation().stepCount(), 1);
        QVERIFY(f.wave() != placed);
        QVERIFY(screenCurrent(&f.s));
        QVERIFY(f.s.statusText().startsWith(QString::fromUtf8("t = 1 Schritte = 50 m·Δx²/ħ")));
        f.s.setZ(7); // the same packet, rebuilt and run ahead
        f.s.singleStep();
        QCOMPARE(f.s.simulation().stepCount(), 8);
        f.s.resize(1024, 300); // a rebuild would now give another height; a restart does not
        QCoreApplication::processEvents();
        f.s.restart();
        QVERIFY2(f.wave() == placed, "the packet as placed, bit for bit");
        QCOMPARE(f.s.simulation().stepCount(), 0);
        QVERIFY(screenCurrent(&f.s));
        f.runByHand(); // while running, the run goes on from the start
        f.frameAt(101.0);
        f.frameAt(102.0);
        QCOMPARE(f.s.simulation().stepCount(), 2);
        f.s.restart();
        QVERIFY(f.s.isRunning());
        QVERIFY2(f.wave() == placed, "restarted while running");
        f.frameAt(103.0);
        QCOMPARE(f.s.simulation().stepCount(), 1);
        QVERIFY(screenCurrent(&f.s));
        f.s.startEvolution(false);
    }

    void energyBandMeasuringLineAndStatus()
    {
        // Plateau 0.005 (row 150) left of 500, barrier 0.01 at 600..620 (highest point 610); a packet of
        // momentum 100 at 300: <E> = 0.005 + 2.6e-4 (row 147), Delta E = 2.5e-4 (rows 144 to 149).
        SurfaceFixture f;
        std::vector<double> pot(N, 0.0);
        std::fill(pot.begin(), pot.begin() + 500, 0.005);
        std::fill(pot.begin() + 600, pot.begin() + 621, 0.01);
        f.s.setPot(pot.data());
        QCOMPARE(f.shot().pixel(610, 30), Black); // no packet: no marks
        QVERIFY(f.s.statusText().isEmpty());
        f.s.setDX(100);
        f.s.setP(100);
        f.place({300, 150});
        QCOMPARE(f.s.measuringLine(), 610);
        for (const char *mode : {"packet", "potential"}) {
            const QImage img = f.shot();
            const struct { int x, y; QRgb colour; } marks[] = {{100, 147, Energy}, {100, 145, Band}, {100, 149, Band},
                {100, 143, Black}, {610, 30, Dot}, {610, 31, Black}, {610, 33, Dot}, {611, 30, Black}}; // every third row
            for (const auto &m : marks)
                QVERIFY2(img.pixel(m.x, m.y) == m.colour, qPrintable(QString("%1: (%2, %3)").arg(mode).arg(m.x).arg(m.y)));
            QVERIFY2(screenCurrent(&f.s), mode);
            f.s.potOnOff(true);
        }
        QCOMPARE(f.shot().pixel(100, 150), White); // the potential over the marks
        // The status line: each number in its unit and decimals.
        const auto fixed = [](double v, int d) { return QString::number(std::fabs(v) < 0.5 * std::pow(10.0, -d) ? 0.0 : v, 'f', d); };
        const PacketMeasurement m = f.s.simulation().measure(610);
        QCOMPARE(f.s.statusText(), QString::fromUtf8("t = 0 Schritte = 0 m·Δx²/ħ   links 1.000   rechts 0.000   Norm 1.000000\n"
                                                     "⟨x⟩ = 300.0  Δx = 50.0   ⟨p⟩ = %1  Δp = %2   ⟨E⟩ = %3  ΔE = %4")
                                       .arg(fixed(m.meanP, 5), fixed(m.spreadP, 5), fixed(m.meanE, 6), fixed(m.spreadE, 6)));

        // Ctrl + left drag moves the line in every mode and changes nothing else.
        const std::vector<cplx> packet = f.wave();
        const auto modes = {std::pair{"potential", 800}, {"packet", 200}, {"smoothing", 0}};
        for (const auto &[mode, x] : modes) {
            f.s.packOnOff(QByteArray(mode) == "packet");
            f.s.potOnOff(QByteArray(mode) != "packet");
            f.s.fourierOnOff(QByteArray(mode) == "smoothing");
            drag(&f.s, {{450, 300}, {700, 100}, {x, 300}}, Qt::LeftButton, Qt::ControlModifier);
            QVERIFY2(f.s.measuringLine() == x, mode);
            QVERIFY2(f.holds(pot), mode);
            QVERIFY2(f.wave() == packet, mode);
            QVERIFY2(f.s.potential()->history()->count() == 1, mode);
            QVERIFY2(f.shot().pixel(x, 30) == Dot, mode);
            QVERIFY2(f.shot().pixel(610, 30) == Black, mode);
            QVERIFY2(screenCurrent(&f.s), mode);
        }
        f.s.fourierOnOff(false);
        QVERIFY(f.s.statusText().contains("links 0.000   rechts 1.000"));
        pot[900] = 0.015; // a line that was moved stays
        f.s.setPot(pot.data());
        QCOMPARE(f.s.measuringLine(), 0);
        f.s.followHighestPoint();
        QCOMPARE(f.s.measuringLine(), 900);
        QCOMPARE(f.shot().pixel(900, 300), Dot);
        drag(&f.s, {{300, 10}}); // and follows it again, also through a pen stroke
        QCOMPARE(f.s.measuringLine(), 300);
        f.s.setMeasuringLine(5000); // at most past the last point: all of it left
        QCOMPARE(f.s.measuringLine(), N);
        QVERIFY(f.s.statusText().contains("links 1.000   rechts 0.000"));
    }

    void exportEvolveRunsTheWindowsSimulation()
    {
        std::array<double, N> pot{};
        std::fill(pot.begin() + 508, pot.begin() + 516, 0.005); // the barrier example: highest point 511
        QStringList complaints;
        const auto run = [&](const QStringList &args, std::string &out) {
            QCommandLineParser parser;
            EvolveCommand::addOptions(parser);
            if (!parser.parse(QStringList("quantaura-export") + args))
                return -1;
            CsvWriter csv{CsvFormat{}};
            complaints.clear();
            const int status = EvolveCommand::run(parser, pot, csv, [&](const QString &text) { complaints << text; });
            out = csv.text();
            return status;
        };
        std::string out;
        QCOMPARE(run({"--x0", "3", "--p", "1", "--line", "-1"}, out), 2);
        QCOMPARE(complaints, QStringList("--line -1: erwartet eine ganze Zahl von 0 bis 1024."));
        QCOMPARE(run({"--x0", "300", "--p", "100", "--steps", "25", "--every", "10"}, out), 0);
        QStringList rows = QString::fromStdString(out).trimmed().split('\n');
        QCOMPARE(rows.size(), 5); // every 10 steps and the last
        // The window's packet, placed there with the sliders' values, after 25 steps.
        SurfaceFixture f;
        f.s.setPot(pot.data());
        f.s.setP(100);
        f.place({300, 100});
        f.s.setZ(25);
        const PacketMeasurement m = f.s.simulation().measure(511);
        const QStringList last = rows.last().split(',');
        const double want[] = {1250, m.norm, m.meanX, m.meanP, m.meanE, m.spreadE, m.left, m.right};
        for (int k = 0; k < 8; ++k)
            QVERIFY2(std::fabs(last[k].toDouble() - want[k]) <= 1e-9 * std::fabs(want[k]) + 1e-15,
                     qPrintable(QString("column %1: %2, window %3").arg(k).arg(last[k]).arg(want[k])));
        QCOMPARE(run({"--x0", "300", "--p", "100", "--steps", "20"}, out), 0); // by default every 10 steps
        QCOMPARE(QString::fromStdString(out).count('\n'), 4);
        QCOMPARE(run({"--x0", "300", "--p", "100", "--steps", "0", "--line", "0"}, out), 0);
        QVERIFY(QString::fromStdString(out).endsWith(",0,1\n")); // all right of a line at 0

        // Tunnelling example, the evolution's particle: the lowest pair goes left to right in 2557 steps, <E> kept.
        for (int j = 0; j < N; ++j)
            pot[j] = std::fabs(j - 511.5) < 4 ? 0.004 : (std::fabs(j - 511.5) < 104 ? -0.02 : 0.0);
        QCOMPARE(run({"--states", "1,0", "--steps", "2557", "--every", "2557"}, out), 0);
        rows = QString::fromStdString(out).trimmed().split('\n');
        QCOMPARE(rows.takeFirst().section(',', 0, 0), QString("t [m dx^2/hbar] states=1+0 line=511 digits=10"));
        const QStringList start = rows.value(0).split(','), half = rows.value(1).split(',');
        QCOMPARE(start[0] + " " + half.value(0), QString("0 127850"));
        QCOMPARE(start[6].left(4) + " " + half.value(7).left(4), QString("0.99 0.99")); // left at first, right after half a period
        QVERIFY2(std::fabs(half.value(1).toDouble() - 1.0) < 1e-9, qPrintable("norm: " + rows.value(1)));
        QCOMPARE(half.value(4), start[4]); // <E>
    }
};

QTEST_MAIN(TestEvolution)
#include "test_evolution.moc"
