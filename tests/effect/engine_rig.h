#pragma once
// A small rig for the engine's signal tests: one engine, a parameter set, stereo runs.

#include <cmath>
#include <memory>
#include <vector>

#include "core/math_constants.h"
#include "effect/chorus_engine.h"

namespace halcyra {

inline constexpr double kFs = 48000.0;
using plugfw::kPi;

// Drives one engine with a parameter set; outputs are kept per call.
struct Rig {
  explicit Rig(double fs = kFs) : engine(std::make_unique<ChorusEngine>()) {
    FillParamDefaults(params);
    rate = fs;
  }
  void Set(int index, float value) { params[index] = value; }
  void Start() {
    engine->SetParameters(params);
    engine->Reset(rate);
  }
  void Apply() { engine->SetParameters(params); }
  // Runs the given stereo input, returns left and right.
  void Run(const std::vector<float>& inL, const std::vector<float>& inR, bool bypass = false,
           const float* const* sidechain = nullptr) {
    outL.assign(inL.size(), 0.0f);
    outR.assign(inL.size(), 0.0f);
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    engine->Process(in, out, static_cast<int>(inL.size()), bypass, sidechain, sidechain != nullptr);
  }
  // A 1 kHz sine: the wet filters pass it nearly unchanged and alike on both channels.
  void RunSine(int frames, float left, float right) {
    std::vector<float> l(frames), r(frames);
    for (int n = 0; n < frames; ++n) {
      const float x = static_cast<float>(std::sin(2.0 * kPi * 1000.0 * n / rate));
      l[n] = left * x;
      r[n] = right * x;
    }
    Run(l, r);
  }
  void RunDc(int frames, float left, float right) {
    Run(std::vector<float>(frames, left), std::vector<float>(frames, right));
  }
  // The wet sum is then 0 and the output shows the dry path alone.
  void AllVoicesOff() {
    for (int v = 0; v < kVoiceCount; ++v) Set(VoiceParamIndex(v, kVoiceEnabled), 0);
  }
  void OneVoiceStill(float baseMs) {
    Set(kParamVoices, 1);
    Set(kParamDepth, 0);
    Set(kParamBaseDelay, baseMs);
    Set(kParamMix, 100);
    Set(kParamSpread, 0);
  }
  std::unique_ptr<ChorusEngine> engine;
  float params[kParamCount];
  double rate;
  std::vector<float> outL, outR;
};

inline int PeakIndex(const std::vector<float>& x) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(x.size()); ++i)
    if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
  return best;
}

inline std::vector<float> Impulse(int frames, int at) {
  std::vector<float> x(frames, 0.0f);
  x[at] = 1.0f;
  return x;
}

}  // namespace halcyra
