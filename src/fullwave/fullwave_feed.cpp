// The full-wave horn on a paraboloid (see fullwave_feed.h).
#include "fullwave/fullwave_feed.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "aperture/exact_api.h"
#include "numeric/brent.h"
#include "numeric/constants.h"

namespace quaven {
namespace fullwave {

feed::Judgement judge_on_dish(const Horn& horn, const Geometry& g, double frequency_ghz, double theta0) {
  const double wl = exact::wavelength_m(frequency_ghz);
  feed::Options o;
  // The cone's apex lies sqrt(R^2 - a^2) behind the aperture plane; a guide
  // without flare has none.
  const double apex = g.aperture_radius > g.throat_radius
                          ? feed::apex_behind_aperture_wl(g.aperture_radius / wl,
                                                          exact::phase_deviation_cycles(g.aperture_radius,
                                                                                        g.slant_radius, wl))
                          : std::numeric_limits<double>::infinity();
  o.back_wl = std::min(o.back_wl, apex);
  o.extent_wl = horn.source_radius_wl();
  return feed::judge([&horn](double th) { return horn.field(th); }, theta0, o);
}

FeedRow judge_feed(const Horn& horn, const Geometry& g, double frequency_ghz, double f_over_d) {
  FeedRow r;
  feed::FeedRow& f = r.feed;
  f.frequency_ghz = frequency_ghz;
  f.wavelength_m = exact::wavelength_m(frequency_ghz);
  f.f_over_d = f_over_d;
  f.aperture_radius_m = g.aperture_radius;
  f.slant_radius_m = g.slant_radius;
  f.aperture_radius_wl = g.aperture_radius / f.wavelength_m;
  f.s_cycles = exact::phase_deviation_cycles(g.aperture_radius, g.slant_radius, f.wavelength_m);
  f.gain_db = horn.directivity_db();
  f.judgement = judge_on_dish(horn, g, frequency_ghz, feed::rim_half_angle(f_over_d));
  f.focus_behind_aperture_m = f.judgement.focus_behind_aperture_wl * f.wavelength_m;
  r.s11 = horn.s11();
  r.s11_db = 20.0 * std::log10(std::abs(r.s11));
  r.directivity_db = horn.directivity_db();
  r.power_balance = horn.power_balance();
  r.unknowns = horn.unknowns();
  return r;
}

FeedRow judge_feed(const FeedRequest& q) {
  Options o;
  o.per_wavelength = q.per_wavelength;
  const Horn horn(q.geometry, q.frequency_ghz, o);
  return judge_feed(horn, q.geometry, q.frequency_ghz, q.f_over_d);
}

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// No design: the request's dish and S with not-a-number elsewhere.
FeedRow no_design(const FeedDesignRequest& q) {
  FeedRow r;
  feed::FeedRow& f = r.feed;
  f.frequency_ghz = q.frequency_ghz;
  f.wavelength_m = exact::wavelength_m(q.frequency_ghz);
  f.f_over_d = q.f_over_d;
  f.s_cycles = q.s_cycles;
  f.aperture_radius_m = f.slant_radius_m = f.aperture_radius_wl = f.gain_db = f.focus_behind_aperture_m = kNan;
  f.judgement = feed::Judgement{kNan, {kNan, kNan, kNan, kNan, kNan}, kNan, kNan, kNan, kNan, kNan};
  f.judgement.rim_half_angle_deg = feed::rim_half_angle(q.f_over_d) / physical::rad_per_deg;
  r.s11_db = r.directivity_db = r.power_balance = kNan;
  r.s11 = {kNan, kNan};
  return r;
}

}  // namespace

FeedRow design_feed(const FeedDesignRequest& q) {
  const double wl = exact::wavelength_m(q.frequency_ghz);
  if (!(q.s_cycles > 0.0 && std::isfinite(q.s_cycles)) || std::isnan(feed::rim_half_angle(q.f_over_d))) {
    return no_design(q);
  }
  const feed::FeedRow start = feed::design({q.frequency_ghz, q.f_over_d, q.s_cycles, q.taper_db, q.max_flare_deg});
  if (!(start.aperture_radius_m > 0.0)) return no_design(q);
  Options o;
  o.per_wavelength = q.per_wavelength;
  const auto body = [&](double a) {
    return Geometry{q.throat_radius_m, q.guide_length_m, a, a * a / (2.0 * wl * q.s_cycles), q.wall_m};
  };
  const auto judged = [&](double a) {
    const Geometry g = body(a);
    const Horn horn(g, q.frequency_ghz, o);
    return judge_feed(horn, g, q.frequency_ghz, q.f_over_d);
  };
  // Above the guide, the flare within its bound (a >= 2 S lambda / sin(max),
  // which keeps the slant radius above the aperture).
  const double sin_max = std::sin(std::clamp(q.max_flare_deg, 1e-3, 90.0) * physical::rad_per_deg);
  const double lo =
      std::max({start.aperture_radius_m / 1.25, q.throat_radius_m, 2.0 * q.s_cycles * wl / sin_max}) * 1.001;
  const double hi = std::max(start.aperture_radius_m * 1.25, lo * 1.25);
  // Searched on the ratio to the aperture-theory radius a0.
  const double a0 = start.aperture_radius_m;
  double x;
  if (std::isnan(q.taper_db)) {
    // To a thousandth of the radius: the efficiency is flat at its maximum,
    // and the mesh (a segment more or less as the horn grows) moves it by
    // about 1e-4.
    double fx;
    x = numeric::localmin([&](double u) { return -judged(u * a0).feed.judgement.best.aperture; }, lo / a0, hi / a0,
                          1e-3, fx);
  } else {
    const auto excess = [&](double u) {
      const feed::Judgement j = judged(u * a0).feed.judgement;
      return 0.5 * (j.edge_taper_e_db + j.edge_taper_h_db) - q.taper_db;
    };
    const double x0 = lo / a0, x1 = hi / a0, f0 = excess(x0), f1 = excess(x1);
    if (!(f0 * f1 <= 0.0)) return no_design(q);
    x = numeric::zeroin(excess, x0, x1, f0, f1, 1e-4);
  }
  const double a = x * a0;
  return std::isfinite(a) ? judged(a) : no_design(q);
}

FeedRow design_feed(const Geometry& guide, double frequency_ghz, double f_over_d, double s_cycles, double taper_db,
                    double max_flare_deg) {
  FeedDesignRequest q;
  q.throat_radius_m = guide.throat_radius;
  q.guide_length_m = guide.guide_length;
  q.wall_m = guide.wall;
  q.frequency_ghz = frequency_ghz;
  q.f_over_d = f_over_d;
  q.s_cycles = s_cycles;
  q.taper_db = taper_db;
  q.max_flare_deg = max_flare_deg;
  return design_feed(q);
}

}  // namespace fullwave
}  // namespace quaven
