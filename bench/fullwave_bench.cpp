// Time of one full-wave solution (mesh, fill, LU, port fit, directivity)
// against the size of the problem: the 0.45 in / 1.2 in / 3 in horn with a
// 1.5 mm wall at 8, 10, 12 and 15 GHz, and the mesh density at 10 GHz.
// Run: ./fullwave_bench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include "horn/fullwave.h"

namespace {

const quaven::fullwave::Geometry kHorn{0.45 * 0.0254, 0.045, 1.2 * 0.0254, 3.0 * 0.0254, 1.5e-3};

void BM_FullWaveFrequency(benchmark::State& state) {
  const double ghz = static_cast<double>(state.range(0));
  int n = 0;
  for (auto _ : state) {
    const quaven::fullwave::Horn h(kHorn, ghz);
    n = h.unknowns();
    benchmark::DoNotOptimize(h.directivity_db());
  }
  state.counters["unknowns"] = n;
}
BENCHMARK(BM_FullWaveFrequency)->Arg(8)->Arg(10)->Arg(12)->Arg(15)->Unit(benchmark::kMillisecond);

void BM_FullWaveMesh(benchmark::State& state) {
  quaven::fullwave::Options o;
  o.per_wavelength = static_cast<double>(state.range(0));
  int n = 0;
  for (auto _ : state) {
    const quaven::fullwave::Horn h(kHorn, 10.0, o);
    n = h.unknowns();
    benchmark::DoNotOptimize(h.directivity_db());
  }
  state.counters["unknowns"] = n;
}
BENCHMARK(BM_FullWaveMesh)->Arg(15)->Arg(20)->Arg(30)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
