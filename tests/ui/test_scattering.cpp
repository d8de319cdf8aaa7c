// SPDX-License-Identifier: GPL-3.0-or-later
// The scattering window and its coefficient plot (control or input -> what must happen):
//   a potential      its ScatterSetup's edges, ranges, scale; the plot 10 pixels right, replaced by the next one
//   refused          all zero, no samples, nothing finite: its message, the four controls greyed
//   labels           width "0.00200", scale factor (6 digits), "f*Vmax", or "f*Tiefe" with no sample above 0
//   Potentialbreite  PageUp/Down 0.001, Shift+arrow 0.0001; typed: what toDouble takes, a comma too; else the smallest
//   Energiemaximum   (10 - v) Vmax; the potential keeps its height, the scale slider follows
//   Calc             2001 points, progress every 16 energies up to 1, cancel keeps the points; one message after it
//   plot             R (red, top), T (green, bottom) in frames, captions; ticks of 10^n, from a first point below 0
//   marker           the first stored point at or above it, 6 digits, none in a gap; arrows walk; XOR restores
#include "physics/scattersetup.h"
#include "ui/scattering/plot.h"
#include "ui/scattering/window.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <array>
#include <cmath>

static const QRgb Black = 0x000000, White = 0xffffff, Blue = 0x0000ff, Red = 0xff0000, Green = 0x00ff00, Gray = 0xa0a0a4;
static const QString Severe = "Error: Es ist ein schwerwiegender Anwendungsfehler aufgetreten!\n\n";
static QSlider *slider(const QWidget &w, const char *name) { return w.findChild<QSlider *>(name); }
static QLineEdit *widthEntry(const QWidget &w) { return w.findChild<QLineEdit *>("PotentialbreiteWert"); }
// What the width entry and the scale and energy labels show, as "0.00200 1 2*Vmax".
static QString shown(const QWidget &w)
{
    QStringList texts(widthEntry(w)->text());
    for (QLabel *l : w.findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (l->frameStyle() == (QFrame::Panel | QFrame::Sunken))
            texts << l->text();
    return texts.join(' ');
}
static QRgb at(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }
static void expectPixels(const QImage &img, std::initializer_list<std::array<QRgb, 3>> pixels) // {x, y, colour}
{
    for (const auto &p : pixels)
        QVERIFY2(at(img, p[0], p[1]) == p[2], qPrintable(QString::asprintf("(%u, %u)", p[0], p[1])));
}
// How many pixels of `area` have `colour` (Red, Green: mostly that, as smoothed text is).
static int count(const QImage &img, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = at(img, x, y);
            n += colour == Red ? qRed(c) > 100 && qGreen(c) + qBlue(c) < 60 : colour == Green ? qGreen(c) > 100 && qRed(c) + qBlue(c) < 60 : c == colour;
        }
    return n;
}
// Does the box `area` of `w`, but for 40 pixels at either end, hold just `text`, white and centred?
static bool textAlone(QWidget &w, QRect area, const QString &text)
{
    QImage ref(w.size(), QImage::Format_RGB32);
    ref.fill(Qt::black);
    QPainter p(&ref);
    p.setPen(Qt::white);
    p.drawText(area, Qt::AlignCenter, text);
    p.end();
    area.adjust(40, 0, -40, 0);
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(area) == ref.copy(area);
}

class TestScattering : public QObject
{
    Q_OBJECT
private slots:
    void barrierShownCalculatedAndRescaled()
    {
        Window w;
        ScatterRecorder &said = recordReports(w);
        std::vector<double> s(1024, 0.0);
        std::fill(s.begin() + 400, s.begin() + 600, 0.5); // 500 in the window's units
        QVERIFY(!w.setPotential(s.data(), 1024));
        Plot *plot = w.plot();
        QCOMPARE(w.windowTitle() + " | " + plot->windowTitle(), QString("Streuung einer ebenen Welle | Streuamplituden"));
        for (QWidget *side : std::initializer_list<QWidget *>{&w, plot})
            QVERIFY2(!side->testAttribute(Qt::WA_QuitOnClose), side->metaObject()->className());
        const int W = w.width();
        QVERIFY2(W >= 600, qPrintable(QString::number(W)));
        QVERIFY(plot->isWindow());
        QVERIFY(plot->isVisible());
        QCOMPARE(QList<QRect>({w.geometry(), plot->geometry()}), QList<QRect>({{0, 0, W, 500}, {W + 10, 0, 500, 500}}));
        w.show();
        QCOMPARE(shown(w), QString("0.00200 1 2*Vmax"));
        QCOMPARE(QList<int>({slider(w, "Potentialskala")->value(), slider(w, "Energiemaximum")->value(), plot->maximumEnergy()}),
                 QList<int>({500, 8, 1000}));
        // Green potential: 0..1000 spans P = H - B - 100 above yOffset 5; x = 60 + grid * (W - 80) / 1200.
        const QImage img = w.grab().toImage();
        const int H = w.height(), P = H - find<QPushButton>(w, "Help")->height() - 100, top = int(H - 85 - P / 2.0);
        const int in = 60 + 600 * (W - 80) / 1200, out = 60 + 200 * (W - 80) / 1200; // grid 600 inside, 200 outside
        expectPixels(img, {{QRgb(in), QRgb(top), Green}, {QRgb(out), QRgb(H - 85), Green}, {QRgb(in), QRgb(H - 85), Black}});
        // The last of 2000 energies lands on the maximum; the potential keeps its height, the scale slider follows.
        for (int v : {8, 5, 0}) {
            slider(w, "Energiemaximum")->setValue(v);
            QCOMPARE(QList<double>({w.eMax(), w.potentialScale(), w.scaledSamples()[500], double(slider(w, "Potentialskala")->value())}),
                     QList<double>({(10 - v) * 500.0, 1.0, 500.0, double(1000 / (10 - v))}));
            find<QPushButton>(w, "Calc")->click();
            QCOMPARE(plot->storedPoints(), 2001);
            QCOMPARE(said.shares.size(), 125); // a report every 16 energies, up to the end
            QCOMPARE(said.shares.last(), 1.0);
            plot->slider()->setValue(1000);
            QVERIFY2(screenCurrent(plot), "the plot on the screen");
            QCOMPARE(plot->energyText(), QString::number(w.eMax()));
            QVERIFY2(plot->rText().startsWith("R="), qPrintable(plot->rText()));
            QCOMPARE(said.said, QStringList());
        }
        // A scale step is worth 0.01 at 10 Vmax, 0.009 at 9; a factor out of reach (9 at 2 Vmax) is the largest.
        const QList<std::tuple<const char *, int, QString>> steps = {{"Potentialskala", 101, "1.01 10*Vmax"},
            {"Energiemaximum", 1, "1.01 9*Vmax"}, {"Potentialskala", 113, "1.017 9*Vmax"}, {"Potentialskala", 1000, "9 9*Vmax"},
            {"Energiemaximum", 8, "2 2*Vmax"}, {"Energiemaximum", 0, "2 10*Vmax"}, {"Potentialskala", 50, "0.5 10*Vmax"}};
        for (const auto &[name, value, labels] : steps) {
            slider(w, name)->setValue(value);
            QCOMPARE(shown(w), "0.00200 " + labels);
        }
        QCOMPARE(w.scaledSamples()[500], 250.0);
    }

    void widthSliderStepsAndTypedValues()
    {
        Window w;
        std::vector<double> s(1024, 0.0);
        s[500] = 0.01;
        QVERIFY(!w.setPotential(s.data(), 1024));
        QSlider *width = slider(w, "Potentialbreite");
        QLineEdit *entry = widthEntry(w);
        const auto key = [width](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(width, k, m); };
        const auto type = [entry](const char *text) { entry->setText(text), QTest::keyClick(entry, Qt::Key_Return); };
        const struct { std::function<void()> act; int value; QString text; } steps[] = {
            {[&] { key(Qt::Key_PageUp); }, 300, "0.00300"},
            {[&] { key(Qt::Key_Right, Qt::ShiftModifier); }, 310, "0.00310"},
            {[&] { key(Qt::Key_Right); }, 311, "0.00311"},
            {[&] { key(Qt::Key_PageDown); }, 211, "0.00211"},
            {[&] { type("0.005"); }, 500, "0.00500"},
            {[&] { type(" 0,0123456 "); }, 1235, "0.01235"},
            {[&] { type(".002"); }, 200, "0.00200"},
            {[&] { type("7"); }, 100000, "1.00000"},
            {[&] { type("Breite"); }, 1, "0.00001"}, // not a number: the smallest, written out
            {[&] { type("1e-5"); }, 1, "1e-5"}, // the same value: nothing to do
        };
        for (const auto &step : steps) {
            step.act();
            QCOMPARE(width->value(), step.value);
            QCOMPARE(entry->text(), step.text);
            QCOMPARE(w.widthFactorValue(), ScatterSetup::widthFactor(step.value));
        }
    }

    void windowShowsItsSetup()
    {
        Window w;
        std::vector<double> first(1024, 0.0), peak(1024, 0.001), pit(1024, -0.002), well(1024, 0.0);
        first[0] = 0.3;
        peak[500] = 0.0027; // the scale slider at 499, its label 0.998
        std::fill(pit.begin() + 300, pit.begin() + 700, -0.005); // no positive sample
        std::fill(well.begin() + 300, well.begin() + 700, -0.005); // none either: its rim is 0
        const QList<std::pair<const std::vector<double> *, QString>> cases = {
            {&first, "1 2*Vmax"}, {&peak, "0.998 2*Vmax"}, {&well, "1 1*Tiefe"}, {&pit, "1 1*Tiefe"}};
        for (const auto &[s, labels] : cases) {
            const ScatterSetup set = ScatterSetup::prepare(s->data(), 1024);
            QVERIFY(!w.setPotential(s->data(), 1024));
            QCOMPARE(w.scaledSamples(), set.raw); // sweeps use the plain copy
            QCOMPARE(QList<double>({double(w.leftEdge()), double(w.rightEdge()), w.eMax(), double(slider(w, "Potentialskala")->value()),
                                    w.potentialScale(), double(w.plot()->maximumEnergy())}),
                     QList<double>({double(set.leftEdge), double(set.rightEdge), set.eMax, double(set.scaleValue),
                                    ScatterSetup::potentialScale(set.eMax, set.scaleValue, set.vRef), double(int(set.eMax))}));
            QCOMPARE(w.findChildren<Plot *>().size(), 1); // each potential replaces the plot
            QCOMPARE(shown(w).section(' ', 1), labels);
        }
    }

    void refusedPotentialsTooWideBarrierAndHelp()
    {
        Window w;
        ScatterRecorder &said = recordReports(w);
        std::vector<double> s(1024, 0.0), bad(1024, std::nan(""));
        bad[10] = HUGE_VAL; // all zero, no samples, no finite sample: refused alike
        for (const double *refused : {s.data(), static_cast<double *>(nullptr), bad.data()})
            QVERIFY(w.setPotential(refused, 1024));
        QCOMPARE(said.said, QStringList(3, Severe + "Sie müssen schon ein von Null verschiedenes Potential angeben.\n"));
        QVERIFY(!w.plot());
        for (const QWidget *c : std::initializer_list<const QWidget *>{find<QPushButton>(w, "Calc"), slider(w, "Potentialbreite"),
                                                                       slider(w, "Potentialskala"), slider(w, "Energiemaximum")})
            QVERIFY2(!c->isEnabled(), qPrintable(c->accessibleName()));
        std::fill(s.begin() + 400, s.begin() + 600, 0.01);
        QVERIFY(!w.setPotential(s.data(), 1024));
        QVERIFY(find<QPushButton>(w, "Calc")->isEnabled());
        slider(w, "Potentialbreite")->setValue(50000); // c = 0.5: under the barrier T ~ e^(-2 sqrt 5 200)
        said.events.clear();
        find<QPushButton>(w, "Calc")->click();
        QVERIFY2(w.plot()->storedPoints() >= 2000, "every energy, from the first whose T underflows on"); // 20 / 0.01
        QCOMPARE(said.shares.size(), 125);
        // One box, once the sweep has ended and its progress dialog is gone: never one under the other.
        QCOMPARE(said.events, QStringList({"progress opened", "progress closed", "box"}));
        find<QPushButton>(w, "Calc")->click(); // once more for the next sweep
        QCOMPARE(said.said.mid(3), QStringList(2, Severe + "Das Potential ist zu breit um durchtunnelt zu werden.\n"));
        std::fill(s.begin() + 12, s.begin() + 1012, -0.05); // a wide well at c = 1: seconds of sweep
        QVERIFY(!w.setPotential(s.data(), 1024));
        said.cancelAtReport = 2; // the user cancels at the second report, after 2 x 16 energies
        find<QPushButton>(w, "Calc")->click();
        QCOMPARE(said.shares.size(), 2);
        QCOMPARE(w.plot()->storedPoints(), 33);
        QCOMPARE(said.said.size(), 5);
        find<QPushButton>(w, "Help")->click();
        QCOMPARE(said.said.size(), 6);
        QCOMPARE(QCryptographicHash::hash(said.said.value(5).toUtf8().mid(15), QCryptographicHash::Md5).toHex(), "46cfcb23c1ee034632cd3487d0b4f527");
        QVERIFY(said.said.value(5).startsWith("Kurzanleitung: "));
        QVERIFY(said.helpUnwrapped);
        // Without a recorder: this dialog after 400 ms of sweep, stopping it when cancelled (never waited for here).
        DialogProgress progress(&w);
        const QProgressDialog &d = progress.dialog();
        QCOMPARE(d.windowTitle() + " | " + d.labelText(), QString("Streuung einer ebenen Welle | Die Streukoeffizienten werden berechnet ..."));
        QCOMPARE(QList<int>({d.minimumDuration(), d.windowModality(), d.maximum()}), QList<int>({400, Qt::ApplicationModal, 1000}));
        QVERIFY(progress.advance(0.25));
        QCOMPARE(d.value(), 250);
        progress.dialog().cancel();
        QVERIFY(!progress.advance(0.5));
    }

    void plotLayoutCaptionsAndTicks()
    {
        Plot plot(nullptr, "Moril2", 100); // axis 0..100 over 400 pixels
        const QImage empty = plot.grab().toImage(); // frames on the rows 50..236 and 265..451; column 70 free of ticks
        expectPixels(empty, {{70, 49, Black}, {70, 50, White}, {70, 236, White}, {70, 265, White}, {70, 451, White}});
        QVERIFY(textAlone(plot, QRect(0, 480, 500, 15), "Energie E [Vmax]"));
        QVERIFY(textAlone(plot, QRect(0, find<QLabel>(plot, "20")->height(), 500, 20), "Transmissions- und Reflektionskoeffizienten"));
        QVERIFY2(count(empty, QRect(5, 50, 20, 190), Red) > 50, "the red caption beside R");
        QVERIFY2(count(empty, QRect(5, 260, 20, 190), Green) > 50, "the green caption beside T");
        plot.addPoint(0.5, 0.25, 0.0, 0); // a single point draws nothing
        QCOMPARE(plot.grab().toImage(), empty);
        for (int k = 1; k <= 52; ++k) // then R = 0.5, T = 0.25 up to energy 50, R = 1, T = 0 beyond
            plot.addPoint(k > 50 ? 1.0 : 0.5, k > 50 ? 0.0 : 0.25, k > 51 ? 100.0 : double(k), k);
        // R = 0.5 at 236 - 93 = 143, T = 0.25 at 451 - 46.5 -> 405; R = 1 and T = 0 on the frames.
        expectPixels(plot.grab().toImage(), {{70, 143, Red}, {70, 405, Green}, {300, 50, Red}, {300, 451, Green}});
        QVERIFY(screenCurrent(&plot));
        // Ticks of 10^n to the first multiple at or above the maximum; the dotted grid at them, off the marker (130).
        const struct { double maxEnergy; QVector<int> ticks; } cases[] = {
            {350, {0, 100, 200, 300, 400}}, {1000, {0, 1000}}, {1, {0, 1}}, {0.7, {0, 1}}, {-40, {0, 1}},
            {std::nan(""), {0, 1}}, {99, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}}};
        for (const auto &c : cases) {
            plot.setMaxEnergy(c.maxEnergy);
            QCOMPARE(plot.tickValues(), c.ticks);
            QCOMPARE(plot.axisEnd(), c.ticks.last());
            const QImage img = plot.grab().toImage();
            for (int i = 1; i + 1 < c.ticks.size(); ++i)
                if (const int x = 50 + 400 * i / (c.ticks.size() - 1); x != 130)
                    QVERIFY2(count(img, QRect(x, 52, 1, 15), Gray) > 3, qPrintable(QString("%1: grid at tick %2").arg(c.maxEnergy).arg(i)));
            QVERIFY2((count(img, QRect(90, 52, 1, 15), Gray) > 0) == (c.maxEnergy == 99),
                     qPrintable(QString("%1: a grid line of another scale").arg(c.maxEnergy)));
        }
        plot.reset();
        plot.addPoint(0.5, 0.5, -1.5, 0); // a first point below 0: finer ticks where 10^n would leave much empty
        plot.setMaxEnergy(100);
        QCOMPARE(plot.tickValues(), QVector<int>({-10, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    }

    void plotMarkerReadoutsAndXor()
    {
        Plot plot(nullptr, "Moril2", 400);
        auto rAt = [&plot](int slider) { // the marker moves on the screen at once
            plot.slider()->setValue(slider);
            return screenCurrent(&plot) ? plot.rText() : QString("not on the screen");
        };
        plot.grab(); // slider 200 of 1000 across 400; no sweep yet
        QCOMPARE(plot.markerPosition(), 80.0);
        QCOMPARE(plot.energyText(), QString("80"));
        QCOMPARE(plot.markerColumn(), 130);
        QCOMPARE(plot.rText(), QString());
        for (int k = 0; k < 200; ++k)
            plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, double(k), k);
        const QImage before = plot.grab().toImage();
        QCOMPARE(plot.rText() + " " + plot.tText(), QString("R=0.08 T=0.92"));
        QCOMPARE(rAt(300), QString("R=0.12")); // marker 80 -> 120, where R lies on row 236 - 0.12 * 186 -> 214
        expectPixels(before, {{130, 60, Blue}, {130, 40, Black}, {170, 60, Black}, {170, 214, Red}});
        expectPixels(plot.grab().toImage(), {{130, 60, Black}, {170, 60, Blue}, {170, 214, Red ^ Blue}});
        rAt(200);
        QCOMPARE(plot.grab().toImage(), before);
        QCOMPARE(rAt(497), QString("R=0.199")); // 198.8: the next stored energy
        QCOMPARE(rAt(700), QString());          // 280: past them
        plot.reset(); // a skipped index is a gap: no stale value read out
        for (int k : {0, 1, 2, 3, 5})
            plot.addPoint(k / 20.0, 1.0 - k / 20.0, double(k), k);
        QCOMPARE(rAt(10), QString());         // energy 4 -> index 4, skipped
        QCOMPARE(rAt(12), QString("R=0.25")); // 4.8 -> index 5
        plot.reset(); // a sweep that starts at a level of 30: energies 30, 31, ...
        for (int k = 0; k < 100; ++k)
            plot.addPoint(k / 100.0 + 1e-6, 1.0 - k / 100.0, 30.0 + k, k);
        QCOMPARE(rAt(200), QString("R=0.500001")); // energy 80 is point 50, in 6 digits
        QCOMPARE(rAt(50), QString());              // 20 lies below the first point
        for (int k = 0; k < 100; ++k)
            plot.addPoint(0.5, 0.5, 10.0 + k, k);
        plot.setMaxEnergy(50.9); // truncated to 50: keeps the energies 10..49
        QCOMPARE(plot.maximumEnergy(), 50);
        QCOMPARE(plot.storedPoints(), 40);
        plot.setMaxEnergy(5.0); // below every stored energy: none left
        QCOMPARE(plot.storedPoints(), 0);
    }

    void readoutAtEveryStoredPoint()
    {
        // Energies summed in steps of 0.005 miss its multiples: every slider step (0.01) still reads its point.
        Plot plot(nullptr, "Moril2", 10);
        plot.show();
        const double dE = 10 * 0.0005;
        std::vector<double> energies;
        double e = 0.0;
        for (int k = 0; k <= 400; ++k, e += dE) {
            energies.push_back(e);
            plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, e, k);
        }
        for (int v = 0; v <= 200; ++v) { // marker 0.01 v stands on point 2 v
            plot.slider()->setValue(v);
            QCOMPARE(plot.rText(), "R=" + Plot::readout(2 * v / 1000.0));
        }
        plot.slider()->setValue(0);
        for (int k = 1; k <= 400; ++k) {
            QTest::keyClick(plot.slider(), k % 2 ? Qt::Key_Right : Qt::Key_Up);
            QCOMPARE(plot.markerPosition(), energies[k]);
            QCOMPARE(plot.rText() + " " + plot.tText(), "R=" + Plot::readout(k / 1000.0) + " T=" + Plot::readout(1.0 - k / 1000.0));
            QCOMPARE(plot.energyText(), Plot::readout(energies[k]));
        }
        QVERIFY2(screenCurrent(&plot), "the marker on the last point, on the screen");
        QCOMPARE(plot.markerColumn(), 50 + int(energies[400] * 40.0));
        for (Qt::Key back : {Qt::Key_Left, Qt::Key_Down})
            QTest::keyClick(plot.slider(), back);
        QCOMPARE(plot.markerPosition(), energies[398]);
        QCOMPARE(plot.slider()->value(), int(std::lround(energies[398] / 0.01))); // the slider follows to its nearest step
        plot.setMaxEnergy(5); // a new scale: the marker goes back to the slider's step
        plot.grab();
        QCOMPARE(plot.markerPosition(), plot.slider()->value() * 0.005);
        plot.setMaxEnergy(10);
        const int v = plot.slider()->value() + 1;
        QTest::keyClick(plot.slider(), Qt::Key_PageUp);
        QCOMPARE(plot.markerPosition(), v * 0.01); // and takes over again
        QCOMPARE(plot.rText(), "R=" + Plot::readout(2 * v / 1000.0));

        // A step down of 0.5: the energies below it are gaps; above them every marker reads its point.
        plot.reset();
        plot.addPoint(1.0, 0.0, 0.0, 0);
        e = dE;
        for (int k = 1; k <= 400; ++k, e += dE)
            if (e >= 0.5)
                plot.addPoint(k / 1000.0, 1.0 - k / 1000.0, e, k);
        for (int v : {50, 51, 137, 200}) {
            plot.slider()->setValue(v);
            QCOMPARE(plot.rText(), "R=" + Plot::readout(2 * v / 1000.0));
        }
        plot.slider()->setValue(20); // in the gap
        QCOMPARE(plot.rText(), QString());
    }

    void negativeFloorAxisFromTheFirstPoint()
    {
        // A thin barrier of 2 on a floor of -10: sweep, axis and marker from -10, ticks -10, 0, 10.
        Window w;
        recordReports(w);
        std::vector<double> s(1024, -0.01);
        std::fill(s.begin() + 500, s.begin() + 510, 0.002);
        QVERIFY(!w.setPotential(s.data(), 1024));
        Plot *plot = w.plot();
        QCOMPARE(plot->tickValues(), QVector<int>({0, 1, 2, 3, 4})); // nothing computed yet
        struct Points : ScatterSink
        {
            ScatterSink &plot;
            std::vector<std::array<double, 3>> p; // r, t, e
            explicit Points(ScatterSink &plot) : plot(plot) {}
            void reset() override { p.clear(), plot.reset(); }
            void addPoint(double r, double t, double e, int index) override { p.push_back({r, t, e}), plot.addPoint(r, t, e, index); }
        } points(*plot);
        w.sweep(points);
        QVERIFY2(points.p.size() > 2000u, qPrintable(QString::number(points.p.size())));
        QCOMPARE(points.p[0][2], -10.0);
        QCOMPARE(plot->tickValues(), QVector<int>({-10, 0, 10}));
        plot->slider()->setValue(0); // the marker at the first point, on the axis' left end
        QCOMPARE(plot->markerPosition(), -10.0);
        QCOMPARE(plot->markerColumn(), 50);
        QCOMPARE(plot->rText() + " " + plot->tText(), QString("R=1 T=0"));
        plot->slider()->setValue(1000);
        QCOMPARE(plot->markerPosition(), 4.0);
        // E at column 50 + 20 (E + 10): the first point and one in the tunnelling range, in both curves.
        const QImage img = plot->grab().toImage();
        for (std::size_t k : {std::size_t(1), points.p.size() / 4}) {
            const auto [r, t, e] = points.p[k];
            const int x = 50 + int(20 * (e + 10));
            QVERIFY2(x < 50 + 20 * 10, qPrintable(QString::number(e)));
            const int yR = int(std::ceil(236 - r * 186)), yT = int(std::ceil(451 - t * 186));
            QVERIFY2(at(img, x, yR) == Red, qPrintable(QString("R at E = %1: (%2, %3)").arg(e).arg(x).arg(yR)));
            QVERIFY2(at(img, x, yT) == Green, qPrintable(QString("T at E = %1: (%2, %3)").arg(e).arg(x).arg(yT)));
        }
    }
};

QTEST_MAIN(TestScattering)
#include "test_scattering.moc"
