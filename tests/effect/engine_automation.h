#pragma once
// Random automation and program material for the tests that run whole recipes through engines side
// by side: a deterministic generator, the parameters automation moves (switching stages fully in
// and out as well as gliding them), two detuned tones with a little noise, and random blocks of
// them that every engine of a test is fed alike.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

#include "effect/chorus_engine.h"

namespace halcyra {

// A small deterministic generator (the standard distributions differ between libraries).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// What automation moves, with the largest value it may set: the loop and the drive stay where
// the output keeps within full scale, so a comparison is of the engine, not of float rounding.
// Half the changes of a switching parameter set `off` exactly, so the stage it drives leaves the
// signal and comes back with whatever it still holds.
struct Automated {
  int index;
  float limit;
  bool switches = false;
  float off = 0.0f;
};
const Automated kAutomated[] = {
    {kParamDepth, 20},
    {kParamRate, 20},
    {kParamBaseDelay, 60},
    {kParamMix, 100},
    {kParamFeedback, 70, true},
    {kParamDetune, 25},
    {kParamDrift, 100},
    {kParamTone, 12, true},
    {kParamWetLp, 20000},
    {kParamResonance, 60},
    {kParamAnalogDrive, 9, true},
    {kParamWidth, 200},
    {kParamDiffusion, 100, true},
    {kParamVoiceTilt, 12},
    {kParamStereoPhase, 360},
    {kParamSkew, 90},
    {kParamEnvelopeDepth, 100},
    {kParamDuck, 100},
    {kParamModel, 11, true, static_cast<float>(Structure::kDiffusedChorus)},
    {kParamWave, 6},
    {kParamStages, 6},
    {kParamInterpolation, 1},
    {kParamVoices, 8},
    {kParamProcessBand, 5},
    {kParamEnvelopeRate, 100},
    {kParamMonoBass, 100, true},
    {kParamDcFilter, 1},
    {kParamAnalogNoise, 1},
    {kParamNoiseLevel, -40},
    {kParamScTrim, 24},
    {VoiceParamIndex(1, kVoiceDetuneOffset), 50},
};

// Up to two changes per block.
inline void Automate(float* params, Random& random) {
  const int changes = random.Below(3);
  for (int c = 0; c < changes; ++c) {
    const Automated& a = kAutomated[random.Below(static_cast<int>(std::size(kAutomated)))];
    if (a.switches && random.Below(2) == 0) {
      params[a.index] = a.off;
      continue;
    }
    const ParamDefinition* d = GetParamDefinition(a.index);
    const double low = d->minValue, high = std::min(d->maxValue, a.limit);
    params[a.index] = static_cast<float>(low + (high - low) * random.Unit());
  }
}

// Program material: two detuned tones with a little noise.
inline float Source(long n, int channel, Random& noise) {
  const double t = static_cast<double>(n);
  return static_cast<float>(0.2 * std::sin(0.031 * t + channel) + 0.1 * std::sin(0.0071 * t) +
                            0.02 * (noise.Unit() - 0.5));
}

// Random blocks of 1 to 512 frames of program material, each with its automation and a side-chain
// present one time in four, the same for every engine they are fed to.
class BlockDriver {
 public:
  static constexpr int kMaxBlock = 512;

  BlockDriver(uint64_t automationSeed, uint64_t noiseSeed)
      : random_(automationSeed), noise_(noiseSeed), inL_(kMaxBlock), inR_(kMaxBlock), scL_(kMaxBlock) {}

  // The block from `frame` on, with `params` automated: its length.
  int Next(long frame, float* params) {
    frames_ = 1 + random_.Below(kMaxBlock);
    for (int n = 0; n < frames_; ++n) {
      inL_[n] = Source(frame + n, 0, noise_);
      inR_[n] = Source(frame + n, 1, noise_);
      scL_[n] = 0.5f * inR_[n];
    }
    Automate(params, random_);
    sidechain_ = random_.Below(4) == 0;
    return frames_;
  }

  // The block through one engine, as a host runs it: parameters, transport, then the audio.
  void Feed(ChorusEngine& engine, const float* params, const TransportInput& transport, float* outL,
            float* outR) const {
    const float* in[2] = {inL_.data(), inR_.data()};
    const float* side[2] = {scL_.data(), nullptr};
    float* out[2] = {outL, outR};
    engine.SetParameters(params);
    engine.SetTransport(transport.tempo, transport.positionQuarterNotes, transport.playing,
                        transport.tempoValid, transport.positionValid);
    engine.Process(in, out, frames_, false, side, sidechain_);
  }

 private:
  Random random_;
  Random noise_;
  std::vector<float> inL_, inR_, scL_;
  int frames_ = 0;
  bool sidechain_ = false;
};

}  // namespace halcyra
