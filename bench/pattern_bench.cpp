// Per-call cost of the TE11 pattern (chp11: one 16-point, four-component
// quadrature, 80 Bessel values) and of the phase centre (chpce: five
// patterns). Run: ./pattern_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <limits>

#include "horn/chp11.h"
#include "horn/chpce.h"

namespace {

struct Horn {
  float f, a, r;
};

// S = 0, about 0.2 and about 0.6.
const Horn kHorns[] = {{10.0f, 1.5f, std::numeric_limits<float>::infinity()}, {10.0f, 2.0f, 8.5f},
                       {8.0f, 2.5f, 3.5f}};

void BM_chp11(benchmark::State& state) {
  const Horn& h = kHorns[state.range(0)];
  float th = 0.2f;
  float ampe, amph, phe, phh;
  for (auto _ : state) {
    benchmark::DoNotOptimize(th);
    quaven::chp11(h.f, h.a, h.r, th, ampe, amph, phe, phh);
    benchmark::DoNotOptimize(ampe);
    benchmark::DoNotOptimize(amph);
    benchmark::DoNotOptimize(phe);
    benchmark::DoNotOptimize(phh);
  }
}
BENCHMARK(BM_chp11)->DenseRange(0, 2);

void BM_chpce(benchmark::State& state) {
  const Horn& h = kHorns[state.range(0)];
  float be = 40.0f, bh = 45.0f;
  float pe, ph;
  for (auto _ : state) {
    benchmark::DoNotOptimize(be);
    quaven::chpce(h.f, h.a, h.r, be, pe, bh, ph);
    benchmark::DoNotOptimize(pe);
    benchmark::DoNotOptimize(ph);
  }
}
BENCHMARK(BM_chpce)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
