// SPDX-License-Identifier: GPL-3.0-or-later
// Counts the live program's timer ticks per second on the current display: opens the main
// window, places a moving packet the way a user would ("Pack", momentum slider, a click 100
// pixels above the middle row), runs it as fast as possible and counts for a few seconds.
//   quantaura-tickcount [SECONDS] [WIDTHxHEIGHT | max]
// WIDTHxHEIGHT sizes the main window, "max" gives it the whole available screen (also without
// a window manager); by default it keeps its opening size.
#include "ui/widgets/editableslider.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/app/schmainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include <cstdio>

namespace {
class PaintCounter : public QObject
{
public:
    long long paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void click(QWidget *w, QPoint pos)
{
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent ev(t, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::LeftButton,
                       t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &ev);
    }
}

int usage()
{
    std::fprintf(stderr, "usage: quantaura-tickcount [SECONDS] [WIDTHxHEIGHT | max]\n");
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    double seconds = 5.0;
    QString size;
    for (const QString &a : app.arguments().mid(1)) {
        bool ok = false;
        const double s = a.toDouble(&ok);
        if (ok && s > 0 && s < 3600)
            seconds = s;
        else if (a == QLatin1String("max") || QRegularExpression(QStringLiteral("^\\d+x\\d+$")).match(a).hasMatch())
            size = a;
        else
            return usage();
    }

    SchMainWindow window;
    if (size == QLatin1String("max"))
        window.setGeometry(window.screen()->availableGeometry());
    else if (!size.isEmpty())
        window.resize(size.section('x', 0, 0).toInt(), size.section('x', 1, 1).toInt());
    window.show();

    SchDrawingSurface *surface = window.drawingSurface();
    auto *timer = surface->findChild<QTimer *>();
    auto *pack = window.findChild<QPushButton *>(QStringLiteral("spb2"));
    auto *start = window.findChild<QPushButton *>(QStringLiteral("d"));
    if (!timer || !pack || !start) {
        std::fprintf(stderr, "quantaura-tickcount: the main window has changed; update this tool\n");
        return 1;
    }
    PaintCounter counter;
    surface->installEventFilter(&counter);
    long long ticks = 0;
    QElapsedTimer clock;

    // Give the window a moment to be mapped and laid out before the user "arrives".
    QTimer::singleShot(500, &window, [&] {
        pack->click();
        window.pSlider()->slider()->setValue(50);
        // A line of 100 pixels at the packet's peak at every size: wider windows show more
        // columns, not taller ones.
        click(surface, QPoint(surface->width() / 4, surface->midRow() - 100));
        QObject::connect(timer, &QTimer::timeout, [&] { ++ticks; });
        counter.paints = 0;
        surface->pacing()->setTempo(Pacer::Fastest); // a step per tick, as fast as the machine allows
        start->click();
        clock.start();
        QTimer::singleShot(int(seconds * 1000), &window, [&] {
            const double s = clock.nsecsElapsed() * 1e-9;
            std::printf("surface %dx%d: %lld ticks in %.2f s = %.0f ticks/s, %.0f paints/s\n", surface->width(),
                        surface->height(), ticks, s, ticks / s, counter.paints / s);
            start->click();
            QCoreApplication::exit(0); // no close events: nothing may ask a question
        });
    });
    return app.exec();
}
