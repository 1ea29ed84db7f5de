// Per-call cost of the TE11 pattern (chp11: one 16-point, four-component
// quadrature), of the phase centre (chpce: five patterns of one horn) and of
// whole table lines as the dialogue makes them: a design line (chbwd, the
// beamwidth curves, chpce, chngn and the formatted record) and a response
// line. Run: ./pattern_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <limits>
#include <string>

#include "text/records.h"
#include "legacy/chp11.h"
#include "legacy/chpce.h"
#include "legacy/figures.h"

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

// On the axis, where the forms need no Bessel values of u x.
void BM_chp11_axis(benchmark::State& state) {
  const Horn& h = kHorns[state.range(0)];
  float th = 0.0f;
  float ampe, amph, phe, phh;
  for (auto _ : state) {
    benchmark::DoNotOptimize(th);
    quaven::chp11(h.f, h.a, h.r, th, ampe, amph, phe, phh);
    benchmark::DoNotOptimize(ampe);
    benchmark::DoNotOptimize(phh);
  }
}
BENCHMARK(BM_chp11_axis)->DenseRange(0, 2);

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

// One line of the design table of the batch: 10 GHz, 30 degrees at 3 dB,
// E plane, S = 0.05, 0.3, 0.6; inches.
void BM_design_line(benchmark::State& state) {
  const float s = state.range(0) / 100.0f;
  const float bwc = quaven::curve_beamwidth(30.0f, 3.0f, 1);
  for (auto _ : state) {
    const quaven::DesignLine d = quaven::design_line(10.0f, bwc, 1, 1, s);
    std::string line = quaven::design_record(d, 1.0f);
    benchmark::DoNotOptimize(line);
  }
}
BENCHMARK(BM_design_line)->Arg(5)->Arg(30)->Arg(60);

// One line of the response table of the 1.2 x 3 inch horn at 2.5, 10 and
// 40 GHz.
void BM_response_line(benchmark::State& state) {
  const float fr = static_cast<float>(state.range(0)) / 10.0f;
  for (auto _ : state) {
    const quaven::HornFigures h = quaven::response_line(fr, 1.2f, 3.0f, 3.0f, 1);
    std::string line = quaven::response_record(fr, h, 1.0f);
    benchmark::DoNotOptimize(line);
  }
}
BENCHMARK(BM_response_line)->Arg(25)->Arg(100)->Arg(400);

}  // namespace

BENCHMARK_MAIN();
