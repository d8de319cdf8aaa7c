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
// on the screen, beside the window they belong to rather than over it where the screen allows,
// and never over the main window's working area (its controls and drawing surface) while the
// screen has room elsewhere.
namespace WindowPlacement {

// The frame a window manager draws around the shown top-level `w`; none without one.
QMargins frameMargins(const QWidget *w);

enum class Prefer {
    AnySide,       // the first free one of the places below
    RightThenBelow // right of the anchor whenever that fits on the screen, else below it
};

// Top-left corner for a frame of size `frame` next to the frame `anchor`, `gap` pixels apart.
// The places tried, in this order: right of the anchor, left of it, below it, above it, then the
// corners of `screen` (top right, bottom right, top left, bottom left). With RightThenBelow the
// first two of right and below that lie on the screen and clear of `keepClear` win at once. Else
// the first place that lies on the screen and overlaps none of `taken` and `keepClear` wins.
// Failing that, each place pushed onto the screen: one clear of `keepClear` if there is one, and
// of those the one that covers least (of `keepClear` three times, of a window in `taken` its top
// band and left column, its controls, five times as much as the rest); on a tie the earlier one.
QPoint beside(const QRect &anchor, const QSize &frame, const QRect &screen, int gap, const QVector<QRect> &taken,
              const QVector<QRect> &keepClear = {}, Prefer prefer = Prefer::AnySide);

enum class WithoutFrames {
    Keep,    // leave the window where it is
    RightOf, // right of the anchor, whatever the screen; with frames: Prefer::RightThenBelow
    Beside   // as with a window manager
};

// Places the not yet shown top-level `w` beside the top-level `anchor`, clear of every shown
// top-level window and of the working area (central widget) of every shown main window. Frames
// not known yet are taken to be as wide as the frame of a shown window. Without a window
// manager (no frame anywhere) `withoutFrames` decides.
void placeBeside(QWidget *w, const QWidget *anchor, int gap, WithoutFrames withoutFrames);

} // namespace WindowPlacement

#endif
