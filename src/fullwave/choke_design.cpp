// The choke-ring feed designer (see choke_design.h).
#include "fullwave/choke_design.h"

#include <cmath>
#include <stdexcept>

#include "aperture/exact_api.h"
#include "numeric/brent.h"

namespace quaven {
namespace fullwave {

ChokeDesign design_choke_feed(const ChokeDesignRequest& q) {
  const Geometry& g0 = q.guide;
  if (!(g0.aperture_radius == g0.throat_radius && g0.wall > 0.0 && !g0.has_parts() && g0.profile.empty()))
    throw std::invalid_argument("a choke feed is designed on an open-ended guide with a wall thicker than 0");
  if (!(q.rings >= 1 && q.rings <= 3)) throw std::invalid_argument("a choke feed has 1 to 3 rings");
  const double wl = exact::wavelength_m(q.frequency_ghz);
  const double rim = g0.throat_radius + g0.wall, width = 0.3 * wl, w = g0.wall;
  Options o;
  o.per_wavelength = q.per_wavelength;
  ChokeDesign best;
  const auto body = [&](double inner, double depth) {
    Geometry g = g0;
    double r = inner;
    for (int k = 0; k < q.rings; ++k, r = r + width + w) g.chokes.push_back({r, width, depth, w, 0.0});
    g.flange = Flange{r, w};
    return g;
  };
  const auto cost = [&](double inner, double depth) {
    const Geometry g = body(inner, depth);
    const Horn horn(g, q.frequency_ghz, o);
    const FeedRow r = judge_feed(horn, g, q.frequency_ghz, q.f_over_d);
    ++best.judgements;
    const feed::Judgement& j = r.feed.judgement;
    return q.equal_tapers ? std::fabs(j.edge_taper_e_db - j.edge_taper_h_db) : -j.best.aperture;
  };
  double inner = rim + 0.25 * wl, depth = 0.25 * wl, f = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    inner = numeric::localmin([&](double x) { return cost(x, depth); }, rim, rim + 0.6 * wl, 2e-3 * wl, f);
    depth = numeric::localmin([&](double x) { return cost(inner, x); }, 0.15 * wl, 0.4 * wl, 2e-3 * wl, f);
  }
  best.geometry = body(inner, depth);
  const Horn horn(best.geometry, q.frequency_ghz, o);
  best.row = judge_feed(horn, best.geometry, q.frequency_ghz, q.f_over_d);
  ++best.judgements;
  return best;
}

}  // namespace fullwave
}  // namespace quaven
