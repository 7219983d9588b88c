#pragma once
// Blend: the compositing operation of a drawing call and a weight multiplied into the alpha
// of whatever it draws. A null blend pointer means the ordinary operation at weight 1.

#include <cstdint>

namespace plugfw::gfx {

// The back end maps each kind to its source and destination factors.
enum BlendKind : int32_t {
  kBlendDefault = 0,  // source over
  kBlendSourceIn = 1,
  kBlendSourceOut = 2,
  kBlendSourceAtop = 3,
  kBlendDestinationOver = 4,
  kBlendDestinationIn = 5,
  kBlendDestinationOut = 6,
  kBlendDestinationAtop = 7,
  kBlendAdd = 8,
  kBlendXor = 9,
};

inline constexpr float kDisabledBlendWeight = 0.25f;

struct Blend {
  int32_t kind = kBlendDefault;
  float weight = 1.f;  // 0 to 1
};

// The weight of an optional blend.
inline float BlendWeight(const Blend* blend) { return blend ? blend->weight : 1.f; }

}  // namespace plugfw::gfx
