// The full-wave horn over a band: direct or interpolated (see sweep.h).
#include "fullwave/sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

#include "aperture/exact.h"
#include "numeric/constants.h"

namespace quaven {
namespace fullwave {
namespace {

constexpr double kPi = physical::pi;

// The figures interpolated, in this order; the last (the power balance)
// is carried along for the row's check but has no tolerance of its own.
enum Figure { bw1e, bw1h, bw2e, bw2h, bw10e, bw10h, pce, pch, dir, s11re, s11im, balance, kFigures };

std::vector<double> values(const HornResponse& r) {
  const Figures& f = r.figures;
  return {f.level1.e,         f.level1.h,         f.level2.e,       f.level2.h,      f.level10.e, f.level10.h,
          f.phase_centres.e,  f.phase_centres.h,  f.directivity_db, f.s11.real(),    f.s11.imag(), r.power_balance};
}

// Chebyshev-Lobatto points of [lo, hi], n of them, from lo up.
std::vector<double> lobatto(double lo, double hi, int n) {
  std::vector<double> x(n);
  for (int j = 0; j < n; ++j) x[j] = 0.5 * (lo + hi) - 0.5 * (hi - lo) * std::cos(kPi * j / (n - 1));
  x.front() = lo;
  x.back() = hi;
  return x;
}

// The polynomial through values y at the Lobatto points x, at t: the
// barycentric formula of the second kind with the weights (-1)^j, halved at
// the ends (Berrut & Trefethen 2004, eq. 5.2).
double interpolate(const std::vector<double>& x, const std::vector<double>& y, double t) {
  double num = 0.0, den = 0.0;
  const std::size_t n = x.size();
  for (std::size_t j = 0; j < n; ++j) {
    const double d = t - x[j];
    if (d == 0.0) return y[j];
    double w = (j % 2 == 0) ? 1.0 : -1.0;
    if (j == 0 || j + 1 == n) w *= 0.5;
    num += w / d * y[j];
    den += w / d;
  }
  return num / den;
}

// The magnitude of the two highest Chebyshev coefficients of the
// polynomial through y at the n Lobatto points: where the coefficients
// decay geometrically this bounds the interpolation error.
double tail(const std::vector<double>& y) {
  const int n = static_cast<int>(y.size()), m = n - 1;
  double t = 0.0;
  for (int k = m - 1; k <= m; ++k) {
    double c = 0.0;
    for (int j = 0; j <= m; ++j) c += ((j == 0 || j == m) ? 0.5 : 1.0) * y[j] * std::cos(kPi * j * k / m);
    c *= (k == m ? 1.0 : 2.0) / m;
    t += std::fabs(c);
  }
  return t;
}

double tolerance_of(int figure, const SweepTolerance& tol) {
  if (figure <= bw10h) return tol.beamwidth_deg;
  if (figure <= pch) return tol.phase_centre_wl;
  if (figure == dir) return tol.directivity_db;
  return tol.s11;
}

// Whether the interpolated figures v meet the direct ones d.
bool agree(const std::vector<double>& v, const std::vector<double>& d, const SweepTolerance& tol) {
  for (int i = 0; i < balance; ++i) {
    if (i == s11re || i == s11im) continue;
    if (std::isfinite(v[i]) != std::isfinite(d[i])) return false;
    if (std::isfinite(v[i]) && !(std::fabs(v[i] - d[i]) <= tolerance_of(i, tol))) return false;
  }
  return std::hypot(v[s11re] - d[s11re], v[s11im] - d[s11im]) <= tol.s11;
}

// Points per piece, tried in turn: each set holds the one before as every
// other point, so no solve is wasted. The reference horn over 8-12 GHz takes
// 17: from 9 points the largest tail is 16 times half its figure's
// tolerance, from 17 a third of it.
constexpr int kTries[4] = {5, 9, 17, 33};
constexpr int kFirst = kTries[0];

}  // namespace

FrequencySweep::FrequencySweep(const SweepRequest& request)
    : request_(request), freqs_(request.frequencies_ghz), fell_back_(freqs_.size(), false) {
  if (request.method == SweepMethod::direct) {
    for (std::size_t i = 0; i < freqs_.size(); ++i) {
      solve_direct(i);
      settle(1);
    }
    return;
  }
  std::vector<std::size_t> order(freqs_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return freqs_[a] < freqs_[b]; });
  fit(order, 0);
  std::sort(pieces_.begin(), pieces_.end(), [](const Piece& a, const Piece& b) { return a.lo < b.lo; });
}

HornResponse FrequencySweep::solve(double f) {
  ResponseRequest q;
  q.geometry = request_.geometry;
  q.frequency_ghz = f;
  q.level1_db = request_.level1_db;
  q.level2_db = request_.level2_db;
  q.per_wavelength = request_.per_wavelength;
  ++solves_;
  return response(q);
}

void FrequencySweep::settle(std::size_t n) {
  settled_ += n;
  report(settled_);
}

void FrequencySweep::report(std::size_t n) {
  if (n <= reported_) return;
  reported_ = n;
  if (request_.progress) request_.progress(n);
}

void FrequencySweep::solve_direct(std::size_t i) {
  if (direct_.count(freqs_[i]) == 0) direct_.emplace(freqs_[i], solve(freqs_[i]));
}

void FrequencySweep::fit(const std::vector<std::size_t>& idx, int depth) {
  // A piece with few more frequencies than the points it would take is
  // solved directly; one split off round a feature is noted as such.
  if (idx.size() <= static_cast<std::size_t>(kFirst + 3)) {
    for (const std::size_t i : idx) {
      solve_direct(i);
      if (depth > 0) fell_back_[i] = true;
      settle(1);
    }
    return;
  }
  const double lo = freqs_[idx.front()], hi = freqs_[idx.back()];
  if (!(hi > lo)) {
    for (const std::size_t i : idx) {
      solve_direct(i);
      settle(1);
    }
    return;
  }
  const SweepTolerance& tol = request_.tolerance;
  const int spent_before = solves_;
  Piece p{lo, hi, {}, {}, {}};
  double last_badness = std::numeric_limits<double>::infinity();
  for (const int n : kTries) {
    if (n > kFirst && idx.size() <= static_cast<std::size_t>(n + 3)) break;
    const std::vector<double> x = lobatto(lo, hi, n);
    std::vector<std::vector<double>> y(n);
    for (int j = 0; j < n; ++j) {
      // The first try's points are every other one of the second's.
      if (n > kFirst && j % 2 == 0) {
        y[j] = p.y[j / 2];
        continue;
      }
      const HornResponse r = solve(x[j]);
      if (j == 0) p.shape = r;
      y[j] = values(r);
      // Progress while the piece is being solved: a share of its
      // frequencies that grows with the solves but stays short of them all.
      const std::size_t spent = static_cast<std::size_t>(solves_ - spent_before);
      report(settled_ + idx.size() * spent / (spent + 8));
    }
    p.x = x;
    p.y = y;
    // Each figure's Chebyshev tail against half its tolerance (the other
    // half is left to the mesh's steps between the points).
    double badness = 0.0;
    std::vector<double> column(n);
    for (int fi = 0; fi < balance; ++fi) {
      int finite = 0;
      for (int j = 0; j < n; ++j) {
        column[j] = y[j][fi];
        finite += std::isfinite(column[j]) ? 1 : 0;
      }
      if (finite == 0) continue;  // a figure the horn does not have anywhere here
      const double b = finite < n ? std::numeric_limits<double>::infinity() : tail(column) / (0.5 * tolerance_of(fi, tol));
      badness = std::max(badness, std::isnan(b) ? std::numeric_limits<double>::infinity() : b);
    }
    if (!(badness <= 1.0)) {
      // Twice the points cut the tail of an analytic figure by a large
      // factor; one that shrinks less is not converging (a jump or a
      // resonance inside the piece), and the piece is halved instead.
      if (!(badness < 0.25 * last_badness)) break;
      last_badness = badness;
      continue;
    }
    last_badness = badness;
    // Direct solves between the points, near the low end and about the
    // middle (a sweep's own frequencies, so none is wasted).
    bool agreed = true;
    for (const double target : {0.5 * (x[0] + x[1]), 0.5 * (x[n / 2 - 1] + x[n / 2])}) {
      std::size_t best = idx.size();
      double gap = std::numeric_limits<double>::infinity();
      for (std::size_t k = 0; k < idx.size(); ++k) {
        const double f = freqs_[idx[k]];
        if (std::find(x.begin(), x.end(), f) != x.end()) continue;
        if (std::fabs(f - target) < gap) {
          gap = std::fabs(f - target);
          best = k;
        }
      }
      if (best == idx.size()) continue;
      const std::size_t i = idx[best];
      solve_direct(i);
      std::vector<double> v(kFigures);
      for (int fi = 0; fi < kFigures; ++fi) {
        std::vector<double> c(n);
        for (int j = 0; j < n; ++j) c[j] = y[j][fi];
        v[fi] = interpolate(x, c, freqs_[i]);
      }
      if (!agree(v, values(direct_.at(freqs_[i])), tol)) agreed = false;
    }
    if (agreed) {
      pieces_.push_back(std::move(p));
      settle(idx.size());
      return;
    }
  }
  // Halve it, unless the solves spent here and the least the halves would
  // take outnumber its frequencies: then solve them directly (noted where
  // the piece was itself split off round a feature; a whole band that is
  // too short for its figures' variation is simply solved).
  if (solves_ - spent_before + 2 * (kFirst + 2) >= static_cast<int>(idx.size())) {
    for (const std::size_t i : idx) {
      solve_direct(i);
      if (depth > 0) fell_back_[i] = true;
      settle(1);
    }
    return;
  }
  const std::size_t mid = idx.size() / 2;
  fit(std::vector<std::size_t>(idx.begin(), idx.begin() + mid), depth + 1);
  fit(std::vector<std::size_t>(idx.begin() + mid, idx.end()), depth + 1);
}

bool FrequencySweep::fell_back(std::size_t i) const { return fell_back_.at(i); }

HornResponse FrequencySweep::at(std::size_t i) const {
  const double f = freqs_.at(i);
  const auto d = direct_.find(f);
  if (d != direct_.end()) return d->second;
  // The piece that holds f (pieces do not overlap).
  auto it = std::upper_bound(pieces_.begin(), pieces_.end(), f, [](double t, const Piece& p) { return t < p.lo; });
  if (it == pieces_.begin()) throw std::logic_error("frequency sweep: a frequency neither solved nor interpolated");
  const Piece& p = *(it - 1);
  std::vector<double> v(kFigures);
  std::vector<double> c(p.x.size());
  for (int fi = 0; fi < kFigures; ++fi) {
    for (std::size_t j = 0; j < p.x.size(); ++j) c[j] = p.y[j][fi];
    v[fi] = interpolate(p.x, c, f);
  }
  HornResponse r = p.shape;
  r.frequency_ghz = f;
  const double wl = exact::wavelength_m(f);
  r.aperture_radius_wl = request_.geometry.aperture_radius / wl;
  r.s_cycles = exact::phase_deviation_cycles(request_.geometry.aperture_radius, request_.geometry.slant_radius, wl);
  Figures& g = r.figures;
  g.level1 = exact::Beamwidths{v[bw1e], v[bw1h]};
  g.level2 = exact::Beamwidths{v[bw2e], v[bw2h]};
  g.level10 = exact::Beamwidths{v[bw10e], v[bw10h]};
  g.phase_centres = exact::PhaseCentres{v[pce], v[pch]};
  g.directivity_db = v[dir];
  g.s11 = std::complex<double>(v[s11re], v[s11im]);
  g.s11_db = 20.0 * std::log10(std::abs(g.s11));
  r.power_balance = v[balance];
  return r;
}

}  // namespace fullwave
}  // namespace quaven
