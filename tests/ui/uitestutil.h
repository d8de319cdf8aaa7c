// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_UITESTUTIL_H
#define QUANTAURA_UITESTUTIL_H

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// The child of type T of `w` that shows `text`.
template <class T> T *find(const QWidget &w, const QString &text)
{
    for (T *c : w.findChildren<T *>())
        if (c->text() == text)
            return c;
    return nullptr;
}

// Runs `act` on the next modal widget (message box, dialog) once it is shown.
inline void onNextModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (QWidget *w = QApplication::activeModalWidget())
            act(w);
    });
}

// Records the next message box's caption and text as "caption: text", then answers it with `key`.
inline void answerNextBox(QString &text, Qt::Key key)
{
    onNextModal([&text, key](QWidget *box) {
        text = box->windowTitle() + ": " + qobject_cast<QMessageBox *>(box)->text();
        QTest::keyClick(box, key);
    });
}

inline void sendMouse(QWidget *w, QEvent::Type t, QPoint pos, Qt::MouseButton b, Qt::MouseButtons bs)
{
    QMouseEvent ev(t, QPointF(pos), QPointF(w->mapToGlobal(pos)), b, bs, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

// One gesture of button `b`: a press at the first point, a move to each further one, a release at the last.
inline void drag(QWidget *w, const QList<QPoint> &path, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, path.first(), b, b);
    for (int i = 1; i < path.size(); ++i)
        sendMouse(w, QEvent::MouseMove, path[i], Qt::NoButton, b);
    sendMouse(w, QEvent::MouseButtonRelease, path.last(), b, Qt::NoButton);
}

// Once the event loop has delivered the repaints asked for: does the screen (what the shown
// window's backing store last received) hold, within the visible `area` of `w`, what `w` paints
// now? grab() alone paints on demand and cannot tell a missing repaint request. At scale 1 only.
inline bool screenCurrent(QWidget *w, QRect area = QRect())
{
    for (int pass = 0; pass < 2; ++pass) // a paint may ask for another one (a read-out set while painting)
        QCoreApplication::processEvents();
    area = (area.isNull() ? w->rect() : area) & w->visibleRegion().boundingRect();
    QWidget *top = w->window();
    const QImage screen = top->screen()->grabWindow(top->winId()).toImage().copy(area.translated(w->mapTo(top, QPoint())));
    return screen.convertToFormat(QImage::Format_RGB32) == w->grab().toImage().copy(area).convertToFormat(QImage::Format_RGB32);
}

// ---- the scattering window's reports -----------------------------------------------------------

#include "ui/scattering/scatterreporter.h"

#include <QDialog>
#include <QLabel>

// Stands in for the scattering window's dialogs: records what they would show, lets each sweep
// run to its end or cancels it at a fixed progress report, and never waits for anything.
struct ScatterRecorder : ScatterReporter
{
    QStringList said;          // "caption: text" of every message box and of the help
    int cancelAtReport = 0;    // the sweep's progress report at which the user cancels; 0: never
    QList<double> shares;      // the progress reports of the last sweep
    bool helpUnwrapped = false; // the help's lines stood as given, all in sight

    void error(QWidget *, const QString &caption, const QString &text) override { said << caption + ": " + text; }
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
            explicit Progress(ScatterRecorder &r) : r(r) {}
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
