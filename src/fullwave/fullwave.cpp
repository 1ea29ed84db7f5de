// Full-wave conical horn: geometry, TE11 excitation and port, far field
// (see fullwave.h).
#include "fullwave/fullwave.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include <Eigen/Dense>

#include "aperture/beam_walk.h"
#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"

namespace quaven {
namespace fullwave {
namespace {

constexpr double kPi = physical::pi;
constexpr double kEta = physical::eta;
constexpr double kC = physical::c;
// Zeros of J1' (A&S table 9.5): TE11, TE12, TE13 of a circular guide.
constexpr double kChi[3] = {physical::chi, physical::chi_te12, physical::chi_te13};

using cd = std::complex<double>;

}  // namespace

std::vector<bor::Point> outline(const Geometry& g) {
  if (!g.profile.empty()) {
    if (g.has_parts())
      throw PartError(g.chokes.empty() ? PartError::Part::flange : PartError::Part::choke, 0,
                      "a profile is the whole body: draw a flange or choke ring into it");
    return g.profile;
  }
  const double b = g.throat_radius, l = g.guide_length, a = g.aperture_radius, w = g.wall;
  if (!(b > 0.0 && std::isfinite(b) && l > 0.0 && std::isfinite(l) && a >= b && std::isfinite(a) && w >= 0.0 &&
        std::isfinite(w)))
    throw std::invalid_argument("horn geometry: radii and guide length must be positive, aperture >= throat");
  double sin0 = 0.0, cos0 = 1.0, zap = l;
  if (a > b) {
    if (!(g.slant_radius > a)) throw std::invalid_argument("horn geometry: slant radius must exceed the aperture radius");
    // An infinite slant radius is a cylinder, which never widens from the
    // guide to the aperture.
    if (!std::isfinite(g.slant_radius))
      throw std::invalid_argument("horn geometry: an aperture wider than the guide needs a finite slant radius");
    sin0 = a / g.slant_radius;
    cos0 = std::sqrt(1.0 - sin0 * sin0);
    zap = l + (a - b) * cos0 / sin0;
  }
  std::vector<bor::Point> c = {{0.0, 0.0}, {b, 0.0}, {b, l}};
  if (a > b) c.push_back({a, zap});
  if (w == 0.0) {
    if (g.has_parts())
      throw PartError(g.chokes.empty() ? PartError::Part::flange : PartError::Part::choke, 0,
                      "a flange or choke ring needs a wall thicker than 0 (the body must be closed)");
    return c;
  }
  // Outer surface: the cone offset by w along its normal, cut by the
  // aperture plane, meeting the outer guide wall (radius b + w) at
  // z = l - w tan(theta0/2).
  HornOutside horn{{a + w / cos0, zap}, {}};
  if (a > b) horn.outside.push_back({b + w, l - w * sin0 / (1.0 + cos0)});
  horn.outside.push_back({b + w, -w});
  horn.outside.push_back({0.0, -w});
  return add_parts(c, horn, g.flange, g.chokes);
}

namespace {

// The meshed generating curve, after the checks that the guide propagates
// TE11 and the mesh is sensible.
std::vector<bor::Point> mesh(const Geometry& g, double k, double per) {
  std::vector<bor::Point> corners = outline(g);
  if (!(k > 0.0 && std::isfinite(k))) throw std::invalid_argument("frequency must be positive");
  if (!(k > kChi[0] / g.throat_radius && std::isfinite(k)))
    throw std::invalid_argument("frequency below the TE11 cut-off of the feed guide");
  // TM11 (first zero of J1, 3.8317) is the next mode of the same harmonic;
  // above its cut-off the guide no longer carries TE11 alone.
  if (!(k < 3.8317059702075123 / g.throat_radius))
    throw std::invalid_argument("frequency above the TM11 cut-off of the feed guide: it carries more than TE11");
  if (!(per >= 4.0 && per <= 1000.0)) throw std::invalid_argument("mesh density must be 4 to 1000 segments per wavelength");
  // The flat rim of a thick wall, often narrower than a segment, gets three
  // (as does every piece of a profile, which may have such rims):
  // one would carry the current round both edges of the rim as a single
  // linear piece, which moved the back lobe of a horn with a 1.5 mm wall by
  // 0.1 dB between 15 and 25 segments per wavelength.
  const double h = 2.0 * kPi / k / per;
  const int least = g.wall > 0.0 || !g.profile.empty() ? 3 : 1;
  // Two unknowns at most per node (the currents along the curve and round it).
  // Counted before the mesh is made, in double: a flange or profile many
  // orders of magnitude too large would overflow a piece's count of
  // segments.
  double count = 1.0;
  for (std::size_t i = 1; i < corners.size(); ++i)
    count += std::max(static_cast<double>(least),
                      std::ceil(std::hypot(corners[i].rho - corners[i - 1].rho, corners[i].z - corners[i - 1].z) / h));
  if (!(2.0 * count <= max_unknowns + 2.0 * corners.size()))
    throw std::invalid_argument("the body needs more than " + std::to_string(max_unknowns) +
                                " unknowns (its generating curve is longer than about " +
                                std::to_string(max_unknowns / (2 * static_cast<int>(per))) + " wavelengths)");
  std::vector<bor::Point> nodes = bor::mesh_polyline(corners, h, least);
  if (2 * nodes.size() > static_cast<std::size_t>(max_unknowns))
    throw std::invalid_argument("the body needs more than " + std::to_string(max_unknowns) +
                                " unknowns (its generating curve is longer than about " +
                                std::to_string(max_unknowns / (2 * static_cast<int>(per))) + " wavelengths)");
  return nodes;
}

}  // namespace

Horn::Horn(const Geometry& g, double freq_ghz, const Options& opt)
    : k_(2.0 * kPi * freq_ghz * 1e9 / kC),
      aw_(g.aperture_radius * k_ / (2.0 * kPi)),
      body_(mesh(g, k_, opt.per_wavelength), k_, opt.bor) {
  const std::vector<bor::Point> corners = outline(g);
  const double b = g.throat_radius, l = g.guide_length;
  const double kc = kChi[0] / b;
  const double beta = std::sqrt(k_ * k_ - kc * kc);
  z_aperture_ = 0.0;
  for (const bor::Point& p : corners) z_aperture_ = std::max(z_aperture_, p.z);

  // The dipole a quarter guide wavelength (at most a quarter of the guide)
  // in front of the back plate, where the wave it sends back adds in phase.
  const double zs = std::min(0.5 * kPi / beta, 0.25 * l);
  z_source_ = zs;
  // The dipole's fields (unit moment): E = -j k eta G (p x^ + q r^ (r^.x^))
  // and H = (1 + jkr) exp(-jkr)/(4 pi r^2) x^ x r^, whose cylindrical
  // components are H_rho = -h dz/r sin(phi), H_phi = -h dz/r cos(phi),
  // H_z = h rho/r sin(phi).
  const cd c = cd(0.0, -k_ * kEta / (4.0 * kPi));
  body_.solve([&](double rho, double z) {
    const double dz = z - zs;
    const double r = std::hypot(rho, dz), kr = k_ * r;
    const cd e = std::exp(cd(0.0, -kr));
    const cd g0 = c * e / r;
    const cd p = 1.0 - cd(0.0, 1.0) / kr - 1.0 / (kr * kr);
    const cd q = -1.0 + cd(0.0, 3.0) / kr + 3.0 / (kr * kr);
    const cd h = cd(1.0, kr) * e / (4.0 * kPi * r * r * r);
    return bor::IncidentSample(g0 * (p + q * (rho * rho) / (r * r)), g0 * q * (rho * dz) / (r * r), g0 * p, -h * dz,
                               h * rho, -h * dz);
  });

  // Fit of the azimuthal wall current of the guide between source and throat.
  double gam[2];
  for (int n = 0; n < 2; ++n) gam[n] = std::sqrt(std::max(0.0, std::pow(kChi[n + 1] / b, 2) - k_ * k_));
  const double margin = gam[0] > 0.0 ? 3.0 / gam[0] : 0.25 * l;
  std::vector<int> wall;
  const std::vector<bor::Point>& nodes = body_.nodes();
  for (int i = 0; i < static_cast<int>(nodes.size()); ++i)
    if (nodes[i].rho == b && nodes[i].z > zs + margin && nodes[i].z < l - margin) wall.push_back(i);
  const int nf = 6;
  if (static_cast<int>(wall.size()) < nf + 2) throw std::invalid_argument("feed guide too short for the TE11 port");
  Eigen::MatrixXcd m(wall.size(), nf);
  Eigen::VectorXcd y(wall.size());
  for (std::size_t r = 0; r < wall.size(); ++r) {
    const double z = nodes[wall[r]].z;
    m(r, 0) = std::exp(cd(0.0, -beta * (z - l)));
    m(r, 1) = std::exp(cd(0.0, beta * (z - l)));
    for (int n = 0; n < 2; ++n) {
      m(r, 2 + 2 * n) = std::exp(-gam[n] * (z - zs));
      m(r, 3 + 2 * n) = std::exp(-gam[n] * (l - z));
    }
    y(r) = body_.rho_jphi(wall[r]);
  }
  const Eigen::VectorXcd fit = m.colPivHouseholderQr().solve(y);
  const cd fwd = fit(0), bwd = fit(1);
  s11_ = bwd / fwd;

  // Power of the forward wave. At the wall J_phi = H_z = H0 J1(chi) sin(phi)
  // and rho J_phi = 2j sin(phi) x, so |H0 J1(chi)| = 2|x|/b; a TE mode
  // carries omega mu beta / (2 kc^2) int |H_z|^2 dA, and for TE11
  // int_0^b J1(kc rho)^2 rho drho = b^2 (1 - 1/chi^2) J1(chi)^2 / 2.
  const double chi2 = kChi[0] * kChi[0];
  // The wall current between the nodes is piecewise linear, and of a wave
  // exp(-j beta z) sampled at the nodes the part that travels with beta (the
  // transform of the triangle basis at beta) is the nodal amplitude times
  // sinc^2(beta h / 2): the guide carries the power of that part. Taking the
  // nodal amplitude itself overstated the power by (beta h)^2 / 6, a low
  // power balance and realised gain (1 % and 0.04 dB for the reference horn
  // at 12 GHz and 20 segments per wavelength) that went with the mesh.
  const double x = 0.5 * beta * (nodes[wall.back()].z - nodes[wall.front()].z) / static_cast<double>(wall.size() - 1);
  const double sinc2 = std::pow(std::sin(x) / x, 2);
  const double pfwd = k_ * kEta * beta / (kc * kc) * kPi * (1.0 - 1.0 / chi2) * std::norm(sinc2 * fwd);
  // r E sqrt(2 pi / (eta P)) squared is 4 pi U / P.
  norm_ = std::sqrt(2.0 * kPi / (kEta * pfwd)) * std::conj(fwd) / std::abs(fwd);

  // Radiated power and directivity from the pattern over the whole sphere.
  const numeric::GaussRule& gr = numeric::gauss_rule(16);
  double zmin = 0.0, zmax = 0.0, rmax = 0.0;
  for (const bor::Point& p : corners) {
    zmin = std::min(zmin, p.z);
    zmax = std::max(zmax, p.z);
    rmax = std::max(rmax, p.rho);
  }
  for (const bor::Point& p : corners)
    source_radius_wl_ = std::max(source_radius_wl_, std::hypot(p.rho, p.z - z_aperture_) * k_ / (2.0 * kPi));
  const int panels = std::max(8, static_cast<int>(std::ceil(k_ * (0.5 * (zmax - zmin) + rmax) / 3.0)));
  double sum = 0.0;
  for (int p = 0; p < panels; ++p)
    for (int i = 0; i < 16; ++i) {
      const double th = kPi * (p + 0.5 * (gr.x[i] + 1.0)) / panels;
      const exact::Field f = field(th);
      sum += 0.5 * gr.w[i] * kPi / panels * (std::norm(f.e) + std::norm(f.h)) * std::sin(th);
    }
  const exact::Field axis = field(0.0);
  directivity_db_ = 10.0 * std::log10(4.0 * std::norm(axis.e) / sum);
  // (pi / (2 eta)) int (|rE_theta|^2 + |rE_phi|^2) sin = P/4 int |field|^2 sin.
  balance_ = 0.25 * sum / (1.0 - std::norm(s11_));
}

exact::Field Horn::field(double theta) const {
  // The currents' field plus the dipole's own.
  const bor::FarField f = body_.far_field(theta, z_aperture_);
  const double ct = std::cos(theta);
  const cd d = cd(0.0, -k_ * kEta / (4.0 * kPi)) * std::exp(cd(0.0, k_ * (z_source_ - z_aperture_) * ct));
  return exact::Field{norm_ * (f.e + d * ct), norm_ * (f.h + d)};
}

void Horn::power_db(double theta, double& pe, double& ph) const {
  const exact::Field f = field(theta);
  pe = 10.0 * std::log10(std::norm(f.e));
  ph = 10.0 * std::log10(std::norm(f.h));
}

namespace {

// The solved horn as the beam walk reads it: its pattern known only as
// values.
struct Solved {
  const Horn& horn;
  void sample(double th, double& pe, double& ph) const { horn.power_db(th, pe, ph); }
  double power_at(double th, int p) const {
    double e, h;
    horn.power_db(th, e, h);
    return p == 0 ? e : h;
  }
  void near_axis(double th, double& pe, double& ph) const { horn.power_db(th, pe, ph); }
  double crossing(int p, double target, double a, double b, double, double fb, double*) const {
    return beam::zeroin_crossing(*this, p, target, a, b, fb);
  }
};

// Nodes of the Gauss rule over the angle in the phase-centre fit.
constexpr int kPhaseOrder = 24;

}  // namespace

Figures figures(const Horn& horn, double level1_db, double level2_db) {
  const Solved solved{horn};
  beam::Walk<Solved> walk(solved, 2.0 * kPi * horn.source_radius_wl());
  const double levels[3] = {level1_db, level2_db, 10.0};
  double he[3], hh[3];
  beam::half_widths(walk, 0, levels, 3, he);
  beam::half_widths(walk, 1, levels, 3, hh);
  const double d = 360.0 / kPi;  // full width in degrees from half width in radians
  Figures f;
  f.level1 = exact::Beamwidths{d * he[0], d * hh[0]};
  f.level2 = exact::Beamwidths{d * he[1], d * hh[1]};
  f.level10 = exact::Beamwidths{d * he[2], d * hh[2]};
  f.phase_centres =
      exact::PhaseCentres{beam::phase_centre([&](double th) { return horn.field(th).e; }, d * he[2], kPhaseOrder),
                          beam::phase_centre([&](double th) { return horn.field(th).h; }, d * hh[2], kPhaseOrder)};
  f.directivity_db = horn.directivity_db();
  f.s11 = horn.s11();
  f.s11_db = 20.0 * std::log10(std::abs(f.s11));
  return f;
}

double default_guide_length_m(double throat_radius_m) { return 1.5 * 2.0 * kPi * throat_radius_m / kChi[0]; }
double default_wall_m(double throat_radius_m) { return 2.0 * kPi * throat_radius_m / kChi[0] / 20.0; }

HornResponse response(const ResponseRequest& request) {
  Options o;
  o.per_wavelength = request.per_wavelength;
  const Horn horn(request.geometry, request.frequency_ghz, o);
  HornResponse r;
  r.frequency_ghz = request.frequency_ghz;
  const double wl = exact::wavelength_m(request.frequency_ghz);
  r.aperture_radius_wl = request.geometry.aperture_radius / wl;
  r.s_cycles = exact::phase_deviation_cycles(request.geometry.aperture_radius, request.geometry.slant_radius, wl);
  r.figures = figures(horn, request.level1_db, request.level2_db);
  r.power_balance = horn.power_balance();
  r.unknowns = horn.unknowns();
  r.formulation = horn.formulation();
  return r;
}

PatternPoint pattern_point(const Horn& horn, double angle_deg) {
  const auto db = exact::amplitude_db;
  const auto deg = exact::phase_deg;
  const exact::Field f = horn.field(std::fabs(std::remainder(angle_deg, 360.0)) * physical::rad_per_deg);
  const cd co = 0.5 * (f.e + f.h), xp = 0.5 * (f.e - f.h);
  PatternPoint p;
  p.planes.angle_deg = angle_deg;
  p.planes.amplitude_e_db = db(f.e);
  p.planes.phase_e_deg = deg(f.e);
  p.planes.amplitude_h_db = db(f.h);
  p.planes.phase_h_deg = deg(f.h);
  p.amplitude_45_co_db = db(co);
  p.phase_45_co_deg = deg(co);
  p.amplitude_45_xp_db = db(xp);
  p.phase_45_xp_deg = deg(xp);
  return p;
}

void check_mesh(const Geometry& g, double freq_ghz, double per_wavelength) {
  mesh(g, 2.0 * kPi * freq_ghz * 1e9 / kC, per_wavelength);
}

}  // namespace fullwave
}  // namespace quaven
