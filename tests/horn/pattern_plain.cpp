#include "pattern_plain.h"

#include <cmath>

#include "horn/chp11.h"
#include "horn/chpce.h"
#include "numeric/glina.h"

namespace quaven::plain {
namespace {

constexpr float acon = 9.869604f;  // pi^2
constexpr float alf = 8.68589f;    // 20 / ln 10
constexpr float pi2 = 6.2831855f;
constexpr float tr = 0.0174532905f;
constexpr float clight = 11.80285f;
constexpr float threshold = 1e-6f;
constexpr float floor_db = -120.0f;

}  // namespace

void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh) {
  const float wl = clight / f;
  const float s = a * a / (2.0f * wl * r);
  const float u = std::fabs(std::sin(th)) * (pi2 * a) / wl;
  float record[4] = {0.0f, 0.0f, pi2 * s, u};
  float res[4];
  Fintc integrand;  // the integrand as defined: five Bessel values at every node
  glina(0.0f, 1.0f, record, integrand, 16, res, 4);

  float me = std::sqrt(res[0] * res[0] + res[1] * res[1]);
  float mh = std::sqrt(res[2] * res[2] + res[3] * res[3]);
  ampe = floor_db;
  amph = floor_db;
  phe = 0.0f;
  phh = 0.0f;
  const float g = (1.0f + std::cos(th)) * acon * a / wl;
  me = me * g;
  mh = mh * g;
  if (!(me < threshold)) {
    ampe = alf * std::log(me);
    phe = std::atan2(res[1], res[0]) / tr;
  }
  if (!(mh < threshold)) {
    amph = alf * std::log(mh);
    phh = std::atan2(res[3], res[2]) / tr;
  }
}

void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph) {
  const float delta = std::sqrt(be * bh) * tr / 8.0f;
  float ampe = 0.0f;
  float amph = 0.0f;
  float phe_prev = 0.0f;
  float phh_prev = 0.0f;
  const float th0 = 0.0f;
  chp11(f, a, r, th0, ampe, amph, phe_prev, phh_prev);
  float sume = 0.0f;
  float sumh = 0.0f;
  for (int i = 1; i <= 4; ++i) {
    const float th = static_cast<float>(i) * delta;
    float phe = 0.0f;
    float phh = 0.0f;
    chp11(f, a, r, th, ampe, amph, phe, phh);
    sume = sume + rela(phe, phe_prev);
    sumh = sumh + rela(phh, phh_prev);
    phe_prev = phe;
    phh_prev = phh;
  }
  pe = sume / ((1.0f - std::cos(be * tr / 2.0f)) * 360.0f);
  ph = sumh / ((1.0f - std::cos(bh * tr / 2.0f)) * 360.0f);
}

}  // namespace quaven::plain
