#include "plot.h"
#include "schefview.h"

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
};

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_hidpi.moc"
