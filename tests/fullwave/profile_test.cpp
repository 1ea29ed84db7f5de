// A flange and choke rings round a horn's rim: the outline against corners
// worked out by hand, the refusals of parts that do not fit, and the solved
// body against the physics a choke must show.
#include "fullwave/profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fullwave/choke_design.h"
#include "fullwave/fullwave.h"
#include "fullwave/fullwave_feed.h"
#include "numeric/constants.h"

namespace {

using quaven::bor::Point;
using quaven::fullwave::Choke;
using quaven::fullwave::Flange;
using quaven::fullwave::Geometry;
using quaven::fullwave::PartError;
using quaven::fullwave::outline;

// An open X-band guide in millimetres: radius 10, length 40, wall 2.
Geometry guide() {
  return Geometry{10e-3, 40e-3, 10e-3, INFINITY, 2e-3};
}

void expect_corners(const std::vector<Point>& got, const std::vector<Point>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].rho, want[i].rho, 1e-12) << "corner " << i;
    EXPECT_NEAR(got[i].z, want[i].z, 1e-12) << "corner " << i;
  }
}

TEST(BodyParts, OutlinesOfRingsAndAFlange) {
  // Open guide: rim (12, 40) mm. Ring 1 a groove from 12 (the guide's own
  // wall its inner wall) 8 wide, 7.5 deep, 1 mm walls, flush; ring 2 from
  // 21 (sharing ring 1's outer wall) 8 wide, 7 deep, 1.5 mm walls, 1 mm
  // behind the aperture plane. Then ring 1 alone cut into a flange 40 mm
  // in radius, 3 thick. Corners by hand, in mm:
  struct Case {
    Flange flange;
    std::vector<Choke> chokes;
    std::vector<Point> mm;
  };
  const Choke ring1{12e-3, 8e-3, 7.5e-3, 1e-3, 0.0};
  const Case cases[] = {
      {{},
       {ring1, Choke{21e-3, 8e-3, 7e-3, 1.5e-3, 1e-3}},
       {{0, 0}, {10, 0}, {10, 40}, {12, 40},                  // inside, rim
        {12, 32.5}, {20, 32.5}, {20, 40}, {21, 40},           // groove 1, shared wall's top
        {21, 32}, {29, 32}, {29, 39}, {30.5, 39},             // groove 2, its outer wall's top
        {30.5, 30.5}, {19.5, 30.5}, {19.5, 31.5}, {12, 31.5}, // the rings' backs
        {12, -2}, {0, -2}}},                                  // the guide's outside
      {{40e-3, 3e-3},
       {ring1},
       {{0, 0}, {10, 0}, {10, 40}, {12, 40},
        {12, 32.5}, {20, 32.5}, {20, 40}, {40, 40},           // groove 1, the flange's face
        {40, 37}, {21, 37}, {21, 31.5}, {12, 31.5},           // its back, the ring's back
        {12, -2}, {0, -2}}},
  };
  for (const Case& c : cases) {
    Geometry g = guide();
    g.flange = c.flange;
    g.chokes = c.chokes;
    std::vector<Point> want;
    for (const Point& p : c.mm) want.push_back({p.rho * 1e-3, p.z * 1e-3});
    expect_corners(outline(g), want);
  }
}

TEST(BodyParts, ZeroWidthFlangeIsThePlainHorn) {
  // A cone (the reference horn in metres) and the open guide: a flange no
  // wider than the rim leaves the body corner for corner as it was.
  const double in = 0.0254;
  Geometry cone{0.45 * in, 2.21314 * in, 1.2 * in, 3.0 * in, 0.073771 * in};
  for (Geometry g : {cone, guide()}) {
    const std::vector<Point> plain = outline(g);
    g.flange = Flange{plain[plain.size() - 1 - (g.aperture_radius > g.throat_radius ? 3 : 2)].rho, 1e-3};
    const std::vector<Point> flanged = outline(g);
    ASSERT_EQ(flanged.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
      EXPECT_EQ(flanged[i].rho, plain[i].rho);
      EXPECT_EQ(flanged[i].z, plain[i].z);
    }
  }
}

TEST(BodyParts, OnAConeTheBackFaceMeetsTheConesOutside) {
  // The flange's back face (2 mm behind the aperture plane) runs in to the
  // cone's outer surface; the polygon's area is the plain horn's plus the
  // flange's annulus and the wedge between the cone and the rim's radius.
  const double in = 0.0254;
  Geometry g{0.45 * in, 2.21314 * in, 1.2 * in, 3.0 * in, 0.073771 * in};
  const auto area = [](const std::vector<Point>& c) {
    double s = 0.0;
    for (std::size_t i = 0; i < c.size(); ++i) {
      const Point& p = c[i];
      const Point& q = c[(i + 1) % c.size()];
      s += p.rho * q.z - q.rho * p.z;
    }
    return 0.5 * std::fabs(s);
  };
  const double plain = area(outline(g));
  const double sin0 = g.aperture_radius / g.slant_radius, cos0 = std::sqrt(1.0 - sin0 * sin0);
  const double ro = g.aperture_radius + g.wall / cos0, t = 2e-3, r = 50e-3;
  g.flange = Flange{r, t};
  // The cone's outside at 2 mm below the rim lies t tan(theta0) inside it.
  const double wedge = 0.5 * t * (t * sin0 / cos0);
  EXPECT_NEAR(area(outline(g)), plain + (r - ro) * t + wedge, 1e-12);
}

TEST(BodyParts, PartsThatDoNotFitAreRefusedByName) {
  struct Case {
    Flange flange;
    std::vector<Choke> chokes;
    double wall;
    PartError::Part part;
    int ring;
    const char* says;
  };
  using P = PartError::Part;
  const Choke ok{12e-3, 8e-3, 7.5e-3, 1e-3, 0.0};
  const Case cases[] = {
      {{11e-3, 1e-3}, {}, 2e-3, P::flange, 0, "at least the rim's outer radius"},
      {{40e-3, 0.0}, {}, 2e-3, P::flange, 0, "thickness must be greater than 0"},
      {{40e-3, 50e-3}, {}, 2e-3, P::flange, 0, "behind the feed guide's back plate"},
      {{}, {Choke{11e-3, 8e-3, 7.5e-3, 1e-3, 0.0}}, 2e-3, P::choke, 0, "groove's inner radius must be at least"},
      {{}, {Choke{12e-3, 8e-3, 0.0, 1e-3, 0.0}}, 2e-3, P::choke, 0, "depth must be greater than 0"},
      {{}, {Choke{12e-3, -1e-3, 7e-3, 1e-3, 0.0}}, 2e-3, P::choke, 0, "width must be greater than 0"},
      {{}, {Choke{12e-3, 8e-3, 7e-3, 0.0, 0.0}}, 2e-3, P::choke, 0, "wall must be thicker than 0"},
      {{}, {Choke{12e-3, 8e-3, 7e-3, 1e-3, -1e-3}}, 2e-3, P::choke, 0, "setback"},
      {{}, {ok, Choke{20.5e-3, 8e-3, 7e-3, 1e-3, 0.0}}, 2e-3, P::choke, 1, "overlaps ring 1"},
      {{}, {Choke{15e-3, 8e-3, 7e-3, 1e-3, 0.0}}, 2e-3, P::choke, 0, "no metal joins it"},
      {{}, {ok, Choke{30e-3, 8e-3, 7e-3, 1e-3, 0.0}}, 2e-3, P::choke, 1, "no metal joins it"},
      {{}, {Choke{12e-3, 8e-3, 45e-3, 1e-3, 0.0}}, 2e-3, P::choke, 0, "behind the feed guide's back plate"},
      {{}, {ok}, 0.0, P::choke, 0, "wall thicker than 0"},
      {{40e-3, 3e-3}, {Choke{12e-3, 8e-3, 7e-3, 1e-3, 1e-3}}, 2e-3, P::choke, 0, "cannot lie within the flange"},
  };
  for (const Case& c : cases) {
    Geometry g = guide();
    g.wall = c.wall;
    g.flange = c.flange;
    g.chokes = c.chokes;
    try {
      outline(g);
      ADD_FAILURE() << "accepted: " << c.says;
    } catch (const PartError& e) {
      EXPECT_EQ(e.part, c.part) << c.says;
      EXPECT_EQ(e.ring, c.ring) << c.says;
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(BodyParts, AQuarterWaveChokeCutsWhatTheOpenGuideSendsBack) {
  // The open guide that aperture theory finds best for f/D 0.4 at 10 GHz
  // (radius 0.545 in), with the full wave's default guide and wall, bare
  // and in a flange of radius 1.4 in with one groove a quarter wavelength
  // deep (inner radius 0.7 in, width 0.3 in, depth 0.295 in). The groove
  // stops the current the E plane drives across the front face and round
  // the rim: less spills past the dish's rim and behind the feed, the peak
  // of the 45-degree cross-polar (the bare guide's lies behind it) falls by
  // some 6 dB and the directivity rises; the body conserves energy though
  // it holds a resonant groove.
  const double in = 0.0254, b = 0.545 * in;
  quaven::fullwave::FeedRequest q;
  q.geometry = Geometry{b, quaven::fullwave::default_guide_length_m(b), b, INFINITY,
                        quaven::fullwave::default_wall_m(b)};
  q.frequency_ghz = 10.0;
  q.f_over_d = 0.4;
  const quaven::fullwave::FeedRow bare = quaven::fullwave::judge_feed(q);
  q.geometry.flange = Flange{1.4 * in, q.geometry.wall};
  q.geometry.chokes = {Choke{0.7 * in, 0.3 * in, 0.295 * in, q.geometry.wall, 0.0}};
  const quaven::fullwave::FeedRow choked = quaven::fullwave::judge_feed(q);
  EXPECT_NEAR(choked.power_balance, 1.0, 0.01);
  EXPECT_LT(choked.feed.judgement.cross_pol_45_db, bare.feed.judgement.cross_pol_45_db - 5.0);
  EXPECT_GT(choked.feed.judgement.best.spillover, bare.feed.judgement.best.spillover + 0.03);
  EXPECT_GT(choked.directivity_db, bare.directivity_db + 0.5);
}

TEST(BodyParts, TheChokeDesignerFindsAnOptimum) {
  // One ring round the 0.545 in guide for f/D 0.4 at 10 GHz, on a coarse
  // mesh: better than the bare guide, and the depth it settles on is a
  // maximum of the efficiency (a fiftieth of a wavelength either way is
  // worse); with equal tapers asked, the two planes' tapers agree.
  const double in = 0.0254, b = 0.545 * in, wl = 0.0299792458;
  quaven::fullwave::ChokeDesignRequest q;
  q.guide = Geometry{b, quaven::fullwave::default_guide_length_m(b), b, INFINITY, quaven::fullwave::default_wall_m(b)};
  q.frequency_ghz = 10.0;
  q.f_over_d = 0.4;
  q.per_wavelength = 10.0;
  const quaven::fullwave::ChokeDesign d = quaven::fullwave::design_choke_feed(q);
  quaven::fullwave::Options o;
  o.per_wavelength = q.per_wavelength;
  const auto efficiency = [&](const Geometry& g) {
    return quaven::fullwave::judge_feed(quaven::fullwave::Horn(g, 10.0, o), g, 10.0, 0.4).feed.judgement.best.aperture;
  };
  const double eff = d.row.feed.judgement.best.aperture;
  EXPECT_GT(eff, efficiency(q.guide) + 0.02);
  for (const double step : {-0.02 * wl, 0.02 * wl}) {
    Geometry g = d.geometry;
    g.chokes[0].depth += step;
    EXPECT_LT(efficiency(g), eff) << step;
  }
  EXPECT_NEAR(d.row.power_balance, 1.0, 0.01);
  q.equal_tapers = true;
  const quaven::feed::Judgement j = quaven::fullwave::design_choke_feed(q).row.feed.judgement;
  EXPECT_NEAR(j.edge_taper_e_db, j.edge_taper_h_db, 0.1);

  // Sizing the guide too: its radius stays in the single-mode band (the
  // 0.545 in guide is above TM01's cut-off, so it starts from the band's
  // top), and the design is at least as good as the rings designed on the
  // guide it started from.
  q.equal_tapers = false;
  q.size_guide = true;
  const quaven::fullwave::ChokeDesign sized = quaven::fullwave::design_choke_feed(q);
  const double kb = 2.0 * quaven::physical::pi / wl * sized.geometry.throat_radius;
  EXPECT_GE(kb, 1.05 * quaven::physical::chi - 1e-9);
  EXPECT_LE(kb, 0.995 * quaven::physical::chi_tm01 + 1e-9);
  q.size_guide = false;
  q.guide.throat_radius = q.guide.aperture_radius = 0.995 * quaven::physical::chi_tm01 * wl / (2.0 * quaven::physical::pi);
  EXPECT_GE(sized.row.feed.judgement.best.aperture,
            quaven::fullwave::design_choke_feed(q).row.feed.judgement.best.aperture - 1e-3);
}

}  // namespace
