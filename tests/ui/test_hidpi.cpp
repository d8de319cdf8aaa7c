// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "ui/eigen/schefview.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/scattering/plot.h"
#include "uitestutil.h"

#include <QtTest>

#include <numeric>

// The device rows of column x of `img` in `colour`.
static QList<int> rowsOf(const QImage &img, int x, QRgb colour)
{
    QList<int> rows;
    for (int y = 0; y < img.height(); ++y)
        if ((img.pixel(x, y) & 0xffffff) == colour)
            rows << y;
    return rows;
}

// At a device pixel ratio of 2: images twice the size, lines one device pixel thin, a packet's column doubled.
class TestHiDpi : public QObject
{
    Q_OBJECT
private slots:
    void linesAreOneDevicePixelThin()
    {
        SchDrawingSurface s(nullptr);
        s.resize(600, 400);
        s.show();
        QCoreApplication::processEvents();
        s.penHOnOff(true);
        s.setPenRange(2000); // a plateau over the whole grid, 50 logical rows above the middle
        drag(&s, {{300, 150}});
        for (int x : {0, 1, 600, 1198, 1199}) // to the last device column
            QCOMPARE(rowsOf(s.grab().toImage(), x, 0xffffff), QList<int>{300});
        s.packOnOff(true);
        drag(&s, {{300, 100}}); // column 300 shows index 512: 100 logical rows of 0.5
        const QImage img = s.grab().toImage();
        QList<int> line(202);
        std::iota(line.begin(), line.end(), 200);
        QCOMPARE(img.size(), QSize(1200, 800));
        QCOMPARE(rowsOf(img, 600, 0xf2222a), line);
        QCOMPARE(rowsOf(img, 601, 0xf2222a), line);

        std::ostream noTrace(nullptr); // the eigenfunction window's potential on its zero line, a flat R
        SchEFView eigen(std::vector<double>(GridPoints).data(), nullptr, noTrace);
        Plot plot(nullptr, "Moril2", 100);
        for (int k = 0; k < 100; ++k)
            plot.addPoint(0.5, 0.5, k, k);
        QCOMPARE(rowsOf(eigen.grab().toImage(), 600, 0x00ff00).size(), 1);
        QCOMPARE(rowsOf(plot.grab().toImage(), 300, 0xff0000).size(), 1);
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_hidpi.moc"
