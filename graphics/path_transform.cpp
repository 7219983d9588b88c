#include "graphics/path_transform.h"

#include <cmath>

namespace plugfw::gfx {

PathTransform PathTransform::Rotation(double degrees) {
  const double radians = degrees / 180.0 * kDrawingPi;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}

}  // namespace plugfw::gfx
