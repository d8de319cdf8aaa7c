#include "plot.h"
#include "window.h"
#include "windowplacement.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

template <class T> T *find(const QWidget &w, const QString &text)  // the child of type T showing `text`
{
    for (T *c : w.findChildren<T *>())
        if (c->text() == text)
            return c;
    return nullptr;
}

static QSlider *slider(const QWidget &w, const char *name) { return w.findChild<QSlider *>(name); }
static QRgb rgb(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }
static const QString Severe = "Error: Es ist ein schwerwiegender Anwendungsfehler aufgetreten!\n\n";

class TestWindow : public QObject
{
    Q_OBJECT
    QStringList boxes;  // "title: text" of every message box, each closed at once
    QTimer closer;
    bool helpShownAsBroken = false;  // the help's lines unwrapped and all in sight
private slots:
    void initTestCase()
    {
        connect(&closer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + ": " + box->text();
                box->button(QMessageBox::Ok)->click();
            } else if (auto *bar = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget())) {
                boxes << bar->windowTitle() + ": " + bar->labelText();
                bar->cancel();
            } else if (auto *help = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                const QLabel *text = help->findChild<QLabel *>("helpText");
                boxes << help->windowTitle() + ": " + text->text();
                helpShownAsBroken = !text->wordWrap() && text->size().expandedTo(text->sizeHint()) == text->size();
                help->accept();
            }
        });
        closer.start(0);
    }

    void barrierShownCalculatedAndRescaled()
    {
        Window w;
        std::vector<double> s(1024, 0.0);
        std::fill(s.begin() + 400, s.begin() + 600, 0.005);
        QVERIFY(!w.setPotential(s.data(), 1024));
        Plot *plot = w.plot();
        QVERIFY(plot && plot->isWindow() && plot->isVisible());
        QCOMPARE(w.windowTitle() + "|" + plot->windowTitle(), QString("Streuung einer ebenen Welle|Streuamplituden"));
        // As wide as its controls need, and the plot 10 pixels right of it (no window manager here).
        const int W = w.width();
        QVERIFY(W >= 600);
        QCOMPARE(QList<QRect>({w.geometry(), plot->geometry()}), QList<QRect>({{0, 0, W, 500}, {W + 10, 0, 500, 500}}));
        w.show();
        for (const char *name : {"Potentialbreite", "Potentialskala"}) {  // the handle's travel from end to end
            QSlider *s = slider(w, name);
            QStyleOptionSlider o;
            o.initFrom(s);
            o.minimum = s->minimum();
            o.maximum = s->maximum();
            auto handleAt = [&](int v) {
                o.sliderPosition = v;
                return s->style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, s).x();
            };
            QVERIFY2(handleAt(o.maximum) - handleAt(o.minimum) >= 150, name);
        }
        QVERIFY(find<QLabel>(w, "0.00200") && find<QLabel>(w, "1") && find<QLabel>(w, "2*Vmax"));
        QCOMPARE(plot->maximumEnergy(), 10);  // twice the largest grid sample, 5
        const QImage img = w.grab().toImage();
        // Green potential: 0..10 spans P = H - B - 100 above yOffset 5; x = 60 + grid * (W - 80) / 1200.
        const int H = w.height(), P = H - find<QPushButton>(w, "Help")->height() - 100, top = int(H - 85 - P / 2.0);
        const int in = 60 + 600 * (W - 80) / 1200, out = 60 + 200 * (W - 80) / 1200;  // grid 600 inside, 200 outside
        QVERIFY(rgb(img, in, top) == 0x00ff00 && rgb(img, out, H - 85) == 0x00ff00 && rgb(img, in, H - 85) == 0);
        find<QPushButton>(w, "Calc")->click();
        const int n = plot->storedPoints();  // point 0, then 1999 or 2000 energies from V_right = 0
        QVERIFY2(boxes.isEmpty() && (n == 2000 || n == 2001), qPrintable(QString::number(n)));
        slider(w, "Potentialbreite")->setValue(1);
        slider(w, "Potentialskala")->setValue(250);
        slider(w, "Energiemaximum")->setValue(0);
        QVERIFY(find<QLabel>(w, "0.00001") && find<QLabel>(w, "0.5") && find<QLabel>(w, "10*Vmax"));
        QCOMPARE(w.scaledSamples()[500], 2.5);  // scale 0.5, whatever the energy range
        QCOMPARE(plot->maximumEnergy(), 50);
    }

    void edgesScaleSliderAndOddPotentials()
    {
        Window w;  // `edges` loads a potential; a refused one gives a null point
        auto edges = [&w](const std::vector<double> &v) {
            return w.setPotential(v.data(), int(v.size())) ? QPoint() : QPoint(w.leftEdge(), w.rightEdge());
        };
        std::vector<double> s(1024, 0.0);
        s[0] = 0.3;  // the margin 0..87 continues grid sample 88 at 300
        QCOMPARE(edges(s), QPoint(88, 89));
        s[0] = 0.0;
        std::fill(s.begin() + 512, s.end(), 0.01);  // a step: no artificial one at the margin
        QCOMPARE(edges(s), QPoint(599, 600));
        QCOMPARE(edges(std::vector<double>(1024, 0.01)), QPoint(0, 1199));  // flat: the whole grid
        s.assign(1024, 0.001);
        s[500] = 0.0027;  // largest grid sample 2.7: (1000 / 5.4) * 2.7 falls just short of 500
        QVERIFY(!edges(s).isNull());
        QCOMPARE(slider(w, "Potentialskala")->value(), 499);
        QVERIFY(find<QLabel>(w, "0.998") && w.scaledSamples() == w.rawSamples());  // sweeps use the plain copy
        QCOMPARE(w.findChildren<Plot *>().size(), 1);  // each potential replaces the plot
        s.assign(1024, -0.002);  // no positive sample: "Energiemaximum" scales the depth 3
        std::fill(s.begin() + 300, s.begin() + 700, -0.005);
        QVERIFY(!edges(s).isNull());
        for (int v = 8; v >= 0; --v) {  // eMax = (10 - v) / 2 * 3; the drawing never flips
            slider(w, "Energiemaximum")->setValue(v);
            slider(w, "Potentialskala")->setValue(300 + v);
            QVERIFY(w.eMax() == (10 - v) * 1.5 && w.potentialScale() > 0 && w.scaledSamples()[500] < 0);
            find<QPushButton>(w, "Calc")->click();
            QVERIFY2(w.plot()->storedPoints() > 2000, qPrintable(QString::number(w.plot()->storedPoints())));
        }
        const QPoint e = edges(std::vector<double>(5000, 0.004));  // more than the grid holds
        QVERIFY(e.x() >= 0 && e.x() < e.y() && e.y() <= 1199);
    }

    void refusedPotentialsTooWideBarrierAndHelp()
    {
        Window w;
        std::vector<double> s(1024, 0.0), bad(1024, std::nan(""));
        bad[10] = HUGE_VAL;  // all zero, no samples, no finite sample: refused alike
        QVERIFY(w.setPotential(s.data(), 1024) && w.setPotential(nullptr, 1024) && w.setPotential(bad.data(), 1024));
        QCOMPARE(boxes, QStringList(3, Severe + "Sie müssen schon ein von Null verschiedenes Potential angeben.\n"));
        QVERIFY(!w.plot() && !find<QPushButton>(w, "Calc")->isEnabled() && !slider(w, "Energiemaximum")->isEnabled());
        std::fill(s.begin() + 200, s.begin() + 800, 0.01);
        QVERIFY(!w.setPotential(s.data(), 1024));
        slider(w, "Potentialbreite")->setValue(100000);  // c = 1: growth like e^(600 sqrt 10)
        find<QPushButton>(w, "Calc")->click();
        QCOMPARE(w.plot()->storedPoints(), 1);  // every energy overflowed
        find<QPushButton>(w, "Calc")->click();  // once more for the next sweep
        QCOMPARE(boxes.mid(3), QStringList(2, Severe + "Das Potential ist zu breit um durchtunnelt zu werden.\n"));
        std::fill(s.begin() + 12, s.begin() + 1012, -0.05);  // a wide well at c = 1: seconds of sweep
        QVERIFY(!w.setPotential(s.data(), 1024));
        find<QPushButton>(w, "Calc")->click();  // the progress dialog comes up and is cancelled
        QCOMPARE(boxes.value(5), QString("Streuung einer ebenen Welle: Die Streukoeffizienten werden berechnet ..."));
        QVERIFY(w.plot()->storedPoints() > 1 && w.plot()->storedPoints() < 1000);
        find<QPushButton>(w, "Help")->click();
        const QByteArray help = boxes.value(6).toUtf8().mid(15);  // the specified text after "Kurzanleitung: "
        QCOMPARE(QCryptographicHash::hash(help, QCryptographicHash::Md5).toHex(), "46cfcb23c1ee034632cd3487d0b4f527");
        QVERIFY(helpShownAsBroken);
    }

    void sideWindowsBesideTheirAnchor()
    {
        const QRect main(610, 250, 700, 590), scattering(1020, 555, 900, 525);
        const struct { QRect anchor; QSize frame; QVector<QRect> taken; QPoint at; QRect on = {0, 0, 1920, 1080}; } cases[] = {
            {{100, 100, 700, 600}, {500, 500}, {}, {810, 100}},    // right of it
            {{1300, 100, 600, 600}, {500, 500}, {}, {790, 100}},   // no room right: left of it
            {{100, 100, 1700, 300}, {500, 500}, {}, {100, 410}},   // below it
            {{100, 600, 1700, 400}, {500, 500}, {}, {100, 90}},    // above it
            {main, {900, 525}, {main}, {1020, 555}},               // no room: low and right, clear of the controls
            {scattering, {500, 500}, {main, scattering}, {1420, 0}},  // a free corner of the screen
            // 1600 x 1000, main window top left: the scattering window low right, its plot on the
            // main window's drawing area rather than on the scattering window or any controls
            {{0, 0, 707, 590}, {905, 525}, {{0, 0, 707, 590}}, {695, 475}, {0, 0, 1600, 1000}},
            {{695, 475, 905, 525}, {510, 525}, {{0, 0, 707, 590}, {695, 475, 905, 525}}, {175, 475}, {0, 0, 1600, 1000}},
        };
        for (const auto &c : cases)
            QCOMPARE(WindowPlacement::beside(c.anchor, c.frame, c.on, 10, c.taken), c.at);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
