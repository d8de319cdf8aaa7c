#include "schdrawingsurface.h"
#include "uitestutil.h"

#include <QPushButton>
#include <QtTest>

#include <vector>

namespace {
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
} // namespace

class TestSurface : public QObject
{
    Q_OBJECT

    struct Fixture {
        QPushButton fourier;
        QPushButton streu;
        SchDrawingSurface surface{nullptr, &fourier, &streu};
        explicit Fixture(int w = 1024, int h = 400)
        {
            fourier.setCheckable(true);
            streu.setCheckable(true);
            surface.resize(w, h);
            surface.show();
            QCoreApplication::processEvents();
        }
        QImage shot() { return surface.grab().toImage(); }
    };

private slots:
    void newSurfaceShowsZeroLineOnMiddleRow()
    {
        Fixture f(1024, 400);
        QCOMPARE(f.surface.midRow(), 200);
        const QImage img = f.shot();
        QCOMPARE(img.size(), QSize(1024, 400));
        for (int x : {0, 1, 511, 1023}) {
            QCOMPARE(img.pixel(x, 200), White);
            QCOMPARE(img.pixel(x, 199), Black);
            QCOMPARE(img.pixel(x, 201), Black);
        }
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(std::abs(f.surface.wave()[k]), 0.0);
    }

    void potentialOfOneHundredthIsHundredRowsUp()
    {
        Fixture f(1024, 400);
        std::vector<double> v(SchDrawingSurface::N, 0.01);
        f.surface.setPot(v.data());
        const QImage img = f.shot();
        QCOMPARE(img.pixel(300, 100), White);
        QCOMPARE(img.pixel(300, 200), Black);
    }

    void setPotNullAndGetPotIdentity()
    {
        Fixture f;
        double *live = f.surface.getPot();
        live[5] = 0.003;
        f.surface.setPot(nullptr);
        QCOMPARE(f.surface.getPot(), live);
        QCOMPARE(live[5], 0.003);
        std::vector<double> v(SchDrawingSurface::N, -0.002);
        f.surface.setPot(v.data());
        QCOMPARE(f.surface.getPot(), live);
        QCOMPARE(live[1023], -0.002);
    }

    void clearActsOnlyInPotentialMode()
    {
        Fixture f;
        std::vector<double> v(SchDrawingSurface::N, 0.004);
        f.surface.setPot(v.data());
        f.surface.packOnOff(true);
        f.surface.clear();
        QCOMPARE(f.surface.getPot()[100], 0.004);
        f.surface.potOnOff(true);
        f.surface.clear();
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(f.surface.getPot()[k], 0.0);
    }

    void modeSlotsAndLevels()
    {
        Fixture f;
        f.surface.flevelChanged(30);
        QCOMPARE(f.surface.smoothingLevel(), 300.0);
        f.surface.fourierOnOff(true);
        QVERIFY(f.surface.selectionMode());
        QCOMPARE(f.surface.drawingMode(), 1);
        f.fourier.setChecked(true);
        f.surface.packOnOff(true); // ends the selection tool and switches the button off
        QVERIFY(!f.surface.selectionMode());
        QVERIFY(!f.fourier.isChecked());
        QCOMPARE(f.surface.drawingMode(), 2);
        f.surface.penPOnOff(true);
        QCOMPARE(f.surface.currentPen(), 2);
        f.surface.penVOnOff(false); // off does nothing
        QCOMPARE(f.surface.currentPen(), 2);
        f.surface.setPenRange(77);
        QCOMPARE(f.surface.currentPenRange(), 77);
    }

    void mouseStrokePassesThroughMouseRows()
    {
        Fixture f(1024, 400);
        f.surface.penHOnOff(true);
        f.surface.setPenRange(10);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 150}, Qt::LeftButton, Qt::LeftButton);
        // One pixel row is 0.0001 potential units; the plateau covers 290..310.
        QVERIFY(qAbs(f.surface.getPot()[300] - 0.005) < 1e-15);
        QCOMPARE(f.surface.getPot()[289], 0.0);
        QVERIFY(qAbs(f.surface.getPot()[310] - 0.005) < 1e-15);
        QImage img = f.shot();
        QCOMPARE(img.pixel(300, 150), White);
        QCOMPARE(img.pixel(300, 200), Black); // the old zero line there was erased
        QCOMPARE(img.pixel(600, 200), White);

        // A drag keeps drawing, also when it leaves the widget (indices clamp to the grid).
        sendMouse(&f.surface, QEvent::MouseMove, {700, 250}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(qAbs(f.surface.getPot()[700] + 0.005) < 1e-15);
        sendMouse(&f.surface, QEvent::MouseMove, {5000, 120}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(qAbs(f.surface.getPot()[1023] - 0.008) < 1e-15);
        sendMouse(&f.surface, QEvent::MouseButtonRelease, {5000, 120}, Qt::LeftButton, Qt::NoButton);
        img = f.shot();
        QCOMPARE(img.pixel(700, 250), White);
    }

    void columnMappingOnNarrowSurface()
    {
        Fixture f(512, 400);
        f.surface.penPOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {100, 190}, Qt::LeftButton, Qt::LeftButton);
        // Column 100 of 512 is grid index 200; the first P-pen click sets that point only.
        QVERIFY(qAbs(f.surface.getPot()[200] - 0.001) < 1e-15);
        QCOMPARE(f.surface.getPot()[199], 0.0);
        QCOMPARE(f.surface.getPot()[201], 0.0);
        // Right-button presses do not draw.
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 100}, Qt::RightButton, Qt::RightButton);
        QCOMPARE(f.surface.getPot()[600], 0.0);
    }

    void packetModeClickDoesNotTouchPotential()
    {
        Fixture f;
        f.surface.packOnOff(true);
        sendMouse(&f.surface, QEvent::MouseButtonPress, {300, 100}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&f.surface, QEvent::MouseMove, {400, 100}, Qt::NoButton, Qt::LeftButton);
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            QCOMPARE(f.surface.getPot()[k], 0.0);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
