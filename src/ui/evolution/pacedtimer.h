// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PACEDTIMER_H
#define QUANTAURA_PACEDTIMER_H

#include "physics/pacer.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QTimer;

// The beat of the running evolution: a precise timer of about 60 frames a second, whose every
// tick asks the Pacer how many steps the real time since the last frame is worth at the chosen
// tempo and reports them with frame(). At Pacer::Fastest it is a 0 ms timer, one step a tick.
class PacedTimer : public QObject
{
    Q_OBJECT
public:
    // Milliseconds between two frames at the paced tempi.
    static constexpr int FrameInterval = 16;

    explicit PacedTimer(QObject *parent);

    // Seconds from any fixed origin, read at the start and at every frame: a steady clock,
    // replaceable so that tests give the time themselves.
    std::function<double()> clock;

    Pacer::Tempo tempo() const { return pacer.tempo(); }
    // A Pacer::Tempo (anything else: Normal), from the next frame on.
    void setTempo(int tempo);
    void start();
    // No frame is reported after this, not even one already queued.
    void stop();

signals:
    // A frame is due, and `steps` steps (perhaps none) with it.
    void frame(int steps);

private:
    void tick();

    QTimer *timer;
    Pacer pacer;
    QElapsedTimer realTime;
};

#endif
