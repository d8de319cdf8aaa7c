#include "schefview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <vector>

const QRgb White = 0xffffff, Green = 0x00ff00, Gray = 0xa0a0a4, First = 0xff6400, Second = 0x80647f; // curve 0, 1
const QRect Plot(56, 56, 728, 528); // inside the frame, which covers columns 55..784 and rows 55..584
int count(const QImage &img, QRect area, QRgb colour)
{
    int n = 0;
    for (int i = 0; i < area.width() * area.height(); ++i)
        n += (img.pixel(area.x() + i % area.width(), area.y() + i / area.width()) & 0xffffff) == colour;
    return n;
}
int count(SchEFView &v, QRect area, QRgb colour) { return count(v.grab().toImage(), area, colour); }
int row(SchEFView &v, double e) { return 55 + int(530 - (e - v.energyMin()) * 530 / (v.energyMax() - v.energyMin())); }
// The strip left of the plot, below the controls, holds exactly these white texts (at their baselines).
bool margin(SchEFView &v, const std::vector<std::pair<QString, QPoint>> &texts)
{
    QImage ref(v.size(), QImage::Format_RGB32);
    ref.fill(Qt::black);
    QPainter p(&ref);
    p.setFont(v.font());
    p.setPen(Qt::white);
    for (const auto &t : texts)
        p.drawText(t.second, t.first);
    p.end();
    const QRect strip(0, 32, 54, v.height() - 32);
    return v.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(strip) == ref.copy(strip);
}

class TestSchEFView : public QObject
{
    Q_OBJECT
private slots:
    void zeroPotentialLabelsAndControls()
    {
        std::vector<double> surface(1024, 0.0);
        SchEFView v(surface.data());
        auto *ed = v.findChild<QLineEdit *>();
        QCOMPARE(v.windowTitle(), QStringLiteral("Schrödinger Eigenfunktionen"));
        QVERIFY(v.isWindow() && v.size() == QSize(800, 600) && v.eigenTotal() == 2 && ed->text() == "0");
        QCOMPARE(v.findChild<QSlider *>("Eigen")->maximum(), 1);
        const int y0 = row(v, 0.0), yE0 = row(v, v.eigenValueAt(0));
        const QRect level1(56, row(v, v.eigenValueAt(1)), 729, 1);
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}, {"0.19", {2, yE0 + 3}}}));
        const QImage shot = v.grab().toImage(); // the potential on the zero line, curve 0 at its level
        for (QPoint corner : {QPoint(55, 55), QPoint(784, 55), QPoint(55, 584), QPoint(784, 584)})
            QVERIFY(count(shot, QRect(corner, QSize(1, 1)), White) && !count(shot, QRect(corner + QPoint(1, 1), QSize(1, 1)), White));
        const QRect caption = v.findChild<QLabel *>()->geometry(); // light text on the black window
        QVERIFY(count(shot, caption, 0) < caption.width() * caption.height() - 50);
        QVERIFY(count(shot, QRect(56, y0, 729, 1), Green) > 700 && count(shot, QRect(56, yE0, 729, 1), Gray) > 600);
        QVERIFY(count(shot, Plot, First) > 300 && count(shot, Plot, Second) == 0 && count(shot, level1, Gray) == 0);
        surface.assign(1024, 0.03); // the window keeps its own copy
        QCOMPARE(v.grab().toImage(), shot);
        ed->setText("5"); // beyond the last index: selects it, and the entry follows
        QVERIFY(v.selectedIndex() == 1 && ed->text() == "1" && count(v, Plot, Second) > 300 && !count(v, Plot, First));
        ed->setText(QString());
        QVERIFY(v.selectedIndex() == 0 && ed->text() == "0");
        v.findChild<QPushButton *>("d")->click(); // "Display Eigenwerte": dotted lines at every level
        QVERIFY(v.levelsShown() && count(v, level1, Gray) > 100 && count(v, level1, Gray) < 600);
        v.findChild<QPushButton *>("d")->click();
        emit v.findChild<QComboBox *>()->activated(1); // "3" with two eigenvalues draws two, without their labels
        QVERIFY(!v.isSingleMode() && !v.levelsShown() && count(v, Plot, First) > 300 && count(v, Plot, Second) > 300);
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}}));
    }
    void otherPotentials()
    {
        std::vector<double> surface(1024, 0.03);
        std::fill(surface.begin() + 512, surface.end(), 0.0); // the zero line shows left, above 0
        SchEFView step(surface.data());
        QVERIFY(step.energyMin() < 0.0 && count(step, QRect(60, row(step, 0.0), 300, 1), White) > 290);
        surface.assign(1024, -0.05); // all below 0: no zero line, no "0"
        SchEFView low(surface.data());
        QVERIFY(margin(low, {{"-471.31", {2, 58}}, {"-527.19", {2, 582}}, {"-499.81", {2, 328}}}));
        for (double bad : {qQNaN(), -1e300}) { // no eigenvalue: frame and potential only
            surface.assign(1024, 0.0);
            surface[10] = bad;
            SchEFView v(surface.data());
            emit v.findChild<QComboBox *>()->activated(4);
            v.findChild<QLineEdit *>()->setText("3");
            QVERIFY(v.eigenTotal() == 0 && count(v, QRect(55, 55, 731, 531), Green) > 700);
            QVERIFY(count(v, QRect(55, 300, 1, 1), White) && count(v, QRect(784, 300, 1, 1), White)); // the frame
        }
    }
};
QTEST_MAIN(TestSchEFView)
#include "test_schefview.moc"
