// Cost of one evolution frame on the drawing surface and of a whole timer tick (step + frame).
#include "schdrawingsurface.h"
#include "wavepacket.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <vector>

namespace {
struct Surface {
    QPushButton fourier, streu;
    SchDrawingSurface s{nullptr, &fourier, &streu};
    Surface()
    {
        s.resize(1024, 600);
        s.show();
        QCoreApplication::processEvents();
        std::vector<double> v(SchDrawingSurface::N);
        for (int k = 0; k < SchDrawingSurface::N; ++k)
            v[k] = (k > 600 && k < 650) ? 0.01 : 0.0;
        s.setPot(v.data());
        s.packOnOff(true);
        s.setDX(100); // builds the default packet
    }
};

void BM_Frame(benchmark::State &state)
{
    Surface f;
    for (auto _ : state)
        f.s.drawEvolution(f.s.wave(), f.s.getPot());
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

void BM_Tick(benchmark::State &state)
{
    Surface f;
    for (auto _ : state)
        f.s.paintEvolution();
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);
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
