// Per-call cost of the exact-mode figures, through the functions of
// aperture/exact.h only, so that the same file also builds against earlier
// commits for side-by-side runs:
//   response line  exact::figures at 3 and 10 dB (beamwidths, phase centres,
//                  gain) of the 1.2 x 3 inch horn at 4 to 40 GHz;
//   design line    exact::design_aw (10 GHz, 30 degrees at 3 dB, E plane) and
//                  the figures of the designed horn, S = 0.05, 0.3, 0.6;
//   pattern angle  the field of a horn already set up (a pattern row), over
//                  a whole pattern (0 to 180 degrees), and set up anew for
//                  the angle;
//   figures vs a/lambda at S = 0.25 (0.5 to 20 wavelengths).
// Run: ./exact_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include "aperture/exact.h"

namespace {

namespace exact = quaven::exact;

constexpr double kInPerNs = 11.802852677165354;  // c in inches per nanosecond

void BM_exact_response_line(benchmark::State& state) {
  const double f = static_cast<double>(state.range(0));
  const double wl = kInPerNs / f, aw = 1.2 / wl, s = 1.2 * 1.2 / (2.0 * wl * 3.0);
  for (auto _ : state) {
    const exact::Figures g = exact::figures(aw, s, 3.0, 10.0);
    benchmark::DoNotOptimize(g);
  }
}
BENCHMARK(BM_exact_response_line)->Arg(4)->Arg(8)->Arg(10)->Arg(12)->Arg(16)->Arg(20)->Arg(40);

void BM_exact_design_line(benchmark::State& state) {
  const double s = static_cast<double>(state.range(0)) / 100.0;
  for (auto _ : state) {
    const double aw = exact::design_aw(s, 30.0, 3.0, exact::Plane::e);
    const exact::Figures g = exact::figures(aw, s, 3.0, 10.0);
    benchmark::DoNotOptimize(g);
  }
}
BENCHMARK(BM_exact_design_line)->Arg(5)->Arg(30)->Arg(60);

// The 1.2 x 3 inch horn at 10 GHz, 0.2 rad (11.5 degrees) and 1.2 rad off axis.
void BM_exact_pattern_angle(benchmark::State& state) {
  const double wl = kInPerNs / 10.0;
  const exact::Horn horn(1.2 / wl, 1.2 * 1.2 / (2.0 * wl * 3.0));
  double th = static_cast<double>(state.range(0)) / 10.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(th);
    const exact::Field f = horn.field(th);
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_exact_pattern_angle)->Arg(2)->Arg(12);

// A whole pattern, 0 to 180 degrees in steps of 1, per angle.
void BM_exact_pattern_sweep(benchmark::State& state) {
  const double wl = kInPerNs / 10.0;
  const exact::Horn horn(1.2 / wl, 1.2 * 1.2 / (2.0 * wl * 3.0));
  for (auto _ : state) {
    for (int d = 0; d <= 180; ++d) {
      const exact::Field f = horn.field(d * 3.14159265358979323846 / 180.0);
      benchmark::DoNotOptimize(f);
    }
  }
  state.SetItemsProcessed(state.iterations() * 181);
}
BENCHMARK(BM_exact_pattern_sweep);

void BM_exact_pattern_angle_new_horn(benchmark::State& state) {
  const double wl = kInPerNs / 10.0;
  double th = static_cast<double>(state.range(0)) / 10.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(th);
    const exact::Horn horn(1.2 / wl, 1.2 * 1.2 / (2.0 * wl * 3.0));
    const exact::Field f = horn.field(th);
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_exact_pattern_angle_new_horn)->Arg(2)->Arg(12);

// Argument: a/lambda in tenths.
void BM_exact_figures_vs_aperture(benchmark::State& state) {
  const double aw = static_cast<double>(state.range(0)) / 10.0;
  for (auto _ : state) {
    const exact::Figures g = exact::figures(aw, 0.25, 3.0, 10.0);
    benchmark::DoNotOptimize(g);
  }
}
BENCHMARK(BM_exact_figures_vs_aperture)->Arg(5)->Arg(10)->Arg(20)->Arg(50)->Arg(100)->Arg(200);

}  // namespace

BENCHMARK_MAIN();
