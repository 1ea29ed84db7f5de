#include "dialogue/records.h"

#include "dialogue/fields.h"

namespace quaven {
namespace {
std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
}  // namespace

std::string design_header() {
  return "\n" + blanks(2) + " S" + blanks(3) + " Aperture Radius" + blanks(1) + " Slant Radius" + blanks(4) +
         " Gain  Phase CTR. E, H\n\n";
}

std::string design_record(const DesignLine& d, float un) {
  return fixed(6, 3, d.s) + blanks(6) + fixed(8, 4, un * d.arad) + blanks(7) + fixed(8, 4, un * d.srad) + blanks(4) +
         fixed(7, 2, d.fig.gain) + blanks(2) + fixed(7, 3, un * d.fig.pce) + blanks(2) + fixed(7, 3, un * d.fig.pch) +
         "\n";
}

std::string response_title(float arad, float srad, int iunit) {
  const float un = unit_factor[iunit - 1];
  return "\n Frequency Response, Aperture:" + fixed(8, 3, un * arad) + unit_label[iunit - 1] + blanks(2) +
         " Slant Radius:" + fixed(8, 3, un * srad) + "\n";
}

std::string response_header(const float blv[4]) {
  return "\n" + blanks(13) + " E Plane" + blanks(5) + " E Plane" + blanks(4) + " H Plane" + blanks(5) + " H Plane\n" +
         blanks(12) + " Beamwidths" + blanks(5) + " Phase" + blanks(3) + " Beamwidths" + blanks(5) + " Phase\n" +
         " Frequency" + fixed(5, 0, blv[0]) + " dB" + fixed(5, 0, blv[1]) + " dB" + "  Center" + blanks(1) +
         fixed(5, 0, blv[2]) + " dB" + fixed(5, 0, blv[3]) + " dB" + "  Center" + blanks(4) + " Gain\n\n";
}

std::string response_record(float fr, const HornFigures& h, float un) {
  return blanks(1) + fixed(8, 4, fr) + blanks(2) + fixed(6, 1, h.bwe3) + blanks(2) + fixed(6, 1, h.bwe10) + blanks(2) +
         fixed(7, 3, un * h.pce) + blanks(2) + fixed(6, 1, h.bwh3) + blanks(2) + fixed(6, 1, h.bwh10) + blanks(2) +
         fixed(7, 3, un * h.pch) + blanks(2) + fixed(7, 2, h.gain) + "\n";
}

}  // namespace quaven
