#include "plot.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "uitestutil.h"

#include <QPushButton>
#include <QtTest>

#include <vector>

// At a device pixel ratio of 2 the pictures are composed in device pixels: a line is one device
// pixel thin, not a logical pixel blown up to two, and the logical mappings stay as they are.
class TestHiDpi : public QObject
{
    Q_OBJECT
    // Rows of column x (device pixels) within [from, to) that hold `colour`.
    static QVector<int> rowsOf(const QImage &img, int x, int from, int to, QRgb colour)
    {
        QVector<int> rows;
        for (int y = from; y < to; ++y)
            if ((img.pixel(x, y) & 0xffffff) == colour)
                rows << y;
        return rows;
    }
private slots:
    void linesAreOneDevicePixel()
    {
        std::vector<double> surface(1024, -0.05); // flat, below 0: no zero line over it
        SchEFView v(surface.data());
        const QImage img = v.grab().toImage();
        QCOMPARE(img.size(), 2 * v.size());
        const int y = 2 * v.rowOf(-500.0), x = 2 * v.columnOf(300); // the green potential, in device pixels
        QCOMPARE(rowsOf(img, x, y - 4, y + 5, 0x00ff00).size(), 1);
        QCOMPARE(rowsOf(img, x, 2 * 50, 2 * 60, 0xffffff).size(), 1); // the frame's top edge at row 55

        Plot plot(nullptr, "Moril2", 100);
        const QImage p = plot.grab().toImage();
        QCOMPARE(rowsOf(p, 2 * 70, 2 * 45, 2 * 55, 0xffffff), QVector<int>({2 * 50})); // the R panel's frame
    }

    void surfaceLinesAreOneDevicePixel()
    {
        QPushButton fourier, streu;
        SchDrawingSurface s(nullptr, &fourier, &streu);
        s.resize(600, 400);
        s.show();
        QCoreApplication::processEvents();
        QCOMPARE(s.viewImage().size(), QSize(1200, 800));
        s.penHOnOff(true);
        s.setPenRange(2000); // a plateau over the whole grid, 50 logical rows above the middle
        sendMouse(&s, QEvent::MouseButtonPress, {300, 150}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(qAbs(s.getPot()[0] - 0.005) < 1e-15);
        QImage img = s.grab().toImage();
        for (int x : {0, 1, 600, 1198, 1199}) // to the last device column
            QCOMPARE(rowsOf(img, x, 290, 310, 0xffffff), QVector<int>({300}));
        // A packet's lines fill whole logical pixels: column 300 shows index 512, 100 rows of 0.5.
        s.packOnOff(true);
        sendMouse(&s, QEvent::MouseButtonPress, {300, 100}, Qt::LeftButton, Qt::LeftButton);
        img = s.grab().toImage();
        for (int x : {600, 601}) {
            const QVector<int> rows = rowsOf(img, x, 150, 450, 0xf2222a);
            QVERIFY(rows.size() == 202 && rows.first() == 200 && rows.last() == 401);
        }
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
