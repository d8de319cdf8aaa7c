#include "plot.h"
#include "uitestutil.h"
#include "window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Samples of the surface: `level` on [from, to), 0 elsewhere.
std::vector<double> barrier(int from, int to, double level)
{
    std::vector<double> s(1024, 0.0);
    std::fill(s.begin() + from, s.begin() + to, level);
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

QSlider *slider(const QWidget &w, const char *name)
{
    return w.findChild<QSlider *>(name);
}

// Records and closes every message box that opens while it lives (also inside a sweep).
struct BoxLog
{
    QStringList titles, texts;
    QTimer timer;
    BoxLog()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer.start(0);
    }
};

const QString SevereError = "Es ist ein schwerwiegender Anwendungsfehler aufgetreten!\n\n";

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void initialStateAndLabels();
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
    QVERIFY(hasLabel(w, "0.00200") && hasLabel(w, "1") && hasLabel(w, "2*Vmax"));
    QCOMPARE(slider(w, "Potentialskala")->value(), 500);
    QCOMPARE(w.eMax(), 10.0); // twice the largest grid sample, 5
    Plot *plot = w.plot();
    QVERIFY(plot && plot->isWindow() && plot->isVisible());
    QCOMPARE(plot->objectName(), QString("Moril2"));
    QCOMPARE(plot->geometry(), QRect(610, 0, 500, 500)); // beside the 600-pixel window
    QCOMPARE(plot->maximumEnergy(), 10);

    slider(w, "Potentialbreite")->setValue(1);
    QVERIFY(hasLabel(w, "0.00001"));
    slider(w, "Potentialskala")->setValue(250);
    QVERIFY(hasLabel(w, "0.5"));
    QCOMPARE(w.scaledSamples()[500], 2.5);
    slider(w, "Energiemaximum")->setValue(0);
    QVERIFY(hasLabel(w, "10*Vmax"));
    QCOMPARE(plot->maximumEnergy(), 50);
    QCOMPARE(w.potentialScale(), 0.5); // the energy range leaves the drawing scale alone
}

void TestWindow::edges()
{
    Window first;
    std::vector<double> s(1024, 0.0);
    s[0] = 0.3; // margin 0..87 holds 0.3 unscaled, grid sample 88 holds 300
    QVERIFY(!first.setPotential(s.data(), 1024));
    QCOMPARE(first.leftEdge(), 87);
    QCOMPARE(first.rightEdge(), 89);

    Window uniform;
    const std::vector<double> u(1024, 0.01);
    QVERIFY(!uniform.setPotential(u.data(), 1024));
    QCOMPARE(uniform.leftEdge(), 87);
    QCOMPARE(uniform.rightEdge(), 1112);
}

void TestWindow::scaleSliderFallsShort()
{
    Window w;
    std::vector<double> s = barrier(300, 700, 0.001);
    s[500] = 0.0027; // largest grid sample 2.7: (1000 / 5.4) * 2.7 falls just short of 500
    QVERIFY(!w.setPotential(s.data(), 1024));
    QCOMPARE(slider(w, "Potentialskala")->value(), 499);
    QVERIFY(hasLabel(w, "0.998"));
    QVERIFY(w.scaledSamples() == w.rawSamples()); // the calculation uses the plain copy
}

void TestWindow::allNegativePotential()
{
    Window w;
    const std::vector<double> s(1024, -0.002);
    QVERIFY(!w.setPotential(s.data(), 1024));
    QCOMPARE(w.eMax(), std::fabs(-0.002 - -2.0)); // unscaled margins against the interior
    QCOMPARE(w.plot()->maximumEnergy(), 1);        // 1.998 truncated
    slider(w, "Energiemaximum")->setValue(0);     // eMax = 10 * -0.002 < 0
    button(w, "Calc")->click();                   // computes no energies and returns
    QCOMPARE(w.plot()->storedPoints(), 1);
}

void TestWindow::zeroPotentialRefused()
{
    Window w;
    QString title, text;
    onNextModal([&](QWidget *box) {
        title = box->windowTitle();
        text = qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    const std::vector<double> zeros(1024, 0.0);
    QVERIFY(w.setPotential(zeros.data(), 1024));
    QCOMPARE(title, QString("Error"));
    QCOMPARE(text, SevereError + "Sie müssen schon ein von Null verschiedenes Potential angeben.\n");
    QVERIFY(!button(w, "Calc")->isEnabled() && !slider(w, "Potentialbreite")->isEnabled() &&
            !slider(w, "Potentialskala")->isEnabled() && !slider(w, "Energiemaximum")->isEnabled());
    QVERIFY(!w.plot() && !w.isVisible());
}

void TestWindow::helpText()
{
    Window w;
    QString title, text;
    onNextModal([&](QWidget *box) {
        title = box->windowTitle();
        text = qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    button(w, "Help")->click();
    QCOMPARE(title, QString("Kurzanleitung"));
    QCOMPARE(text, QString("Kurzanleitung zur Berechnung der Streukoeffizienten\n\n\n"
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
                           "Viel Vergnügen mit dem Programm!"));
    QVERIFY(text.contains(QChar(0x00f6)) && text.contains(QChar(0x00df))); // ö and ß as characters
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
    w.plot()->grab(); // the marker at energy 2 reads a stored pair with R + T = 1
    const double sum = w.plot()->rText().mid(2).toDouble() + w.plot()->tText().mid(2).toDouble();
    QVERIFY(std::fabs(sum - 1.0) < 1e-5);
}

void TestWindow::tooWideBarrierReportedOncePerSweep()
{
    Window w;
    const auto s = barrier(200, 800, 0.01);
    QVERIFY(!w.setPotential(s.data(), 1024));
    slider(w, "Potentialbreite")->setValue(100000); // c = 1: growth like e^(600 sqrt 10)
    BoxLog boxes;
    button(w, "Calc")->click();
    QCOMPARE(boxes.titles, QStringList{"Error"});
    QCOMPARE(boxes.texts.value(0), SevereError + "Das Potential ist zu breit um durchtunnelt zu werden.\n");
    QCOMPARE(w.plot()->storedPoints(), 1); // every energy overflowed
    button(w, "Calc")->click();
    QCOMPARE(boxes.titles.size(), 2); // once more for the next sweep
}

void TestWindow::potentialDrawnWhereExpected()
{
    Window w;
    const auto s = barrier(400, 600, 0.005);
    QVERIFY(!w.setPotential(s.data(), 1024));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage img = w.grab().toImage();
    // P = H - B - 100; vMin = 0 gives yOffset 5 and the range 0..10 spans P.
    const int H = w.height();
    const int P = H - button(w, "Help")->height() - 100;
    const double xScale = (w.width() - 80) / 1200.0;
    const int top = int((H - 80) - 5.0 * (P / 10.0) - 5.0);
    const int xIn = 60 + int(std::floor(500 * xScale)); // grid 500 = sample 412
    const int xOut = 60 + int(std::floor(200 * xScale));
    QCOMPARE(img.pixel(xIn, top) & 0xffffff, 0x00ff00u);
    QCOMPARE(img.pixel(xOut, H - 85) & 0xffffff, 0x00ff00u);
    QCOMPARE(img.pixel(xIn, H - 85) & 0xffffff, 0x000000u);
}

void TestWindow::badInputIsHarmless()
{
    Window w;
    onNextModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
    QVERIFY(w.setPotential(nullptr, 1024)); // nothing to copy: refused like all zeros
    std::vector<double> s(1024, std::nan(""));
    s[10] = HUGE_VAL;
    onNextModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
    QVERIFY(w.setPotential(s.data(), 1024)); // no finite sample: refused
    const std::vector<double> many(5000, 0.004); // more than the grid holds, flat
    QVERIFY(!w.setPotential(many.data(), 5000));
    QVERIFY(w.leftEdge() >= 0 && w.leftEdge() < w.rightEdge() && w.rightEdge() <= 1199);
    const auto b = barrier(100, 300, 0.002);
    QVERIFY(!w.setPotential(b.data(), 1024)); // a second potential replaces the plot
    QCOMPARE(w.findChildren<Plot *>().size(), 1);
    button(w, "Calc")->click();
    w.grab();
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
