#pragma once
// The engine's input side, per sample before the voices: reading and sanitising the main and
// sidechain inputs, input routing and gain; the envelope follower that moves depth and rate and
// drives the wet ducking; and the band split that decides what is chorused, writing the delay
// lines with the feedback. Audio thread; nothing here allocates.

#include "effect/delay_line.h"
#include "effect/engine_filters.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/modulation.h"
#include "effect/stereo_vector.h"

namespace halcyra {

// The ten delay lines, as left and right of each signal.
enum LineSignal : int {
  kMainLine = 0,
  kLowBandLine,
  kMidBandLine,
  kHighBandLine,
  kCompandedLine,
  kLineSignalCount
};
using DelayLines = DelayLine[kLineSignalCount][2];

// The quietest level the detector and the display tell apart in decibels: -120 dB.
constexpr double kLevelFloor = 1e-6;

// `envelope-detector` values.
enum EnvelopeDetector : int { kDetectorPeak = 0, kDetectorRms, kDetectorExternal };

// Whether the envelope follows the sidechain: the external detector, with a sidechain present.
inline bool FollowsSidechain(int detector, bool sidechainPresent) {
  return sidechainPresent && detector == kDetectorExternal;
}

// A main input sample: 0 where the channel is missing or the sample is not finite.
inline double ReadInputSample(const float* channel, int n) {
  if (channel == nullptr) return 0.0;
  const double x = static_cast<double>(channel[n]);
  return x - x == 0.0 ? x : 0.0;  // false for NaN and both infinities
}

// The routed and trimmed input: each route's value clamped, weighted by the smoothed routing.
StereoVector RouteInput(StereoVector raw, const ModeWeights& weights, double inputGain);

class Detector {
 public:
  struct Coefficients {
    double envelopeAttack = 0.001;
    double envelopeRelease = 0.001;
    double duckAttack = 0.001;
    double duckRelease = 0.001;
  };

  void Clear();
  // One sample: the follower on the routed input (or the sidechain when it is the external
  // detector) times the trim as a gain, then the effective depth and rate and the ducking gain.
  void Run(StereoVector routed, StereoVector sidechain, bool sidechainPresent, double trim,
           const ParamSmoother& params, const TransportState& transport, const EngineMath& math);

  Coefficients coefficients;
  double envelopeLevel = 0.0;
  double duckDb = 0.0;
  double duckGain = 1.0;
  double effectiveDepthMs = 3.0;
  double effectiveRateHz = 0.35;

 private:
  double rmsState_ = 0.0;
  double peakState_ = 0.0;
  double cachedLevel_ = -1.0;  // the level whose decibels are in cachedLevelDb_
  double cachedLevelDb_ = -120.0;
  DbGain duckGainFromDb_;
};

class BandSplit {
 public:
  void Clear();
  // Splits the routed input into the part that is chorused, written with the feedback into the
  // main, band and companded lines, and the remainder, returned, that rejoins after the wet path.
  // `settledBand`: as ModeWeights reports it.
  StereoVector SplitAndWrite(StereoVector x, StereoVector feedback,
                             const double bandWeights[kBandChoiceCount], int settledBand, DelayLines& lines);

  OnePole lowSplit;
  OnePole highSplit;

 private:
  // The five signals, sanitised (the companded one from the main), into the ten lines.
  static void WriteLines(DelayLines& lines, StereoVector main, StereoVector low, StereoVector mid,
                         StereoVector high);
};

}  // namespace halcyra
