#include "editor/voice_field_plane.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/finite_or.h"

namespace halcyra {
namespace {

constexpr float kNoLevelDb = -120.f;

}  // namespace

float PanToX(double pan) {
  const double fraction = std::clamp((FiniteOr(pan, 0.0) + kPanSpan / 2) / kPanSpan, 0.0, 1.0);
  return kPlaneLeft + kPlaneWidth * static_cast<float>(fraction);
}

float DelayToY(double delayMs, double axisMs) {
  const double axis = std::max(FiniteOr(axisMs, kMinAxisMs), kMinAxisMs);
  const double fraction = std::clamp(FiniteOr(delayMs, 0.0) / axis, 0.0, 1.0);
  return kPlaneBottom - kPlaneHeight * static_cast<float>(fraction);
}

double AxisTarget(double longestMs) {
  const double longest = std::max(FiniteOr(longestMs, 0.0), 0.0);
  return std::clamp(kAxisStepMs * std::ceil(longest / kAxisStepMs), kMinAxisMs, kMaxAxisMs);
}

void VoiceFieldAxis::Follow(double target, int64_t nowNs) {
  if (target >= maximum) {
    maximum = target;
    lastChangeNs = nowNs;
  } else if (nowNs - lastChangeNs > kAxisHoldNs) {
    maximum = std::max(maximum - kAxisStepMs, target);
    lastChangeNs = nowNs;
  }
}

std::string VoiceCountText(const DisplaySnapshot& display, double voicesSetting) {
  int32_t sounding = 0;
  for (int32_t voice = 0; voice < kSnapshotVoices; ++voice) sounding += display.voiceActive[voice] != 0;
  char text[64];
  std::snprintf(text, sizeof text, "%d ACTUAL / %.0f REQUESTED", sounding, FiniteOr(voicesSetting, 0.0));
  return text;
}

std::string VoiceReadout(const DisplaySnapshot& display, int32_t voice, bool multiBand, bool microPitch) {
  if (voice < 0 || voice >= kSnapshotVoices) return std::string();
  char text[160];
  std::snprintf(text, sizeof text, "V%d / %s / %s %.2fms / %s %.2fHz / PAN %+.0f / %+.1fdB", voice + 1,
                display.voiceActive[voice] ? "ACTUAL" : "INACTIVE", multiBand ? "PRIMARY MEAN" : "PRIMARY",
                FiniteOr(display.voiceDelayMs[voice], 0.0), microPitch ? "HEAD" : "CLOCK",
                FiniteOr(display.voiceRateHz[voice], 0.0), FiniteOr(display.voicePanPercent[voice], 0.0),
                FiniteOr(display.voiceLevelDb[voice], kNoLevelDb));
  return text;
}

}  // namespace halcyra
