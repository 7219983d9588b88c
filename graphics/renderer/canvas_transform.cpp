#include <cmath>

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx {
namespace {

// Below this the transform squashes the plane to a line and has no inverse worth using.
constexpr double kSingularDeterminant = 1e-6;

}  // namespace

void TransformIdentity(float* t) {
  t[0] = 1.0f;
  t[1] = 0.0f;
  t[2] = 0.0f;
  t[3] = 1.0f;
  t[4] = 0.0f;
  t[5] = 0.0f;
}

void TransformTranslate(float* t, float tx, float ty) {
  TransformIdentity(t);
  t[4] = tx;
  t[5] = ty;
}

void TransformScale(float* t, float sx, float sy) {
  TransformIdentity(t);
  t[0] = sx;
  t[3] = sy;
}

void TransformRotate(float* t, float angle) {
  const float cs = std::cos(angle);
  const float sn = std::sin(angle);
  t[0] = cs;
  t[1] = sn;
  t[2] = -sn;
  t[3] = cs;
  t[4] = 0.0f;
  t[5] = 0.0f;
}

void TransformMultiply(float* t, const float* s) {
  const float a = t[0] * s[0] + t[1] * s[2];
  const float c = t[2] * s[0] + t[3] * s[2];
  const float e = t[4] * s[0] + t[5] * s[2] + s[4];
  t[1] = t[0] * s[1] + t[1] * s[3];
  t[3] = t[2] * s[1] + t[3] * s[3];
  t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
  t[0] = a;
  t[2] = c;
  t[4] = e;
}

void TransformPremultiply(float* t, const float* s) {
  float s2[6] = {s[0], s[1], s[2], s[3], s[4], s[5]};
  TransformMultiply(s2, t);
  for (int i = 0; i < 6; ++i) t[i] = s2[i];
}

int TransformInverse(float* inverse, const float* t) {
  const double det = static_cast<double>(t[0]) * t[3] - static_cast<double>(t[2]) * t[1];
  // A NaN determinant fails the range test too, so a broken transform also gives the identity.
  if (!(det <= -kSingularDeterminant || det >= kSingularDeterminant)) {
    TransformIdentity(inverse);
    return 0;
  }
  const double invdet = 1.0 / det;
  const float a = static_cast<float>(t[3] * invdet);
  const float c = static_cast<float>(-t[2] * invdet);
  const float e =
      static_cast<float>((static_cast<double>(t[2]) * t[5] - static_cast<double>(t[3]) * t[4]) * invdet);
  const float b = static_cast<float>(-t[1] * invdet);
  const float d = static_cast<float>(t[0] * invdet);
  const float f =
      static_cast<float>((static_cast<double>(t[1]) * t[4] - static_cast<double>(t[0]) * t[5]) * invdet);
  inverse[0] = a;
  inverse[1] = b;
  inverse[2] = c;
  inverse[3] = d;
  inverse[4] = e;
  inverse[5] = f;
  return 1;
}

void TransformPoint(float* dx, float* dy, const float* t, float sx, float sy) {
  *dx = sx * t[0] + sy * t[2] + t[4];
  *dy = sx * t[1] + sy * t[3] + t[5];
}

float TransformAverageScale(const float* t) {
  const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
  const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
  return (sx + sy) * 0.5f;
}

}  // namespace plugfw::gfx
