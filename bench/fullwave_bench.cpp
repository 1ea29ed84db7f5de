// Time of one full-wave solution (mesh, fill, LU, port fit, directivity)
// against the size of the problem: the 0.45 in / 1.2 in / 3 in horn with a
// 1.5 mm wall at 8, 10, 12 and 15 GHz, the mesh density at 10 GHz, a body
// near the unknowns' cap; and
// the same horn judged on a dish (after the solution, and with it), a feed
// design on its guide, and a design row to a beamwidth or a gain on it
// (counter: the full-wave solutions it took).
// Run: ./fullwave_bench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include "fullwave/fullwave.h"
#include "fullwave/fullwave_design.h"
#include "fullwave/fullwave_feed.h"

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

// A body near the solver's 4000-unknown cap: a long cone (0.45 in guide,
// 3 in aperture, 30 in slant radius, its default guide and wall) at 10 GHz
// and 40 segments per wavelength, 3852 unknowns. Near the cap the LU
// factorisation (Eigen's, on one thread) takes most of the time.
void BM_FullWaveNearCap(benchmark::State& state) {
  const double b = 0.45 * 0.0254;
  const quaven::fullwave::Geometry cone{b, quaven::fullwave::default_guide_length_m(b), 3.0 * 0.0254, 30.0 * 0.0254,
                                        quaven::fullwave::default_wall_m(b)};
  quaven::fullwave::Options o;
  o.per_wavelength = 40.0;
  int n = 0;
  for (auto _ : state) {
    const quaven::fullwave::Horn h(cone, 10.0, o);
    n = h.unknowns();
    benchmark::DoNotOptimize(h.directivity_db());
  }
  state.counters["unknowns"] = n;
}
BENCHMARK(BM_FullWaveNearCap)->Unit(benchmark::kMillisecond)->Iterations(1);

// The judgement alone (f/D 0.4 and 1.0), the horn solved once.
void BM_FullWaveFeedJudge(benchmark::State& state) {
  const quaven::fullwave::Horn h(kHorn, 10.0);
  const double fd = 0.1 * static_cast<double>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(quaven::fullwave::judge_feed(h, kHorn, 10.0, fd));
}
BENCHMARK(BM_FullWaveFeedJudge)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

// Solution and judgement, as `feed --full-wave` with one f/D.
void BM_FullWaveFeedSolveAndJudge(benchmark::State& state) {
  quaven::fullwave::FeedRequest q;
  q.geometry = kHorn;
  q.frequency_ghz = 10.0;
  q.f_over_d = 0.4;
  for (auto _ : state) benchmark::DoNotOptimize(quaven::fullwave::judge_feed(q));
}
BENCHMARK(BM_FullWaveFeedSolveAndJudge)->Unit(benchmark::kMillisecond);

// One design row on the horn's guide: S = 0.2, f/D 0.8, best efficiency.
void BM_FullWaveFeedDesign(benchmark::State& state) {
  quaven::fullwave::FeedDesignRequest q;
  q.throat_radius_m = kHorn.throat_radius;
  q.guide_length_m = kHorn.guide_length;
  q.wall_m = kHorn.wall;
  q.frequency_ghz = 10.0;
  q.f_over_d = 0.8;
  q.s_cycles = 0.2;
  for (auto _ : state) benchmark::DoNotOptimize(quaven::fullwave::design_feed(q));
}
BENCHMARK(BM_FullWaveFeedDesign)->Unit(benchmark::kMillisecond)->Iterations(2);

// One design row at 10 GHz on the reference guide (its default body): 30
// degrees in the E plane at 3 dB at S = 0.1, 0.3 and 0.5 (arg 1, 3, 5), and
// 16 dBi of directivity at S = 0.3 (arg 0).
void BM_FullWaveDesignRow(benchmark::State& state) {
  quaven::fullwave::DesignRequest q;
  const double b = 0.45 * 0.0254;
  q.guide = quaven::fullwave::Geometry{b, quaven::fullwave::default_guide_length_m(b), b, 0.0,
                                       quaven::fullwave::default_wall_m(b)};
  q.frequency_ghz = 10.0;
  q.to_gain = state.range(0) == 0;
  q.s_cycles = q.to_gain ? 0.3 : 0.1 * static_cast<double>(state.range(0));
  q.target = q.to_gain ? 16.0 : 30.0;
  int solutions = 0;
  for (auto _ : state) {
    const quaven::fullwave::Design d = quaven::fullwave::design(q);
    solutions = d.solutions;
    benchmark::DoNotOptimize(d.figures.directivity_db);
  }
  state.counters["solutions"] = solutions;
}
BENCHMARK(BM_FullWaveDesignRow)->Arg(1)->Arg(3)->Arg(5)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
