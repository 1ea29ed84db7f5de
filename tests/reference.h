// The constants the tests compare against, typed once here from their
// published sources, independent of the library's numeric/constants.h (a
// test that took the library's own value could not catch a wrong digit
// there).
#pragma once

#include <limits>

namespace quaven {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
// Metres per inch (exact by definition) and the speed of light in m/s
// (exact by the definition of the metre).
inline constexpr double kInch = 0.0254;
inline constexpr double kLight = 299792458.0;
// Zeros of J1' and J0 (A&S tables 9.5, 9.7): the TE11 and TM01 roots.
inline constexpr double kChi11 = 1.8411837813406593;
inline constexpr double kJ01 = 2.4048255576957728;

}  // namespace quaven
