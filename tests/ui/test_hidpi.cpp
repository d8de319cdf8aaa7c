#include "schdrawingsurface.h"
#include "uitestutil.h"

#include <QPushButton>
#include <QtTest>

// Rows of column x (device pixels) within [from, to) that hold `colour`.
static QVector<int> rowsOf(const QImage &img, int x, int from, int to, QRgb colour)
{
    QVector<int> rows;
    for (int y = from; y < to; ++y)
        if ((img.pixel(x, y) & 0xffffff) == colour)
            rows << y;
    return rows;
}

// At a device pixel ratio of 2 the surface composes its frames in device pixels, the image twice
// the widget's size, while the logical mappings stay as they are: a packet's line fills both device
// columns of its logical column, over twice its logical rows.
class TestHiDpi : public QObject
{
    Q_OBJECT
private slots:
    void packetLinesFillWholeLogicalPixels()
    {
        QPushButton fourier, streu;
        SchDrawingSurface s(nullptr, &fourier, &streu);
        s.resize(600, 400);
        s.show();
        QCoreApplication::processEvents();
        s.packOnOff(true);
        drag(&s, {{300, 100}}); // column 300 shows index 512: 100 logical rows of 0.5
        for (int x : {600, 601}) {
            const QVector<int> rows = rowsOf(s.grab().toImage(), x, 150, 450, 0xf2222a);
            QVERIFY(s.viewImage().size() == QSize(1200, 800) && rows.size() == 202 && rows.first() == 200 && rows.last() == 401);
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
