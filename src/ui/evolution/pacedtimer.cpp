// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/pacedtimer.h"

#include <QTimer>

PacedTimer::PacedTimer(QObject *parent) : QObject(parent)
{
    realTime.start();
    clock = [this] { return realTime.nsecsElapsed() * 1e-9; };
    timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer); // frames at an even pace
    connect(timer, &QTimer::timeout, this, &PacedTimer::tick);
}

void PacedTimer::setTempo(int tempo)
{
    pacer.setTempo(tempo);
    if (pacer.running()) // the pacer counts on from the last frame, at the new tempo
        timer->start(pacer.tempo() == Pacer::Fastest ? 0 : FrameInterval);
}

void PacedTimer::start()
{
    pacer.start(clock());
    timer->start(pacer.tempo() == Pacer::Fastest ? 0 : FrameInterval);
}

void PacedTimer::stop()
{
    timer->stop();
    pacer.stop();
}

void PacedTimer::tick()
{
    if (pacer.running())
        emit frame(pacer.frame(clock()));
}
