// Cost of the dish-feed figures: judging one horn on one dish (patterns over
// the sphere, the best focus, tapers and cross-polarisation), the best
// aperture at one phase deviation, and the whole default design (the best
// phase deviation in 0 .. 1 with its best aperture).
// Run: ./feed_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include "feed/feed.h"

namespace {

// A horn near the best for f/D = 0.4 with its apex close behind (s = 0.2),
// a large one whose rim meets the sidelobes, and an open-ended guide, whose
// apex is at infinity so that the whole 63-wavelength range is searched.
struct Case {
  double aw, s, fd;
};
const Case kCases[] = {{0.8, 0.2, 0.4}, {3.0, 0.2, 0.3}, {0.7, 0.0, 0.4}};

void BM_judge_horn(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(quaven::feed::judge_horn(c.aw, c.s, c.fd));
}
BENCHMARK(BM_judge_horn)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_best_aperture(benchmark::State& state) {
  const double s = state.range(0) / 10.0;
  for (auto _ : state) benchmark::DoNotOptimize(quaven::feed::best_aperture(0.4, s));
}
BENCHMARK(BM_best_aperture)->Arg(0)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_best_design(benchmark::State& state) {
  const double fd = state.range(0) / 10.0;
  for (auto _ : state) benchmark::DoNotOptimize(quaven::feed::best_design(fd));
}
BENCHMARK(BM_best_design)->Arg(3)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
