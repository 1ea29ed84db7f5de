// The full-wave horn on a paraboloid (see fullwave_feed.h).
#include "horn/fullwave_feed.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "horn/exact_api.h"

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
  r.s11_db = 20.0 * std::log10(std::abs(horn.s11()));
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

}  // namespace fullwave
}  // namespace quaven
