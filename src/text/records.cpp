#include "text/records.h"

#include "text/fields.h"

namespace quaven {
namespace {

// `text` right-justified in `w` characters.
std::string right(int w, const std::string& text) {
  return text.size() >= static_cast<std::size_t>(w) ? text : blanks(w - static_cast<int>(text.size())) + text;
}

}  // namespace

std::string design_header(bool beamwidths) {
  return "\n" + blanks(2) + " S" + blanks(3) + " Aperture Radius" + blanks(1) + " Slant Radius" + blanks(4) +
         " Gain  Phase CTR. E, H" + (beamwidths ? "  E 3 dB  H 3 dB E 10 dB H 10 dB" : "") + "\n\n";
}

std::string design_fields(float s, float arad, float srad, float gain, float pce, float pch) {
  return fixed(6, 3, s) + blanks(6) + fixed(8, 4, arad) + blanks(7) + fixed(8, 4, srad) + blanks(4) +
         fixed(7, 2, gain) + blanks(2) + fixed(7, 3, pce) + blanks(2) + fixed(7, 3, pch);
}

std::string beamwidth_fields(float bwe3, float bwh3, float bwe10, float bwh10) {
  return blanks(2) + fixed(6, 1, bwe3) + blanks(2) + fixed(6, 1, bwh3) + blanks(2) + fixed(6, 1, bwe10) + blanks(2) +
         fixed(6, 1, bwh10);
}

std::string design_record(const DesignLine& d, float un) {
  return design_fields(d.s, un * d.arad, un * d.srad, d.fig.gain, un * d.fig.pce, un * d.fig.pch) + "\n";
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

std::string response_record(float fr, float bwe1, float bwe2, float pce, float bwh1, float bwh2, float pch,
                            float gain) {
  return blanks(1) + fixed(8, 4, fr) + blanks(2) + fixed(6, 1, bwe1) + blanks(2) + fixed(6, 1, bwe2) + blanks(2) +
         fixed(7, 3, pce) + blanks(2) + fixed(6, 1, bwh1) + blanks(2) + fixed(6, 1, bwh2) + blanks(2) +
         fixed(7, 3, pch) + blanks(2) + fixed(7, 2, gain) + "\n";
}

std::string response_record(float fr, const HornFigures& h, float un) {
  return response_record(fr, h.bwe3, h.bwe10, un * h.pce, h.bwh3, h.bwh10, un * h.pch, h.gain);
}

std::string pattern_header() {
  return "\n" + right(9, "Angle") + right(21, "E Plane") + right(21, "H Plane") + "\n" + right(9, "(deg)") +
         right(12, "Ampl. (dB)") + right(9, "Phase") + right(12, "Ampl. (dB)") + right(9, "Phase") + "\n\n";
}

std::string pattern_record(float deg, float ampe, float phe, float amph, float phh) {
  return blanks(1) + fixed(8, 2, deg) + blanks(2) + fixed(10, 2, ampe) + blanks(2) + fixed(7, 1, phe) + blanks(2) +
         fixed(10, 2, amph) + blanks(2) + fixed(7, 1, phh) + "\n";
}

}  // namespace quaven
