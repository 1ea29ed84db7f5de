// The named constants of the program, each defined once.
//
// `legacy`: the single-precision models' own constants. Their digits are the
// ones the models were calibrated with; several differ from the correctly
// rounded value in the last place, and the published tables only come out
// when they are kept as they are (float, never recomputed).
//
// `physical`: the constants of the double-precision exact mode, to full
// precision.
#pragma once

namespace quaven {

namespace legacy {

// Speed of light in inches per nanosecond: 299792458 m/s / 0.0254 m/in is
// 11.8028527; the models use it cut to 7 digits.
inline constexpr float c_in_per_ns = 11.80285f;
// c/(2 pi) in inch GHz, 11.80285/(2 pi) = 1.8784819 to 7 digits: a f / this
// is k a (gain and gain design).
inline constexpr float c_over_2pi = 1.878482f;
// 20/ln 10 = 8.6858896 to 7 digits: dB of an amplitude given in nepers
// (gain and gain design).
inline constexpr float db_per_neper = 8.685889f;
// The same to 6 digits, as the pattern routine has it (one float above).
inline constexpr float db_per_neper_pattern = 8.68589f;
// Twice this turns ln(amplitude ratio) into dB in the design curves; stored
// as used, slightly above 10/ln 10 = 4.3429448.
inline constexpr float db_per_neper_half = 4.342995f;
// Radians per degree, written 0.01745329 (design) and 0.0174532905 (pattern,
// phase centre) in the routines: the same float, one below the float nearest
// pi/180. The exact mode uses physical::rad_per_deg instead.
inline constexpr float rad_per_deg = 0.0174532905f;
// 2 pi of the pattern routine: the float nearest 2 pi.
inline constexpr float two_pi = 6.2831855f;
// 2 pi of the design curves, 6.283185: one float below the nearest.
inline constexpr float two_pi_design = 6.283185f;
// 2 pi of the beamwidths from the curves, stored as used: 6.281853, two
// digits transposed from 6.283185 (2e-4 low), part of the curves' calibration.
inline constexpr float two_pi_curves = 6.281853f;
// 720/pi = 229.18312 to 7 digits: arccos in radians to a full beamwidth in
// degrees.
inline constexpr float deg_per_quarter_rad = 229.1831f;
// pi^2 = 9.8696044 to 7 digits: the pattern's amplitude scale.
inline constexpr float pi_squared = 9.869604f;
// pi to 7 digits, as the Bessel routine's asymptotic forms use it.
inline constexpr float pi = 3.141593f;
// First zero of J1' (the TE11 root, 1.8411838) to 6 digits.
inline constexpr float chi = 1.84118f;
// Levels (dB) of the universal curves: E-plane 3 and 10 dB, H-plane 3 and
// 10 dB; also the column levels of a response table before the user's level
// takes the place of the curve it is derived from.
inline constexpr float curve_levels[4] = {3.0f, 10.0f, 3.0f, 10.0f};
// Factor from inches to the chosen unit: 1 centimetres (2.54 cm per inch,
// exact), 2 inches.
inline constexpr float unit_factor[2] = {2.54f, 1.0f};

}  // namespace legacy

namespace physical {

inline constexpr double pi = 3.14159265358979323846;
inline constexpr double rad_per_deg = pi / 180.0;
// Speed of light in vacuum, m/s (exact by the definition of the metre).
inline constexpr double c = 299792458.0;
// The roots that set a circular guide's cut-offs (A&S table 9.5), to double
// precision: the zeros of J1'(z) for TE11, TE12 and TE13, and the first
// zeros of J0 and J1 for TM01 and TM11.
inline constexpr double chi = 1.8411837813406593;      // j'_{1,1}: TE11
inline constexpr double chi_te12 = 5.3314427735250325; // j'_{1,2}
inline constexpr double chi_te13 = 8.5363163663462246; // j'_{1,3}
inline constexpr double chi_tm01 = 2.4048255576957728; // j_{0,1}
inline constexpr double chi_tm11 = 3.8317059702075123; // j_{1,1}
// Impedance of free space mu0 c in ohms (CODATA 2018 mu0).
inline constexpr double eta = 376.730313668;
// Metres per inch (exact by definition) and per centimetre.
inline constexpr double metres_per_inch = 0.0254;
inline constexpr double metres_per_cm = 0.01;

}  // namespace physical

}  // namespace quaven
