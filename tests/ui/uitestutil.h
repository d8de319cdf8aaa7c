// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_UITESTUTIL_H
#define QUANTAURA_UITESTUTIL_H

#include "physics/grid.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/scattering/scatterreporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <complex>
#include <functional>
#include <vector>

// The child of type T of `w` that shows `text`.
template <class T> T *find(const QWidget &w, const QString &text)
{
    for (T *c : w.findChildren<T *>())
        if (c->text() == text)
            return c;
    return nullptr;
}

// A file's bytes (empty when it cannot be read) and a file written whole (false if not).
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The menu item of `w` called `text`.
inline QAction *action(const QWidget &w, const QString &text)
{
    for (QMenu *m : w.findChildren<QMenu *>())
        for (QAction *a : m->actions())
            if (a->text() == text)
                return a;
    return nullptr;
}

// The items of `m` in their order: "text shortcut", "-" for a separator.
inline QStringList menuItems(const QMenu *m)
{
    QStringList items;
    for (QAction *a : m->actions())
        items << (a->isSeparator() ? QString("-") : (a->text() + " " + a->shortcut().toString()).trimmed());
    return items;
}

// Shows `w` and waits until it is the active window, where keys go.
inline bool showActive(QWidget &w)
{
    w.show();
    return QTest::qWaitForWindowActive(&w);
}

// The program's one setting lives in the test's own place, emptied: never the user's.
inline void isolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings("Quantaura", "Quantaura").clear();
}

// Runs `act` on the next modal widget (message box, dialog) once it is shown.
inline void onNextModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (QWidget *w = QApplication::activeModalWidget())
            act(w);
    });
}

// "caption: text [buttons]" of the message box `w` (buttons sorted); then clicks `click`, or presses Return or Escape.
inline QString answer(QWidget *w, const QString &click)
{
    auto *box = qobject_cast<QMessageBox *>(w);
    if (!box)
        return "no message box";
    QStringList labels;
    QAbstractButton *target = nullptr;
    for (QAbstractButton *b : box->buttons()) {
        labels << b->text();
        target = b->text() == click ? b : target;
    }
    labels.sort();
    const QString seen = box->windowTitle() + ": " + box->text() + " [" + labels.join('/') + "]";
    if (target)
        target->click();
    else
        QTest::keyClick(box, click == "Return" ? Qt::Key_Return : Qt::Key_Escape);
    return seen;
}

// Records the next message box's caption and text as "caption: text", then answers it with `key`.
inline void answerNextBox(QString &text, Qt::Key key)
{
    onNextModal([&text, key](QWidget *box) {
        text = box->windowTitle() + ": " + qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, key);
    });
}

inline void sendMouse(QWidget *w, QEvent::Type t, QPoint pos, Qt::MouseButton b, Qt::MouseButtons bs,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent ev(t, QPointF(pos), QPointF(w->mapToGlobal(pos)), b, bs, mods);
    QApplication::sendEvent(w, &ev);
}

// One gesture of button `b`: a press at the first point, a move to each further one, a release at the last.
inline void drag(QWidget *w, const QList<QPoint> &path, Qt::MouseButton b = Qt::LeftButton,
                 Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    sendMouse(w, QEvent::MouseButtonPress, path.first(), b, b, mods);
    for (int i = 1; i < path.size(); ++i)
        sendMouse(w, QEvent::MouseMove, path[i], Qt::NoButton, b, mods);
    sendMouse(w, QEvent::MouseButtonRelease, path.last(), b, Qt::NoButton, mods);
}

// After the repaints asked for: does the screen hold, in the visible `area` of `w`, what `w` paints now? (grab()
// alone paints on demand and cannot tell a missing repaint request.) At scale 1 only.
inline bool screenCurrent(QWidget *w, QRect area = QRect())
{
    for (int pass = 0; pass < 2; ++pass) // a paint may ask for another one (a read-out set while painting)
        QCoreApplication::processEvents();
    area = (area.isNull() ? w->rect() : area) & w->visibleRegion().boundingRect();
    QWidget *top = w->window();
    const QImage screen = top->screen()->grabWindow(top->winId()).toImage().copy(area.translated(w->mapTo(top, QPoint())));
    return screen.convertToFormat(QImage::Format_RGB32) == w->grab().toImage().copy(area).convertToFormat(QImage::Format_RGB32);
}

// A shown drawing surface, w x h pixels, whose evolution's clock reads `now`.
struct SurfaceFixture
{
    SchDrawingSurface s{nullptr};
    double now = 100.0;
    explicit SurfaceFixture(int w = 1024, int h = 400)
    {
        s.pacing()->clock = [this] { return now; };
        s.resize(w, h);
        s.show();
        QCoreApplication::processEvents();
    }
    QImage shot() { return s.grab().toImage(); }
    std::vector<std::complex<double>> wave() const { return {s.simulation().wave(), s.simulation().wave() + GridPoints}; }
    bool holds(const std::vector<double> &pot) { return std::equal(pot.begin(), pot.end(), s.getPot()); }
    void fill(double v) { s.setPot(std::vector<double>(GridPoints, v).data()); }
    // A click in packet mode.
    void place(QPoint at)
    {
        s.packOnOff(true);
        drag(&s, {at});
    }
    // Starts the evolution at the fastest tempo, a step a tick, its ticks given by frameAt only.
    void runByHand()
    {
        s.pacing()->setTempo(Pacer::Fastest);
        s.startEvolution(true);
        s.findChild<QTimer *>()->stop();
    }
    // A tick of the evolution's timer at time t (its own ticks are stopped by the caller).
    void frameAt(double t)
    {
        now = t;
        QMetaObject::invokeMethod(s.findChild<QTimer *>(), "timeout");
    }
};

// Stands in for the scattering window's dialogs: records what they show and when; cancels at a fixed report, if any.
struct ScatterRecorder : ScatterReporter
{
    QStringList said;           // "caption: text" of every message box and of the help
    QStringList events;         // "progress opened", "progress closed", "box", in their order
    int cancelAtReport = 0;     // the sweep's progress report at which the user cancels; 0: never
    QList<double> shares;       // the progress reports of the last sweep
    bool helpUnwrapped = false; // the help's lines stood as given, all in sight

    void error(QWidget *, const QString &caption, const QString &text) override
    {
        said << caption + ": " + text;
        events << "box";
    }
    void help(QDialog &dialog) override
    {
        const QLabel *text = dialog.findChild<QLabel *>("helpText");
        said << dialog.windowTitle() + ": " + (text ? text->text() : QString());
        dialog.show(); // laid out as it would be shown, without waiting for a click
        helpUnwrapped = text && !text->wordWrap() && text->size().expandedTo(text->sizeHint()) == text->size();
        dialog.hide();
    }
    std::unique_ptr<SweepProgress> sweepStarted(QWidget *) override
    {
        struct Progress : SweepProgress
        {
            ScatterRecorder &r;
            explicit Progress(ScatterRecorder &r) : r(r) { r.events << "progress opened"; }
            ~Progress() override { r.events << "progress closed"; }
            bool advance(double share) override
            {
                r.shares << share;
                return r.cancelAtReport == 0 || r.shares.size() < r.cancelAtReport;
            }
        };
        shares.clear();
        return std::make_unique<Progress>(*this);
    }
};

// Puts a recorder into the scattering window `w` (which owns it) and returns it.
template <class ScatteringWindow> ScatterRecorder &recordReports(ScatteringWindow &w)
{
    auto recorder = std::make_unique<ScatterRecorder>();
    ScatterRecorder &r = *recorder;
    w.setReporter(std::move(recorder));
    return r;
}

#endif
