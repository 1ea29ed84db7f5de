// The choke-ring feed designer (see choke_design.h).
#include "fullwave/choke_design.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "aperture/exact_api.h"
#include "numeric/brent.h"
#include "numeric/constants.h"

namespace quaven {
namespace fullwave {

ChokeDesign design_choke_feed(const ChokeDesignRequest& q) {
  const Geometry& g0 = q.guide;
  if (!(g0.aperture_radius == g0.throat_radius && g0.wall > 0.0 && !g0.has_parts() && g0.profile.empty()))
    throw std::invalid_argument("a choke feed is designed on an open-ended guide with a wall thicker than 0");
  if (!(q.rings >= 1 && q.rings <= 3)) throw std::invalid_argument("a choke feed has 1 to 3 rings");
  const double wl = exact::wavelength_m(q.frequency_ghz);
  const double k = 2.0 * physical::pi / wl, width = 0.3 * wl, w = g0.wall;
  Options o;
  o.per_wavelength = q.per_wavelength;
  ChokeDesign best;
  // The body for a guide radius b, the first groove's inner wall `gap`
  // beyond the rim and the grooves' depth.
  const auto body = [&](double b, double gap, double depth) {
    Geometry g = g0;
    g.throat_radius = g.aperture_radius = b;
    double r = b + w + gap;
    for (int i = 0; i < q.rings; ++i, r = r + width + w) g.chokes.push_back({r, width, depth, w, 0.0});
    g.flange = Flange{r, w};
    return g;
  };
  const auto cost = [&](double b, double gap, double depth) {
    const Geometry g = body(b, gap, depth);
    const Horn horn(g, q.frequency_ghz, o);
    const FeedRow r = judge_feed(horn, g, q.frequency_ghz, q.f_over_d);
    ++best.judgements;
    const feed::Judgement& j = r.feed.judgement;
    return q.equal_tapers ? std::fabs(j.edge_taper_e_db - j.edge_taper_h_db) : -j.best.aperture;
  };
  const double b_lo = 1.05 * physical::chi / k, b_hi = 0.995 * physical::chi_tm01 / k;
  double b = q.size_guide ? std::min(std::max(g0.throat_radius, b_lo), b_hi) : g0.throat_radius;
  double gap = 0.25 * wl, depth = 0.25 * wl, f = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    if (q.size_guide) b = numeric::localmin([&](double x) { return cost(x, gap, depth); }, b_lo, b_hi, 2e-3 * wl, f);
    gap = numeric::localmin([&](double x) { return cost(b, x, depth); }, 0.0, 0.6 * wl, 2e-3 * wl, f);
    depth = numeric::localmin([&](double x) { return cost(b, gap, x); }, 0.15 * wl, 0.4 * wl, 2e-3 * wl, f);
  }
  best.geometry = body(b, gap, depth);
  const Horn horn(best.geometry, q.frequency_ghz, o);
  best.row = judge_feed(horn, best.geometry, q.frequency_ghz, q.f_over_d);
  ++best.judgements;
  return best;
}

}  // namespace fullwave
}  // namespace quaven
