// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the live view at several window sizes: composing one evolution frame, and a whole
// timer tick (one step, the frame, and the paint into the window's backing store). Each is
// measured for the program (the composer, the surface) and for a copy of the earlier composer
// kept here as the reference: full black fill, one scanLine() per pixel, the colour through
// atan2 and three cosines, and a repaint of the whole widget. Last, a paced frame at the tempo
// "Normal": the steps 1/60 s is worth (with the sub-steps the packet needs) and the frame.
#include "physics/grid.h"
#include "physics/phasecolour.h"
#include "physics/propagator.h"
#include "ui/evolution/evolutioncomposer.h"
#include "ui/evolution/schdrawingsurface.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {
using cplx = std::complex<double>;
constexpr int N = GridPoints;

PhaseColour referenceColour(cplx z)
{
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return {103, 103, 183};
    const double m = std::abs(z);
    const double theta = std::arg(z);
    const double s = 1.0 - std::exp(-5.0 * m);
    const double c0 = std::cos(theta), c1 = std::cos(theta + 2.1), c2 = std::cos(theta + 4.2);
    return {int(((202.0 * c0 + 50.0) * c0 - 100.0) * s) + 103, int(((202.0 * c2 + 50.0) * c2 - 100.0) * s) + 103,
            int(((202.0 * c1 + 50.0) * c1 - 180.0) * s) + 183};
}

class ReferenceSurface : public QWidget
{
public:
    QImage view;
    int midLine = 0;

    ReferenceSurface() { setAttribute(Qt::WA_OpaquePaintEvent); }

    int yOf(double v) const
    {
        double y = midLine - v / 0.0001;
        const double nearest = std::round(y);
        if (std::fabs(y - nearest) < 1e-9)
            y = nearest;
        return std::isnan(y) ? midLine : int(std::clamp(y, -1.0e6, 1.0e6));
    }

    void drawEvolution(const cplx *wave, const double *V)
    {
        view.fill(qRgb(0, 0, 0));
        const int w = width(), h = height();
        for (int i = 0; i < w; ++i) {
            const int k = columnIndex(i, w);
            const PhaseColour c = referenceColour(wave[k]);
            const QRgb rgb = qRgb(c.red, c.green, c.blue);
            const double length = 0.5 * h * std::abs(wave[k]);
            const int L = length >= 0.0 ? int(std::min(length, 1.0e6)) : 0;
            const int y = V ? yOf(V[k]) : midLine;
            for (int row = std::max(y - L, 0); row <= std::min(y, h - 1); ++row)
                reinterpret_cast<QRgb *>(view.scanLine(row))[i] = rgb;
        }
        update();
    }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        view = QImage(width(), height(), QImage::Format_RGB32);
        view.fill(qRgb(0, 0, 0));
        midLine = height() / 2;
    }
    void paintEvent(QPaintEvent *e) override
    {
        QPainter painter(this);
        painter.drawImage(e->rect(), view, e->rect());
    }
};

// The surface and the reference at one size: a barrier on the right and a packet running at it
// from the left, placed as the tick counter does; both shown in the offscreen platform's backing
// store. The composer alone has the surface's size.
struct Scene {
    SchDrawingSurface surface{nullptr};
    ReferenceSurface reference;
    EvolutionComposer composer;
    std::vector<double> pot = std::vector<double>(N);
    std::vector<cplx> psi = std::vector<cplx>(N);
    Propagator propagator{pot.data(), psi.data(), N};

    Scene(int w, int h)
    {
        for (int k = 0; k < N; ++k)
            pot[k] = (k > 600 && k < 650) ? 0.01 : 0.0;
        for (QWidget *widget : {static_cast<QWidget *>(&surface), static_cast<QWidget *>(&reference)}) {
            widget->resize(w, h);
            widget->show();
        }
        QCoreApplication::processEvents();
        surface.setPot(pot.data());
        surface.packOnOff(true);
        surface.setP(50);
        const QPoint at(w / 4, surface.midRow() - 100); // a peak line of 100 pixels at every size
        QMouseEvent press(QEvent::MouseButtonPress, at, surface.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&surface, &press);
        std::copy(surface.simulation().wave(), surface.simulation().wave() + N, psi.begin());
        composer.resize(w, h, 1.0);
    }

    // 64 successive steps: consecutive frames differ as in the running program.
    std::vector<std::vector<cplx>> frames()
    {
        std::vector<std::vector<cplx>> f;
        for (int n = 0; n < 64; ++n) {
            propagator.step(50.0);
            f.push_back(psi);
        }
        return f;
    }
};

void frameArgs(benchmark::internal::Benchmark *b)
{
    for (auto [w, h] : {std::pair{534, 479}, {1000, 600}, {1024, 600}, {1754, 993}, {1920, 1080}})
        b->Args({w, h});
    b->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
}

void tickArgs(benchmark::internal::Benchmark *b)
{
    for (auto [w, h] : {std::pair{534, 479}, {1024, 600}, {1754, 993}, {1920, 1080}})
        b->Args({w, h});
    b->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
}

template <bool Reference>
void BM_Frame(benchmark::State &state)
{
    Scene scene(int(state.range(0)), int(state.range(1)));
    const auto frames = scene.frames();
    size_t n = 0;
    for (auto _ : state) {
        const cplx *wave = frames[n++ % frames.size()].data();
        if constexpr (Reference) {
            scene.reference.drawEvolution(wave, scene.pot.data());
            state.PauseTiming(); // the repaint is the tick's
            QCoreApplication::processEvents();
            state.ResumeTiming();
        } else {
            benchmark::DoNotOptimize(scene.composer.compose(wave, scene.pot.data()));
        }
    }
}
BENCHMARK_TEMPLATE(BM_Frame, true)->Name("BM_Frame/reference")->Apply(frameArgs);
BENCHMARK_TEMPLATE(BM_Frame, false)->Name("BM_Frame")->Apply(frameArgs);

// One timer tick as the event loop runs it: the step, the frame, then the paint event that the
// frame's update request causes, painting into the offscreen backing store.
template <bool Reference>
void BM_Tick(benchmark::State &state)
{
    Scene scene(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        if constexpr (Reference) {
            scene.propagator.step(50.0);
            scene.reference.drawEvolution(scene.psi.data(), scene.pot.data());
        } else {
            scene.surface.paintEvolution();
        }
        QCoreApplication::processEvents();
    }
}
BENCHMARK_TEMPLATE(BM_Tick, true)->Name("BM_Tick/reference")->Apply(tickArgs);
BENCHMARK_TEMPLATE(BM_Tick, false)->Name("BM_Tick")->Apply(tickArgs);

// One frame of the running evolution at "Normal" (128 steps a second, about 2.1 a frame at 60
// frames a second) on the double-well example, 1920 x 1080: a packet of width `dx` placed in the
// left well as a user would, 100 pixels high. The counter "substeps" is the n the step rule
// picks for it (the surface's first width, 100, wider than the well: the most there is, 64; the
// width slider's first position, 40: 16).
void BM_PacedFrame(benchmark::State &state)
{
    SchDrawingSurface surface(nullptr);
    double now = 0.0;
    surface.pacing()->clock = [&now] { return now; };
    surface.resize(1920, 1080);
    surface.show();
    QCoreApplication::processEvents();
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k) // doppelmulde.pot: wells 100 points wide and 0.02 deep, 40 apart
        pot[k] = std::fabs(k - 511.5) >= 20 && std::fabs(k - 511.5) < 120 ? -0.02 : 0.0;
    surface.setPot(pot.data());
    surface.packOnOff(true);
    surface.setDX(int(state.range(0)));
    const QPoint at((441 * 1920 + N - 1) / N, surface.midRow() - 100);
    QMouseEvent press(QEvent::MouseButtonPress, at, surface.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&surface, &press);
    surface.startEvolution(true);
    QTimer *timer = surface.findChild<QTimer *>();
    timer->stop(); // the frames are called here
    for (auto _ : state) {
        now += 1.0 / 60;
        QMetaObject::invokeMethod(timer, "timeout");
        QCoreApplication::processEvents();
    }
    state.counters["substeps"] = surface.simulation().subSteps();
    state.counters["steps/frame"] = benchmark::Counter(double(surface.simulation().stepCount()) / state.iterations());
    surface.startEvolution(false);
}
BENCHMARK(BM_PacedFrame)->Arg(100)->Arg(40)->ArgName("dx")->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
