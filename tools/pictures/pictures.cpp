// Draws the pictures in doc/ from the program's own widgets, offscreen, at scale 1:
//   quantaura-pictures OUTDIR [NAME...]
// Each picture is one entry of `scenes` below; a new picture is a new entry.
#include "editableslider.h"
#include "plot.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "schmainwindow.h"
#include "window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int N = SchDrawingSurface::N;

QPushButton *button(QWidget &w, const QString &text)
{
    for (QPushButton *b : w.findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void click(QWidget *w, QPoint at)
{
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// A double well: two wells 0.02 deep with a thin barrier between them, on the surface's grid.
std::vector<double> doubleWell()
{
    std::vector<double> v(N, 0.0);
    for (int k = 300; k < 724; ++k)
        v[k] = -0.02;
    for (int k = 500; k < 524; ++k)
        v[k] = 0.01;
    return v;
}

// A low, thin barrier around index 600: about as high as the packet's energy, so that part of
// the packet tunnels through and part is reflected.
std::vector<double> barrier()
{
    std::vector<double> v(N);
    for (int k = 0; k < N; ++k)
        v[k] = 0.0004 * std::exp(-std::pow((k - 600) / 8.0, 2));
    return v;
}

// The main window at the size of the pictures, with `pot` drawn.
struct MainWindow {
    SchMainWindow w;
    explicit MainWindow(const std::vector<double> &pot)
    {
        w.resize(900, 640);
        w.show();
        QCoreApplication::processEvents();
        std::vector<double> copy = pot;
        w.drawingSurface()->setPot(copy.data());
    }
};

QImage mainWindow()
{
    MainWindow m(doubleWell());
    return m.w.grab().toImage();
}

// The tooltip is a window of its own: it is painted into the picture where it stands.
QImage tooltip()
{
    MainWindow m(doubleWell());
    QWidget *imp = m.w.pSlider()->slider();
    const QPoint at = imp->mapToGlobal(QPoint(imp->width() / 2, imp->height() - 2));
    QToolTip::showText(at, imp->toolTip(), imp);
    QImage img = m.w.grab().toImage();
    for (QWidget *tip : QApplication::topLevelWidgets())
        if (tip->inherits("QTipLabel") && tip->isVisible()) {
            QPainter p(&img);
            p.drawImage(tip->pos() - m.w.mapToGlobal(QPoint(0, 0)), tip->grab().toImage());
        }
    QToolTip::hideText();
    return img;
}

QImage evolution()
{
    MainWindow m(barrier());
    SchDrawingSurface *s = m.w.drawingSurface();
    button(m.w, "Pack")->click();
    m.w.pSlider()->slider()->setValue(100);
    m.w.dxSlider()->slider()->setValue(200);
    click(s, QPoint(s->width() * 250 / N, s->height() / 2 - 140)); // a packet at index 250
    button(m.w, "Start")->click();
    for (int k = 0; k < 380; ++k) // the timer's ticks, without the event loop
        s->paintEvolution();
    QImage img = m.w.grab().toImage();
    button(m.w, "Start")->click();
    return img;
}

QImage eigenfunctions()
{
    std::vector<double> pot = doubleWell();
    SchEFView v(pot.data());
    v.findChild<QComboBox *>()->setCurrentIndex(2);
    emit v.findChild<QComboBox *>()->activated(2); // the lowest five together
    return v.grab().toImage();
}

// The scattering window after "Calc" and its plot beside it, 10 pixels apart as on the screen.
QImage scattering()
{
    std::vector<double> pot(N, 0.0);
    for (int k = 480; k < 544; ++k)
        pot[k] = 0.005;
    Window w;
    w.setPotential(pot.data(), N);
    w.show();
    QCoreApplication::processEvents();
    button(w, "Calc")->click();
    Plot *plot = w.plot();
    plot->slider()->setValue(300);
    const QImage left = w.grab().toImage();
    const QImage right = plot->grab().toImage();
    QImage img(left.width() + 10 + right.width(), std::max(left.height(), right.height()), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawImage(0, 0, left);
    p.drawImage(left.width() + 10, 0, right);
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [NAME...]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QStringList only;
    for (int i = 2; i < argc; ++i)
        only << QString::fromLocal8Bit(argv[i]);

    const std::vector<std::pair<QString, std::function<QImage()>>> scenes = {
        {"mainwindow", mainWindow},
        {"tooltip", tooltip},
        {"evolution", evolution},
        {"eigenfunctions", eigenfunctions},
        {"scattering", scattering},
    };
    int failed = 0;
    for (const auto &[name, make] : scenes) {
        if (!only.isEmpty() && !only.contains(name))
            continue;
        const QString file = out.filePath(name + ".png");
        if (make().save(file)) {
            std::printf("%s\n", qPrintable(file));
        } else {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
