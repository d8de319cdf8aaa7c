// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the pictures in doc/ from the program's own widgets, offscreen, at scale 1:
//   quantaura-pictures OUTDIR [NAME...]
// Each picture is one entry of `scenes` below; a new picture is a new entry.
#include "ui/widgets/editableslider.h"
#include "physics/phasecolour.h"
#include "ui/scattering/plot.h"
#include "ui/app/potentialfile.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/eigen/schefview.h"
#include "ui/app/schmainwindow.h"
#include "ui/app/sidewindows.h"
#include "ui/scattering/window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>

#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <vector>

namespace {


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
    std::vector<double> v(GridPoints, 0.0);
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
    std::vector<double> v(GridPoints);
    for (int k = 0; k < GridPoints; ++k)
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

// A packet with momentum 100 placed at grid index `at`, `height` pixels above the middle row, and
// run for `ticks` steps; the picture shows the window while it runs.
QImage runPacket(MainWindow &m, int at, int height, int ticks)
{
    SchDrawingSurface *s = m.w.drawingSurface();
    button(m.w, "Pack")->click();
    m.w.pSlider()->slider()->setValue(100);
    click(s, QPoint(s->width() * at / GridPoints, s->height() / 2 - height));
    button(m.w, "Start")->click();
    for (int k = 0; k < ticks; ++k) // the timer's ticks, without the event loop
        s->paintEvolution();
    QImage img = m.w.grab().toImage();
    button(m.w, "Start")->click();
    return img;
}

QImage evolution()
{
    MainWindow m(barrier());
    // Wide enough to keep together until it reaches the barrier, narrow enough to stay clear of the
    // wall (a packet cut off there has a wide energy spread), with a sharp energy: its line lies
    // just below the barrier's top.
    m.w.dxSlider()->slider()->setValue(130);
    m.w.dpSlider()->slider()->setValue(1);
    return runPacket(m, 280, 140, 330);
}

QImage eigenfunctions()
{
    std::vector<double> pot = doubleWell();
    SchEFView v(pot.data());
    v.findChild<QComboBox *>()->setCurrentIndex(2);
    emit v.findChild<QComboBox *>()->activated(2); // the lowest five together
    return v.grab().toImage();
}

// The scattering window for `pot` after "Calc" and its plot beside it, 10 pixels apart as on
// the screen, the plot's marker at `marker`.
QImage scatteringOf(std::vector<double> pot, int marker)
{
    Window w;
    w.setPotential(pot.data(), GridPoints);
    w.show();
    QCoreApplication::processEvents();
    button(w, "Calc")->click();
    Plot *plot = w.plot();
    plot->slider()->setValue(marker);
    const QImage left = w.grab().toImage();
    const QImage right = plot->grab().toImage();
    QImage img(left.width() + 10 + right.width(), std::max(left.height(), right.height()), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawImage(0, 0, left);
    p.drawImage(left.width() + 10, 0, right);
    return img;
}

QImage scattering()
{
    std::vector<double> pot(GridPoints, 0.0);
    for (int k = 480; k < 544; ++k)
        pot[k] = 0.005;
    return scatteringOf(pot, 300);
}

// ---- the handbook's pictures, on the shipped examples ------------------------------------------

std::vector<double> example(const QString &file)
{
    std::vector<double> pot(GridPoints, 0.0);
    if (PotentialFile::read(QStringLiteral(QUANTAURA_EXAMPLES_DIR "/") + file, pot.data()) != PotentialFile::ReadStatus::Ok)
        std::fprintf(stderr, "cannot read the example %s\n", qPrintable(file));
    return pot;
}

// First steps: the barrier example chosen from File -> Beispiele, a packet of width 100 with momentum
// 100 run into it until part of it has tunnelled through.
QImage firstSteps()
{
    MainWindow m(std::vector<double>(GridPoints, 0.0));
    m.w.examplesDir = QStringLiteral(QUANTAURA_EXAMPLES_DIR);
    m.w.openExample(QStringLiteral("barriere.pot"));
    m.w.dxSlider()->slider()->setValue(100); // as the first steps say: wide enough to stay together
    return runPacket(m, 300, 150, 230);
}

// The colours of the phase: psi = r e^(i phi) for r up to 1, phase 0 to the right, pi/2 at the top.
QImage phaseWheel()
{
    constexpr int Size = 360, R = 140, C = Size / 2;
    QImage img(Size, Size, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const std::complex<double> z(double(x - C) / R, double(C - y) / R);
            if (std::abs(z) <= 1.0) {
                const PhaseColour c = phaseColour(z);
                img.setPixel(x, y, qRgb(c.red, c.green, c.blue));
            }
        }
    QPainter p(&img);
    p.setPen(Qt::white);
    const int w = 60, h = 20;
    p.drawText(QRect(C + R + 2, C - h / 2, Size - C - R - 2, h), Qt::AlignLeft | Qt::AlignVCenter, "0");
    p.drawText(QRect(C - w / 2, C - R - h - 2, w, h), Qt::AlignHCenter | Qt::AlignBottom, QString::fromUtf8("π/2 (+i)"));
    p.drawText(QRect(0, C - h / 2, C - R - 4, h), Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8("π"));
    p.drawText(QRect(C - w / 2, C + R + 2, w, h), Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8("−π/2 (−i)"));
    return img;
}

QImage eigenOf(const QString &file, int countIndex)
{
    std::vector<double> pot = example(file);
    SchEFView v(pot.data());
    v.findChild<QPushButton *>("d")->setChecked(true); // "Display Eigenwerte"
    v.findChild<QComboBox *>()->setCurrentIndex(countIndex);
    emit v.findChild<QComboBox *>()->activated(countIndex);
    return v.grab().toImage();
}

QImage handbookEigen() { return eigenOf(QStringLiteral("doppelmulde.pot"), 1); }    // the lowest three

// The tunnelling pendulum as the handbook's exercise sets it up: the evolution's particle, the
// lowest three states, the lowest pair marked by two clicks on its line.
void markLowestPair(SchEFView &v)
{
    v.findChild<QCheckBox *>("particle")->setChecked(true);
    const QPoint at(400, v.rowOf(v.eigenValueAt(0)));
    click(&v, at);
    click(&v, at);
}

QImage pendulumStates()
{
    std::vector<double> pot = example(QStringLiteral("tunnelpendel.pot"));
    SchEFView v(pot.data(), nullptr, EigenSolver::Trace());
    v.findChild<QComboBox *>()->setCurrentIndex(1);
    emit v.findChild<QComboBox *>()->activated(1);
    markLowestPair(v);
    return v.grab().toImage();
}

// ... put into the evolution with equal weights and run for a quarter of its period (10 s at
// "Normal"): half of it has tunnelled into the right well.
QImage pendulumRunning()
{
    MainWindow m(example(QStringLiteral("tunnelpendel.pot")));
    button(m.w, "Eigenfunktionen")->click();
    SchEFView *v = m.w.sideWindows()->eigen();
    v->askParts = [](QWidget *, std::vector<StationaryStates::Part> &, const std::vector<double> &) { return true; };
    markLowestPair(*v);
    button(*v, "In die Zeitentwicklung")->click();
    SchDrawingSurface *s = m.w.drawingSurface();
    button(m.w, "Start")->click();
    for (int k = 0; k < 1279; ++k) // the timer's ticks, without the event loop
        s->paintEvolution();
    QImage img = m.w.grab().toImage();
    button(m.w, "Start")->click();
    button(m.w, "Eigenfunktionen")->click();
    return img;
}
QImage handbookLattice() { return eigenOf(QStringLiteral("gitter.pot"), 3); }       // the lowest ten
// The double barrier with the marker on its first resonance (E = 1.58 of 20).
QImage handbookScattering() { return scatteringOf(example(QStringLiteral("doppelbarriere.pot")), 79); }

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
        {"handbuch-erste-schritte", firstSteps},
        {"handbuch-farbkreis", phaseWheel},
        {"handbuch-eigenfunktionen", handbookEigen},
        {"handbuch-gitter", handbookLattice},
        {"handbuch-streuung", handbookScattering},
        {"handbuch-tunnelpendel-zustaende", pendulumStates},
        {"handbuch-tunnelpendel", pendulumRunning},
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
