// Per-call cost of the TE11 pattern (chp11: one 16-point, four-component
// quadrature), of the phase centre (chpce: five patterns of one horn) and of
// whole table lines as the dialogue makes them: a design line (chbwd, the
// beamwidth curves, chpce, chngn and the formatted record) and a response
// line. Run: ./pattern_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <limits>
#include <string>

#include "api/jobs.h"
#include "text/row_writer.h"
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

// The table lines of a request's rows, as the command line writes them.
class Lines : public quaven::api::Sink {
 public:
  void begin(const quaven::api::Head& head) override { head_ = head; }
  void row(const quaven::api::Row& row) override {
    std::string line = quaven::table_line(head_, row);
    benchmark::DoNotOptimize(line);
  }
  void end() override {}

 private:
  quaven::api::Head head_;
};

quaven::api::Number number(float x) { return quaven::api::Number{x, static_cast<double>(x)}; }

// Lines of a table cost their row and their formatting; the head of a
// request (its columns, fields and inputs) is made once per request. So a
// line is timed in a request of kLines equal rows (lines per second in the
// items rate), and a request of one row beside it.
constexpr int kLines = 64;

quaven::api::Sweep repeated(float x, int n) {
  return quaven::api::Sweep::list(std::vector<quaven::api::Number>(n, number(x)));
}

// The design table of the batch: 10 GHz, 30 degrees at 3 dB, E plane,
// S = 0.05, 0.3, 0.6; inches; through the value API, formatted.
quaven::api::DesignRequest design_request(float s, int n) {
  quaven::api::DesignRequest q;
  q.freq = number(10.0f);
  q.beamwidth = number(30.0f);
  q.s = repeated(s, n);
  return q;
}

void BM_design_line(benchmark::State& state) {
  const quaven::api::DesignRequest q = design_request(state.range(0) / 100.0f, kLines);
  Lines lines;
  for (auto _ : state) quaven::api::design(q, lines);
  state.SetItemsProcessed(state.iterations() * kLines);  // lines per second
}
BENCHMARK(BM_design_line)->Arg(5)->Arg(30)->Arg(60);

void BM_design_request_of_one_line(benchmark::State& state) {
  const quaven::api::DesignRequest q = design_request(state.range(0) / 100.0f, 1);
  Lines lines;
  for (auto _ : state) quaven::api::design(q, lines);
}
BENCHMARK(BM_design_request_of_one_line)->Arg(30);

// The response table of the 1.2 x 3 inch horn at 2.5, 10 and 40 GHz.
quaven::api::ResponseRequest response_request(float fr, int n) {
  quaven::api::ResponseRequest q;
  q.cone = {number(1.2f), number(3.0f)};
  q.freqs = repeated(fr, n);
  return q;
}

void BM_response_line(benchmark::State& state) {
  const quaven::api::ResponseRequest q = response_request(static_cast<float>(state.range(0)) / 10.0f, kLines);
  Lines lines;
  for (auto _ : state) quaven::api::response(q, lines);
  state.SetItemsProcessed(state.iterations() * kLines);  // lines per second
}
BENCHMARK(BM_response_line)->Arg(25)->Arg(100)->Arg(400);

void BM_response_request_of_one_line(benchmark::State& state) {
  const quaven::api::ResponseRequest q = response_request(static_cast<float>(state.range(0)) / 10.0f, 1);
  Lines lines;
  for (auto _ : state) quaven::api::response(q, lines);
}
BENCHMARK(BM_response_request_of_one_line)->Arg(25);

}  // namespace

BENCHMARK_MAIN();
