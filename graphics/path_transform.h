#pragma once
// PathTransform: an affine map of editor units, (x, y) -> (xx·x + xy·y + tx, yx·x + yy·y + ty),
// the current transform of drawing and the transform of fill patterns. Plain value.
//
// Composition is T·M: M acts first, in the coordinate system T leaves behind, so
// Translated(10, 0).Rotated(90) rotates about the translated origin. On the y-down
// screen a positive angle turns clockwise.

namespace plugfw::gfx {

// The value of pi the drawing code uses for degree conversions.
inline constexpr double kDrawingPi = 3.1415927;

struct PathTransform {
  double xx = 1.0;
  double yx = 0.0;
  double xy = 0.0;
  double yy = 1.0;
  double tx = 0.0;
  double ty = 0.0;

  constexpr PathTransform() = default;
  constexpr PathTransform(double xx_, double yx_, double xy_, double yy_, double tx_, double ty_)
      : xx(xx_), yx(yx_), xy(xy_), yy(yy_), tx(tx_), ty(ty_) {}

  static constexpr PathTransform Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static constexpr PathTransform Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static PathTransform Rotation(double degrees);

  // this · m: m is applied first.
  constexpr PathTransform Multiplied(const PathTransform& m) const {
    return {xx * m.xx + xy * m.yx, yx * m.xx + yy * m.yx,      xx * m.xy + xy * m.yy,
            yx * m.xy + yy * m.yy, xx * m.tx + xy * m.ty + tx, yx * m.tx + yy * m.ty + ty};
  }
  constexpr double MapX(double x, double y) const { return xx * x + xy * y + tx; }
  constexpr double MapY(double x, double y) const { return yx * x + yy * y + ty; }

  constexpr bool operator==(const PathTransform& o) const {
    return xx == o.xx && yx == o.yx && xy == o.xy && yy == o.yy && tx == o.tx && ty == o.ty;
  }
  constexpr bool operator!=(const PathTransform& o) const { return !(*this == o); }
};

inline constexpr PathTransform kIdentityTransform{};

}  // namespace plugfw::gfx
