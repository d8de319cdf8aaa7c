#ifndef QUANTAURA_UITESTUTIL_H
#define QUANTAURA_UITESTUTIL_H

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `act` on the next modal widget (message box, dialog) once it is shown.
inline void onNextModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (QWidget *w = QApplication::activeModalWidget())
            act(w);
    });
}

inline void sendMouse(QWidget *w, QEvent::Type t, QPoint pos, Qt::MouseButton b, Qt::MouseButtons bs)
{
    QMouseEvent ev(t, QPointF(pos), QPointF(w->mapToGlobal(pos)), b, bs, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

#endif
