// A horn designed on the real metal (see fullwave_design.h).
#include "fullwave/fullwave_design.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include "aperture/exact.h"
#include "aperture/exact_api.h"
#include "numeric/brent.h"

namespace quaven {
namespace fullwave {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Aperture theory's aperture radius (metres) for the request, not-a-number
// where it has none: exact::design for a beamwidth; for a directivity the
// aperture whose exact gain at S it is, by zeroin on a/lambda from the
// smallest aperture above the TE11 cut-off up to 100 wavelengths.
double start_aperture(const DesignRequest& q) {
  const double wl = exact::wavelength_m(q.frequency_ghz);
  if (!q.to_gain) {
    exact::DesignRequest d;
    d.frequency_ghz = q.frequency_ghz;
    d.beamwidth_deg = q.target;
    d.level_db = q.level_db;
    d.plane = static_cast<exact::Plane>(q.plane);
    d.s_cycles = q.s_cycles;
    return exact::design(d).aperture_radius_m;
  }
  const auto excess = [&](double aw) { return exact::gain_db(aw, q.s_cycles) - q.target; };
  const double lo = std::max(0.3, 2.0 * q.s_cycles * 1.001), hi = 100.0;
  const double flo = excess(lo), fhi = excess(hi);
  if (!(flo * fhi <= 0.0)) return kNan;
  return numeric::zeroin(excess, lo, hi, flo, fhi, 1e-9) * wl;
}

// The request's figure of every horn solved, kept so that no aperture is
// solved twice.
class Solutions {
 public:
  explicit Solutions(const DesignRequest& q) : q_(q), wl_(exact::wavelength_m(q.frequency_ghz)) {}

  Geometry body(double a) const {
    Geometry g = q_.guide;
    g.aperture_radius = a;
    g.slant_radius = a * a / (2.0 * wl_ * q_.s_cycles);
    return g;
  }

  // The figure less the target; not-a-number where the solver refuses the
  // horn (a mesh beyond its bounds: the guide itself is the caller's to
  // check).
  double excess(double a) {
    for (const Entry& e : kept_) {
      if (e.a == a) return e.excess;
    }
    Entry e{a, {}, kNan, kNan};
    try {
      Options o;
      o.per_wavelength = q_.per_wavelength;
      const Horn horn(body(a), q_.frequency_ghz, o);
      e.figures = figures(horn, q_.level_db, 3.0);
      e.balance = horn.power_balance();
      e.excess = design_figure(e.figures, q_.to_gain, q_.plane) - q_.target;
    } catch (const std::invalid_argument&) {
    }
    kept_.push_back(e);
    return e.excess;
  }

  Design design_at(double a) {
    excess(a);
    for (const Entry& e : kept_) {
      if (e.a == a) {
        Design d;
        d.found = true;
        d.geometry = body(a);
        d.figures = e.figures;
        d.power_balance = e.balance;
        d.solutions = static_cast<int>(kept_.size());
        return d;
      }
    }
    return Design{};
  }

  int count() const { return static_cast<int>(kept_.size()); }

 private:
  struct Entry {
    double a;
    Figures figures;
    double balance, excess;
  };
  const DesignRequest& q_;
  double wl_;
  std::vector<Entry> kept_;
};

Design none(const DesignRequest& q, int solutions) {
  Design d;
  d.geometry = q.guide;
  d.geometry.aperture_radius = d.geometry.slant_radius = kNan;
  const exact::Beamwidths nan_bw{kNan, kNan};
  d.figures = Figures{nan_bw, nan_bw, nan_bw, exact::PhaseCentres{kNan, kNan}, kNan, kNan, {kNan, kNan}};
  d.power_balance = kNan;
  d.solutions = solutions;
  return d;
}

}  // namespace

double design_figure(const Figures& f, bool to_gain, int plane) {
  if (to_gain) return f.directivity_db;
  return plane == 1 ? f.level1.e : plane == 2 ? f.level1.h : 0.5 * (f.level1.e + f.level1.h);
}

Design design(const DesignRequest& q) {
  const double wl = exact::wavelength_m(q.frequency_ghz);
  if (!(q.s_cycles > 0.0 && std::isfinite(q.s_cycles) && std::isfinite(q.target))) return none(q, 0);
  const double a0 = start_aperture(q);
  if (!(a0 > 0.0 && std::isfinite(a0))) return none(q, 0);
  // Wider than the guide, the slant radius above the aperture, and at most
  // four times aperture theory's radius.
  const double lo = std::max(q.guide.throat_radius, 2.0 * q.s_cycles * wl) * 1.001;
  const double hi = std::max(4.0 * a0, 1.25 * lo);
  Solutions sol(q);
  // The figure falls with the aperture for a beamwidth and rises with it for
  // a directivity; the scaling law's step, bounded to a factor of 1.5.
  const auto law = [&](double a, double excess) {
    const double ratio = q.to_gain ? std::pow(10.0, -excess / 20.0) : (q.target + excess) / q.target;
    return std::clamp(a * std::clamp(ratio, 1.0 / 1.5, 1.5), lo, hi);
  };

  double x0 = std::clamp(a0, lo, hi), f0 = sol.excess(x0);
  if (std::isnan(f0)) return none(q, sol.count());
  if (f0 == 0.0) return sol.design_at(x0);
  double x1 = law(x0, f0), f1 = x1 == x0 ? f0 : sol.excess(x1);
  // Secant steps, each a fifth past the root it predicts, until the sign
  // changes (at most eight solutions in all for the bracket).
  while (!(f0 * f1 <= 0.0)) {
    if (std::isnan(f1) || x1 == lo || x1 == hi || sol.count() >= 8) return none(q, sol.count());
    double next = x1 - 1.2 * f1 * (x1 - x0) / (f1 - f0);
    if (!std::isfinite(next) || (next - x1) * (x1 - x0) <= 0.0) next = law(x1, f1);
    next = std::clamp(next, std::max(lo, x1 / 1.5), std::min(hi, x1 * 1.5));
    x0 = x1;
    f0 = f1;
    x1 = next;
    f1 = sol.excess(x1);
  }
  if (std::isnan(f1)) return none(q, sol.count());
  // A relative tolerance of 1e-5 in the radius: some 3e-4 degrees of a
  // 30-degree beamwidth.
  const double tol = 1e-5 * std::max(x0, x1);
  const double a = numeric::zeroin([&](double x) { return sol.excess(x); }, x0, x1, f0, f1, tol);
  // The root of a figure that jumps (the mesh gains a segment as the horn
  // grows) may miss the request by the jump: such a horn is not given.
  if (!(std::fabs(sol.excess(a)) <= (q.to_gain ? kGainToleranceDb : kBeamwidthToleranceDeg))) {
    return none(q, sol.count());
  }
  return sol.design_at(a);
}

}  // namespace fullwave
}  // namespace quaven
