// Frequency scan of one full-wave horn body, for finding spurious resonances:
// one CSV row per frequency with the reflection, the directivity, the
// realised gain on the axis, the power balance, the moment matrix's
// reciprocal condition number and the phase centres, under the integral
// equation chosen (the one the program picks, or the EFIE, MFIE or CFIE
// forced). Lengths in inches, frequencies in GHz; the frequencies are
// start + i * step (integer steps, so a long scan does not drift).
//
//   fullwave_scan THROAT APERTURE SLANT WALL GUIDE START STOP STEP
//                 [auto|efie|mfie|cfie] [SEGMENTS_PER_WAVELENGTH] [far|nofar]
//                 [flange=RADIUS,THICKNESS] [choke=INNER,WIDTH,DEPTH,WALL,SETBACK]...
//
// The flange and the choke rings (as many as given, from the axis
// outwards) stand round the rim, in inches.
//
// `nofar` gives every pair of segments the full Gauss rule (the solver's
// cheaper rule for far pairs off), to show what that rule moves.
// bench/scans/scan_resonances.sh runs the scans whose summaries are in
// bench/scans/.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "fullwave/fullwave.h"

int main(int argc, char** argv) {
  using namespace quaven;
  if (argc < 9) {
    std::fprintf(stderr,
                 "usage: fullwave_scan THROAT APERTURE SLANT WALL GUIDE START STOP STEP [auto|efie|mfie|cfie] "
                 "[PER_WAVELENGTH] [far|nofar]\n");
    return 2;
  }
  double v[8];
  for (int i = 0; i < 8; ++i) {
    char* end = nullptr;
    v[i] = std::strtod(argv[i + 1], &end);
    if (end == argv[i + 1] || *end != '\0') {
      std::fprintf(stderr, "fullwave_scan: argument %d (%s) is not a number\n", i + 1, argv[i + 1]);
      return 2;
    }
  }
  const double in = 0.0254;
  fullwave::Geometry g{v[0] * in, v[4] * in, v[1] * in, v[2] * in, v[3] * in};
  fullwave::Options o;
  if (argc > 9) {
    const std::string f = argv[9];
    if (f == "efie")
      o.bor.formulation = bor::Formulation::efie;
    else if (f == "mfie")
      o.bor.formulation = bor::Formulation::mfie;
    else if (f == "cfie")
      o.bor.formulation = bor::Formulation::cfie;
    else if (f != "auto") {
      std::fprintf(stderr, "fullwave_scan: formulation %s is not auto, efie, mfie or cfie\n", argv[9]);
      return 2;
    }
  }
  if (argc > 10) o.per_wavelength = std::atof(argv[10]);
  int first_part = 11;
  if (argc > 11 && (std::string(argv[11]) == "far" || std::string(argv[11]) == "nofar")) {
    o.bor.far_rule = std::string(argv[11]) == "far";
    first_part = 12;
  }
  for (int a = first_part; a < argc; ++a) {
    const std::string part = argv[a];
    double x[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    const bool flange = part.rfind("flange=", 0) == 0;
    const int want = flange ? 2 : 5;
    int got = 0;
    if (flange || part.rfind("choke=", 0) == 0) {
      // Numbers separated by commas, nothing after the last.
      const char* p = argv[a] + part.find('=') + 1;
      for (char* end = nullptr; got < want; p = end + 1) {
        x[got] = std::strtod(p, &end);
        if (end == p) break;
        ++got;
        if (*end != ',') {
          if (*end != '\0') got = -1;
          break;
        }
      }
    }
    if (got != want) {
      std::fprintf(stderr,
                   "fullwave_scan: %s is not far, nofar (the far-pair rule, first), flange=RADIUS,THICKNESS or "
                   "choke=INNER,WIDTH,DEPTH,WALL,SETBACK\n",
                   argv[a]);
      return 2;
    }
    if (flange)
      g.flange = fullwave::Flange{x[0] * in, x[1] * in};
    else
      g.chokes.push_back(fullwave::Choke{x[0] * in, x[1] * in, x[2] * in, x[3] * in, x[4] * in});
  }
  const double start = v[5], stop = v[6], step = v[7];
  if (!(step > 0.0) || !(stop >= start)) {
    std::fprintf(stderr, "fullwave_scan: need STEP > 0 and STOP >= START\n");
    return 2;
  }
  std::printf("frequency_ghz,formulation,unknowns,s11_db,s11_re,s11_im,directivity_db,axis_gain_db,power_balance,rcond,"
              "phase_centre_e_wl,phase_centre_h_wl\n");
  const long n = std::lround((stop - start) / step);
  for (long i = 0; i <= n; ++i) {
    const double f = start + static_cast<double>(i) * step;
    try {
      const fullwave::Horn h(g, f, o);
      double pe, ph;
      h.power_db(0.0, pe, ph);
      const std::complex<double> s = h.s11();
      const fullwave::Figures fig = fullwave::figures(h, 3.0, 10.0);
      std::printf("%.6f,%s,%d,%.6f,%.8f,%.8f,%.6f,%.6f,%.6f,%.4e,%.6f,%.6f\n", f, bor::name(h.formulation()),
                  h.unknowns(), 20.0 * std::log10(std::abs(s)), s.real(), s.imag(), h.directivity_db(), pe,
                  h.power_balance(), h.rcond(), fig.phase_centres.e, fig.phase_centres.h);
      std::fflush(stdout);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "fullwave_scan: %.6f GHz: %s\n", f, e.what());
      return 1;
    }
  }
  return 0;
}
