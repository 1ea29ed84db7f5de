// The value API every front end calls: a request (api/request.h) checked,
// then answered by the model it names, its head and rows streamed to a Sink
// (api/table.h). A request the model cannot answer throws api::Refusal
// (api/refusal.h) before the first row, or, where only the solution shows it
// (a full-wave body the solver refuses at one frequency), when it is met.
//
// Which model computes what:
//   legacy     the single-precision routines (universal curves, chp11, chpce,
//              chngn), exactly as the dialogue's tables show them;
//   aperture   the aperture integral in double precision (aperture/);
//   full_wave  the body-of-revolution moment method (fullwave/), the gain
//              column its directivity, with the TE11 return loss s11_db.
// The dish feed is aperture theory or the full wave.
#pragma once

#include <complex>
#include <memory>
#include <optional>
#include <string>

#include "api/refusal.h"
#include "api/request.h"
#include "api/table.h"

namespace quaven {
namespace api {

void design(const DesignRequest& request, Sink& sink);
void response(const ResponseRequest& request, Sink& sink);
void pattern(const PatternRequest& request, Sink& sink);
void feed(const FeedRequest& request, Sink& sink);

// The dimensions of a horn's body as one row (lengths in the unit): the
// feed guide's radius and length, the wall, the aperture and slant radii,
// the flare half-angle, the cone's length (apex to aperture plane; infinite
// for the open-ended guide) and the horn's (throat plane to aperture plane),
// the outer radius and the overall length (back plate to aperture plane).
void geometry(const GeometryRequest& request, Sink& sink);

// The body as a file's bytes: its dimensioned section as SVG or DXF (in the
// request's unit) or its solid as a binary STL (in millimetres, as slicers
// and CAM programs read an STL) of `segments` steps round the axis (default
// 360). Refused: segments for a drawing or outside 3 to 3600, an STL of a
// wall of no thickness.
enum class BodyFile { svg, dxf, stl };
std::string body_file(const GeometryRequest& request, BodyFile kind, std::optional<long long> segments);

// The pattern as co- and cross-polar field (Ludwig's third definition) in
// any direction, for the polar cuts of a reflector program: the aperture
// integral (|E|^2 the directivity) or the full wave (|E|^2 the realised
// gain: the field per unit incident power, the mismatch loss included), at
// one frequency or at each of a sweep (`freqs`). The angles are --angles'
// own grid: ascending, within -180 to 180 degrees (a legacy count's last
// angle past 180 is left out), the axis on it; a grid the layout cannot
// hold, or the legacy model, is refused with its rule on construction, as
// are the request's other faults as pattern() refuses them.
class PolarCuts {
 public:
  explicit PolarCuts(const PatternRequest& request);
  ~PolarCuts();
  // The grid: count() angles from first_deg() in steps of step_deg(), the
  // axis the axis_index()-th (from 0).
  double first_deg() const { return -axis_ * step_; }
  double step_deg() const { return step_; }
  int count() const { return count_; }
  int axis_index() const { return axis_; }
  long long frequencies() const;
  // Makes frequency i (from 0) the one the following calls speak of: the
  // full wave solves the horn there (Refusal where the solver refuses it).
  void select(long long i);
  double frequency_ghz() const;
  std::string frequency_text() const;  // to ten digits, for a title
  // "full-wave conical TE11 horn, a = 1.2 in, R = 3 in, 10 GHz; full-wave
  // body: ...": the horn, the frequency and any body solved.
  std::string title() const;
  // The notes of the horn at this frequency (a full-wave power balance
  // among them).
  Notes notes() const;
  void at(double theta_deg, double phi_deg, std::complex<double>& co, std::complex<double>& xp) const;

 private:
  struct Pattern;
  std::unique_ptr<Pattern> pattern_;
  double step_ = 0.0;
  int count_ = 0;
  int axis_ = 0;
};

}  // namespace api
}  // namespace quaven
