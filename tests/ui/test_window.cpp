#include "plot.h"
#include "uitestutil.h"
#include "window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Samples of the surface: `level` on [from, to), 0 elsewhere.
std::vector<double> barrier(int from, int to, double level)
{
    std::vector<double> s(1024, 0.0);
    for (int i = from; i < to; ++i)
        s[i] = level;
    return s;
}

bool hasLabel(const QWidget &w, const QString &text)
{
    for (const QLabel *l : w.findChildren<QLabel *>())
        if (l->text() == text)
            return true;
    return false;
}

QPushButton *button(const QWidget &w, const QString &text)
{
    for (QPushButton *b : w.findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Records and closes every message box that opens while it lives (also inside a sweep).
struct BoxLog
{
    QStringList titles;
    QStringList texts;
    QTimer timer;
    BoxLog()
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer.start();
    }
};

const QString SevereError = "Es ist ein schwerwiegender Anwendungsfehler aufgetreten!\n\n";

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void initialStateAndLabels();
    void sliderLabels();
    void edges();
    void scaleSliderFallsShort();
    void allNegativePotential();
    void zeroPotentialRefused();
    void helpText();
    void calcFillsPlot();
    void tooWideBarrierReportedOncePerSweep();
    void potentialDrawnWhereExpected();
    void badInputIsHarmless();
};

void TestWindow::initialStateAndLabels()
{
    Window w;
    const auto s = barrier(400, 600, 0.005);
    QVERIFY(!w.setPotential(s.data(), 1024));
    QCOMPARE(w.windowTitle(), QString("Streuung einer ebenen Welle"));
    QCOMPARE(w.geometry(), QRect(0, 0, 600, 500));
    QVERIFY(hasLabel(w, "0.00200"));
    QVERIFY(hasLabel(w, "1"));
    QVERIFY(hasLabel(w, "2*Vmax"));
    QVERIFY(hasLabel(w, " Potentialbreite: "));
    QVERIFY(hasLabel(w, " Potentialskala: "));
    QVERIFY(hasLabel(w, " Energiemaximum: "));
    QVERIFY(button(w, "Help") && button(w, "Calc"));
    QVERIFY(button(w, "Calc")->isEnabled());
    QCOMPARE(w.eMax(), 10.0); // twice the largest sample times 1000

    auto *width = w.findChild<QSlider *>("Potentialbreite");
    auto *scale = w.findChild<QSlider *>("Potentialskala");
    auto *energy = w.findChild<QSlider *>("Energiemaximum");
    QVERIFY(width && scale && energy);
    QCOMPARE(width->value(), 200);
    QCOMPARE(scale->value(), 500);
    QCOMPARE(energy->value(), 8);
    QCOMPARE(energy->orientation(), Qt::Vertical);

    Plot *plot = w.plot();
    QVERIFY(plot);
    QVERIFY(plot->isWindow() && plot->isVisible());
    QCOMPARE(plot->objectName(), QString("Moril2"));
    QCOMPARE(plot->geometry(), QRect(610, 0, 500, 500)); // beside the 600-pixel window
    QCOMPARE(plot->maximumEnergy(), 10);
    QCOMPARE(w.findChildren<Plot *>().size(), 1);
}

void TestWindow::sliderLabels()
{
    Window w;
    const auto s = barrier(400, 600, 0.005);
    QVERIFY(!w.setPotential(s.data(), 1024));
    auto *width = w.findChild<QSlider *>("Potentialbreite");
    width->setValue(1);
    QVERIFY(hasLabel(w, "0.00001"));
    width->setValue(100000);
    QVERIFY(hasLabel(w, "1.00000"));
    QCOMPARE(w.widthFactorValue(), 1.0);

    w.findChild<QSlider *>("Potentialskala")->setValue(250); // half the initial 500
    QVERIFY(hasLabel(w, "0.5"));
    QCOMPARE(w.scaledSamples()[500], 2.5); // 0.005 * 1000 * 0.5

    w.findChild<QSlider *>("Energiemaximum")->setValue(0);
    QVERIFY(hasLabel(w, "10*Vmax"));
    QCOMPARE(w.eMax(), 50.0);
    QCOMPARE(w.plot()->maximumEnergy(), 50);
    QCOMPARE(w.potentialScale(), 0.5); // the energy range leaves the drawing scale alone
}

void TestWindow::edges()
{
    Window first;
    std::vector<double> s(1024, 0.0);
    s[0] = 0.3;
    QVERIFY(!first.setPotential(s.data(), 1024));
    // Margin 0..87 holds 0.3 unscaled, grid sample 88 holds 300.
    QCOMPARE(first.leftEdge(), 87);
    QCOMPARE(first.rightEdge(), 89);
    QCOMPARE(first.rawSamples()[87], 0.3);
    QCOMPARE(first.rawSamples()[88], 300.0);

    Window uniform;
    const std::vector<double> u(1024, 0.01);
    QVERIFY(!uniform.setPotential(u.data(), 1024));
    QCOMPARE(uniform.leftEdge(), 87);
    QCOMPARE(uniform.rightEdge(), 1112);

    Window box;
    const auto b = barrier(400, 600, 0.005);
    QVERIFY(!box.setPotential(b.data(), 1024));
    QCOMPARE(box.leftEdge(), 88 + 399);
    QCOMPARE(box.rightEdge(), 88 + 600);
}

void TestWindow::scaleSliderFallsShort()
{
    Window w;
    std::vector<double> s = barrier(300, 700, 0.001);
    s[500] = 0.0027; // largest grid sample 2.7: (1000 / 5.4) * 2.7 falls just short of 500
    QVERIFY(!w.setPotential(s.data(), 1024));
    QCOMPARE(w.findChild<QSlider *>("Potentialskala")->value(), 499);
    QVERIFY(hasLabel(w, "0.998"));
    QVERIFY(std::fabs(w.potentialScale() - 0.998) < 1e-12);
    // The calculation still uses the plain copy, not the samples times 0.998.
    QVERIFY(w.scaledSamples() == w.rawSamples());
}

void TestWindow::allNegativePotential()
{
    Window w;
    const std::vector<double> s(1024, -0.002);
    QVERIFY(!w.setPotential(s.data(), 1024));
    // Margins -0.002 unscaled, interior -2: the energy range is their distance.
    QCOMPARE(w.eMax(), std::fabs(-0.002 - -2.0));
    QCOMPARE(w.plot()->maximumEnergy(), 1); // 1.998 truncated

    // The energy slider now makes eMax negative: Calc computes no energies and returns.
    w.findChild<QSlider *>("Energiemaximum")->setValue(0);
    QVERIFY(w.eMax() < 0);
    button(w, "Calc")->click();
    QCOMPARE(w.plot()->storedPoints(), 1);
}

void TestWindow::zeroPotentialRefused()
{
    Window w;
    QString title;
    QString text;
    onNextModal([&](QWidget *box) {
        title = box->windowTitle();
        text = qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    const std::vector<double> zeros(1024, 0.0);
    QVERIFY(w.setPotential(zeros.data(), 1024));
    QCOMPARE(title, QString("Error"));
    QCOMPARE(text, SevereError + "Sie müssen schon ein von Null verschiedenes Potential angeben.\n");
    QVERIFY(!button(w, "Calc")->isEnabled());
    QVERIFY(!w.findChild<QSlider *>("Potentialbreite")->isEnabled());
    QVERIFY(!w.findChild<QSlider *>("Potentialskala")->isEnabled());
    QVERIFY(!w.findChild<QSlider *>("Energiemaximum")->isEnabled());
    QVERIFY(!w.plot());
    QVERIFY(!w.isVisible());
}

void TestWindow::helpText()
{
    Window w;
    QString title;
    QString text;
    onNextModal([&](QWidget *box) {
        title = box->windowTitle();
        text = qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    button(w, "Help")->click();
    QCOMPARE(title, QString("Kurzanleitung"));
    const QString expected =
        "Kurzanleitung zur Berechnung der Streukoeffizienten\n\n\n"
        "Im linken Fenster wird das Potential dargestellt. Die Höhen-Skalierung kann\n"
        "mittels des rechten Sliders eingestellt werden.\n"
        "Ferner kann die Potentialbreite skaliert werden. Hierbei sind Werte im Bereich\n"
        "um 0.002 und kleiner sinnvoll. Bei sehr schmalen Potentialen koennen auch größere\n"
        "Werte verwendet werden. Der Slider am linken Rand legt das Energiemaximum fest, bis\n"
        "zu dem berechnet wird. Gleichzeitig wird damit die Darstellung der Koeffizienten im \n"
        "rechten Fenster skaliert.\n"
        "Anklicken des <Calc>-Buttons berechnet dann die Reflektions- und Absorp-\n"
        "tionskonstanten über der Energie. Diese Verteilung wird dann im rechten\n"
        "Fenster dargestellt. Dort kann man sich mittels eines Energiesliders die\n"
        "zugehörigen Werte anzeigen lassen.\n\n"
        "Viel Vergnügen mit dem Programm!";
    QCOMPARE(text, expected);
    QVERIFY(text.contains(QChar(0x00f6)) && text.contains(QChar(0x00df))); // ö and ß intact
}

void TestWindow::calcFillsPlot()
{
    Window w;
    const auto s = barrier(400, 600, 0.005);
    QVERIFY(!w.setPotential(s.data(), 1024));
    BoxLog boxes;
    button(w, "Calc")->click();
    QCOMPARE(boxes.titles.size(), 0);
    // Point 0 plus 1999 or 2000 energies from V_right = 0 to eMax in steps of eMax / 2000.
    const int n = w.plot()->storedPoints();
    QVERIFY2(n == 2000 || n == 2001, qPrintable(QString::number(n)));

    // The marker at 2 (slider 200 of 1000 across 10) reads a stored pair with R + T = 1.
    w.plot()->grab();
    const QString r = w.plot()->rText();
    const QString t = w.plot()->tText();
    QVERIFY(r.startsWith("R=") && t.startsWith("T="));
    const double sum = r.mid(2).toDouble() + t.mid(2).toDouble();
    QVERIFY(std::fabs(sum - 1.0) < 1e-5);
}

void TestWindow::tooWideBarrierReportedOncePerSweep()
{
    Window w;
    const auto s = barrier(200, 800, 0.01);
    QVERIFY(!w.setPotential(s.data(), 1024));
    w.findChild<QSlider *>("Potentialbreite")->setValue(100000); // c = 1: e^(600 sqrt 10) growth
    BoxLog boxes;
    button(w, "Calc")->click();
    QCOMPARE(boxes.titles, QStringList{"Error"});
    QCOMPARE(boxes.texts.value(0), SevereError + "Das Potential ist zu breit um durchtunnelt zu werden.\n");
    QCOMPARE(w.plot()->storedPoints(), 1); // only the first point; every energy overflowed
    button(w, "Calc")->click();
    QCOMPARE(boxes.titles.size(), 2); // once again for the next sweep
}

void TestWindow::potentialDrawnWhereExpected()
{
    Window w;
    const auto s = barrier(400, 600, 0.005);
    QVERIFY(!w.setPotential(s.data(), 1024));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage img = w.grab().toImage();
    // Independent geometry: P = H - B - 100; vMin = 0 gives yOffset 5; the range 0..10 spans P.
    const int H = w.height();
    const int P = H - button(w, "Help")->height() - 100;
    const double xScale = (w.width() - 80) / 1200.0;
    const int top = int((H - 80) - 5000 * 0.001 * (P / 10.0) - 5.0);
    const int zero = H - 85;
    const int xIn = 60 + int(std::floor(500 * xScale)); // grid 500 = sample 412, inside
    const int xOut = 60 + int(std::floor(200 * xScale));
    QCOMPARE(img.pixel(xIn, top) & 0xffffff, 0x00ff00u);
    QCOMPARE(img.pixel(xOut, zero) & 0xffffff, 0x00ff00u);
    QCOMPARE(img.pixel(xIn, zero) & 0xffffff, 0x000000u);
}

void TestWindow::badInputIsHarmless()
{
    {
        Window w;
        onNextModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY(w.setPotential(nullptr, 1024)); // nothing to copy: refused like all zeros
    }
    {
        Window w;
        std::vector<double> s(1024, std::numeric_limits<double>::quiet_NaN());
        s[10] = std::numeric_limits<double>::infinity();
        onNextModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY(w.setPotential(s.data(), 1024)); // no finite sample left: refused
    }
    {
        Window w;
        const std::vector<double> s(5000, 0.004); // more than the grid holds
        QVERIFY(!w.setPotential(s.data(), 5000));
        QVERIFY(w.leftEdge() >= 0 && w.leftEdge() < w.rightEdge() && w.rightEdge() <= 1199);
        const auto b = barrier(100, 300, 0.002);
        QVERIFY(!w.setPotential(b.data(), 1024)); // a second potential replaces the plot
        QCOMPARE(w.findChildren<Plot *>().size(), 1);
        QCOMPARE(w.findChild<QSlider *>("Potentialskala")->value(), 500);
        w.grab();
    }
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
