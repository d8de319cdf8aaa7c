#include "schdrawingsurface.h"
#include "uitestutil.h"

#include <QPushButton>
#include <QtTest>

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
        const QImage img = s.grab().toImage();
        QCOMPARE(img.size(), QSize(1200, 800));
        for (int x : {600, 601}) // the line on device rows 200..401, in the colour of 0.5, black around it
            for (int y = 150; y < 450; ++y)
                QVERIFY2((img.pixel(x, y) & 0xffffff) == (y >= 200 && y <= 401 ? 0xf2222au : 0u), qPrintable(QString::asprintf("(%d, %d)", x, y)));
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
