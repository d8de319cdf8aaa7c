// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/widgets/windowplacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace WindowPlacement {

QMargins frameMargins(const QWidget *w)
{
    if (!w || !w->isVisible())
        return {};
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

namespace {

// How much of `r` covers the windows in `taken`. Their controls stand along the top (title bar,
// menus, button rows) and the left edge, so covering those counts several times over.
qint64 coverCost(const QRect &r, const QVector<QRect> &taken)
{
    auto area = [](const QRect &a) { return a.isValid() ? qint64(a.width()) * a.height() : 0; };
    qint64 cost = 0;
    for (const QRect &t : taken) {
        const QRect topBand(t.left(), t.top(), t.width(), std::min(t.height(), 100));
        const QRect leftBand(t.left(), t.top(), std::min(t.width(), 180), t.height());
        cost += area(r & t) + 4 * (area(r & topBand) + area(r & leftBand));
    }
    return cost;
}

} // namespace

QPoint beside(const QRect &anchor, const QSize &frame, const QRect &screen, int gap, const QVector<QRect> &taken,
              const QVector<QRect> &keepClear, Prefer prefer)
{
    const int right = screen.right() + 1 - frame.width();
    const int bottom = screen.bottom() + 1 - frame.height();
    const QPoint candidates[] = {{anchor.right() + 1 + gap, anchor.top()},
                                 {anchor.left() - gap - frame.width(), anchor.top()},
                                 {anchor.left(), anchor.bottom() + 1 + gap},
                                 {anchor.left(), anchor.top() - gap - frame.height()},
                                 {right, screen.top()},
                                 {right, bottom},
                                 {screen.left(), screen.top()},
                                 {screen.left(), bottom}};
    auto clearOf = [](const QRect &r, const QVector<QRect> &rects) {
        return std::none_of(rects.begin(), rects.end(), [&](const QRect &t) { return t.intersects(r); });
    };
    if (prefer == Prefer::RightThenBelow) {
        for (const QPoint &c : {candidates[0], candidates[2]}) {
            const QRect r(c, frame);
            if (screen.contains(r) && clearOf(r, keepClear))
                return c;
        }
    }
    for (const QPoint &c : candidates) {
        const QRect r(c, frame);
        if (screen.contains(r) && clearOf(r, taken) && clearOf(r, keepClear))
            return c;
    }
    // No free place: each candidate pushed onto the screen. One clear of the working area wins
    // over any that is not; among those, the one that hides least, where hiding the working area
    // weighs three times and the other windows' controls five times as much as the rest. On a
    // tie the earlier one.
    auto area = [](const QRect &a) { return a.isValid() ? qint64(a.width()) * a.height() : 0; };
    QPoint best;
    std::pair<bool, qint64> bestCost{true, -1};
    for (const QPoint &c : candidates) {
        const QPoint on(std::max(std::min(c.x(), right), screen.left()), std::max(std::min(c.y(), bottom), screen.top()));
        const QRect r(on, frame);
        std::pair<bool, qint64> cost{!clearOf(r, keepClear), coverCost(r, taken)};
        for (const QRect &k : keepClear)
            cost.second += 2 * area(r & k);
        if (bestCost.second < 0 || cost < bestCost) {
            best = on;
            bestCost = cost;
        }
    }
    return best;
}

void placeBeside(QWidget *w, const QWidget *anchor, int gap, WithoutFrames withoutFrames)
{
    if (!w || !anchor)
        return;
    QMargins m;
    QVector<QRect> taken, keepClear;
    for (const QWidget *t : QApplication::topLevelWidgets()) {
        if (t == w || !t->isWindow() || t->windowType() == Qt::ToolTip || !(t->isVisible() || t == anchor))
            continue;
        // The main window's controls and drawing surface are what the user works with.
        if (const auto *main = qobject_cast<const QMainWindow *>(t); main && main->centralWidget())
            keepClear.append(QRect(main->centralWidget()->mapToGlobal(QPoint(0, 0)), main->centralWidget()->size()));
        if (!t->isVisible())
            continue;
        taken.append(t->frameGeometry());
        if (m.isNull())
            m = frameMargins(t);
    }
    // The client area is placed, not the frame: before a window is shown the toolkit cannot
    // know its frame, and a frame position then ends up as a client position anyway.
    const QRect anchorFrame = anchor->isVisible() ? anchor->frameGeometry() : anchor->geometry().marginsAdded(m);
    const QPoint inside(m.left(), m.top());
    if (m.isNull() && withoutFrames != WithoutFrames::Beside) {
        if (withoutFrames == WithoutFrames::RightOf)
            w->setGeometry(QRect(QPoint(anchorFrame.right() + 1 + gap, anchorFrame.top()), w->size()));
        return;
    }
    if (!anchor->isVisible())
        taken.append(anchorFrame);
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const Prefer prefer = withoutFrames == WithoutFrames::RightOf ? Prefer::RightThenBelow : Prefer::AnySide;
    const QPoint frame = beside(anchorFrame, w->size().grownBy(m), screen->availableGeometry(), gap, taken, keepClear, prefer);
    w->setGeometry(QRect(frame + inside, w->size()));
}

} // namespace WindowPlacement
