// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_WINDOWPLACEMENT_H
#define QUANTAURA_WINDOWPLACEMENT_H

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

// Where the side windows open: with a window manager their frames (title bars included) stand
// on the screen, beside the window they belong to rather than over it where the screen allows.
namespace WindowPlacement {

// The frame a window manager draws around the shown top-level `w`; none without one.
QMargins frameMargins(const QWidget *w);

// Top-left corner for a frame of size `frame` next to the frame `anchor`, `gap` pixels apart:
// the first of right of it, left of it, below it, above it, and then the corners of `screen`
// (top right, bottom right, top left, bottom left) that lies on the screen and overlaps none of
// `taken`. Failing that, the one of them, pushed onto the screen, that covers least of `taken`,
// where covering a window's top band or left column (its controls) weighs more.
QPoint beside(const QRect &anchor, const QSize &frame, const QRect &screen, int gap, const QVector<QRect> &taken);

enum class WithoutFrames {
    Keep,    // leave the window where it is
    RightOf, // right of the anchor, whatever the screen
    Beside   // as with a window manager
};

// Places the not yet shown top-level `w` beside the top-level `anchor`, clear of every shown
// top-level window. Frames not known yet are taken to be as wide as the frame of a shown
// window. Without a window manager (no frame anywhere) `withoutFrames` decides.
void placeBeside(QWidget *w, const QWidget *anchor, int gap, WithoutFrames withoutFrames);

} // namespace WindowPlacement

#endif
