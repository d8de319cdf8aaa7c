// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/eigen/schefview.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <numeric>

const QRgb White = 0xffffff, Green = 0x00ff00, Gray = 0xa0a0a4;
const QRect Plot(56, 56, 728, 528); // inside the frame, which covers columns 55..784 and rows 55..584
int count(SchEFView &v, QRect area, QRgb colour)
{
    const QImage img = v.grab().toImage();
    int n = 0;
    for (int i = 0; i < area.width() * area.height(); ++i)
        n += (img.pixel(area.x() + i % area.width(), area.y() + i / area.width()) & 0xffffff) == colour;
    return n;
}
// The eigenfunctions drawn, told by their colours (255 - q, 100, q) with q = 255 k / count.
QList<int> drawn(SchEFView &v)
{
    const QImage img = v.grab().toImage().copy(Plot);
    const QSet<QRgb> seen(reinterpret_cast<const QRgb *>(img.constBits()), reinterpret_cast<const QRgb *>(img.constBits()) + img.width() * img.height());
    QList<int> ks;
    for (int k = 0, n = v.eigenTotal(); k < n; ++k)
        if (seen.contains(qRgb(255 - 255 * k / n, 100, 255 * k / n)))
            ks << k;
    return ks;
}
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
        QList<double> traced; // the search's report per eigenvalue, handed through
        SchEFView v(surface.data(), nullptr, [&traced](double e, double) { traced << e; });
        auto *ed = v.findChild<QLineEdit *>();
        QCOMPARE(v.windowTitle(), QString("Schrödinger Eigenfunktionen"));
        QVERIFY(v.isWindow());
        QCOMPARE(v.size(), QSize(800, 600));
        QCOMPARE(v.eigenTotal(), 2);
        QCOMPARE(traced, QList<double>({v.eigenValueAt(0), v.eigenValueAt(1)}));
        QCOMPARE(ed->text(), QString("0"));
        const int y0 = row(v, 0.0), yE0 = row(v, v.eigenValueAt(0));
        const QRect level1(56, row(v, v.eigenValueAt(1)), 729, 1);
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}, {"0.19", {2, yE0 + 3}}}));
        for (QPoint corner : {QPoint(55, 55), QPoint(784, 55), QPoint(55, 584), QPoint(784, 584)}) { // the frame
            QVERIFY2(count(v, QRect(corner, QSize(1, 1)), White), qPrintable(QString("corner %1, %2").arg(corner.x()).arg(corner.y())));
            QVERIFY2(!count(v, QRect(corner + QPoint(1, 1), QSize(1, 1)), White), qPrintable(QString("inside %1, %2").arg(corner.x()).arg(corner.y())));
        }
        const QRect caption = v.findChild<QLabel *>()->geometry(); // light text on the black window
        QVERIFY(count(v, caption, 0) < caption.width() * caption.height() - 50);
        QVERIFY2(count(v, QRect(56, y0, 729, 1), Green) > 700, "the potential on the zero line");
        QVERIFY2(count(v, QRect(56, yE0, 729, 1), Gray) > 600, "the level line of state 0");
        QCOMPARE(drawn(v), QList<int>{0});
        QCOMPARE(count(v, level1, Gray), 0);
        ed->setText("5"); // beyond the last index: selects it, and the entry follows
        QCOMPARE(v.selectedIndex(), 1);
        QCOMPARE(ed->text(), QString("1"));
        QCOMPARE(drawn(v), QList<int>{1});
        ed->setText(QString());
        QCOMPARE(v.selectedIndex(), 0);
        QCOMPARE(ed->text(), QString("0"));
        v.findChild<QPushButton *>("d")->click(); // "Display Eigenwerte": dotted lines at every level
        QVERIFY(v.levelsShown());
        QVERIFY2(count(v, level1, Gray) > 100, "dotted, not missing");
        QVERIFY2(count(v, level1, Gray) < 600, "dotted, not solid");
        v.findChild<QPushButton *>("d")->click();
        emit v.findChild<QComboBox *>()->activated(1); // "3" with two eigenvalues draws two, without their labels
        QVERIFY(!v.isSingleMode());
        QVERIFY(!v.levelsShown());
        QCOMPARE(drawn(v), QList<int>({0, 1}));
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}}));
    }

    void otherPotentials()
    {
        std::vector<double> surface(1024, -0.05); // all below 0: no zero line, no "0"
        SchEFView low(surface.data(), nullptr, EigenSolver::Trace());
        QVERIFY(margin(low, {{"-471.31", {2, 58}}, {"-527.19", {2, 582}}, {"-499.81", {2, 328}}}));
        surface.assign(1024, 0.0);
        surface[10] = qQNaN(); // no eigenvalue: frame and potential only, whatever the controls say
        SchEFView none(surface.data(), nullptr, EigenSolver::Trace());
        emit none.findChild<QComboBox *>()->activated(4);
        none.findChild<QLineEdit *>()->setText("3");
        QCOMPARE(none.eigenTotal(), 0);
        QVERIFY2(count(none, QRect(55, 55, 731, 531), Green) > 700, "the potential");
        QVERIFY2(count(none, QRect(784, 300, 1, 1), White), "the frame");
    }

    void countChoiceDrawsThatManyCurves()
    {
        // A box with low walls has many bound states: "1", "3", "5", "10" and "all" draw the lowest
        // that many eigenfunctions, each in its own colour, on the screen at once.
        std::vector<double> surface(1024, 0.0);
        std::fill(surface.begin(), surface.begin() + 10, 0.005);
        std::fill(surface.end() - 10, surface.end(), 0.005);
        SchEFView v(surface.data(), nullptr, EigenSolver::Trace());
        v.show();
        const int all = v.eigenTotal();
        QVERIFY2(all > 10, qPrintable(QString::number(all)));
        for (const auto &[key, n] : {std::pair{Qt::Key_Down, 3}, {Qt::Key_Down, 5}, {Qt::Key_Down, 10}, {Qt::Key_Down, all}, {Qt::Key_Home, 1}}) {
            QTest::keyClick(v.findChild<QComboBox *>(), key);
            QList<int> want(n);
            std::iota(want.begin(), want.end(), 0);
            QCOMPARE(drawn(v), want);
            QVERIFY2(screenCurrent(&v, Plot), qPrintable(QString("%1 curves on the screen").arg(n)));
        }
    }
};
QTEST_MAIN(TestSchEFView)
#include "test_schefview.moc"
