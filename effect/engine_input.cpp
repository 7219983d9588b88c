#include "effect/engine_input.h"

#include <algorithm>
#include <cmath>

namespace halcyra {
namespace {

constexpr double kEnvelopeRangeDb = 24.0;  // from the threshold to the full envelope amount
constexpr double kMaxDepthMs = 40.0;
constexpr double kMaxDuckDb = 60.0;

// A follower that rises with one coefficient and falls with the other, landing on its input.
void Follow(double& state, double input, double attack, double release) {
  StepToward(state, input, input > state ? attack : release);
}

StereoVector SignedSqrt(StereoVector x) { return CopySign(Sqrt(Abs(x)), x); }

}  // namespace

namespace {

HALCYRA_INLINE StereoVector InputRoute(StereoVector raw, int route) {
  const double l = raw.Left(), r = raw.Right();
  switch (route) {
    case 1:  // Mono Sum
      return MidOf(raw);
    case 2:  // Left
      return StereoVector::Both(l);
    case 3:  // Right
      return StereoVector::Both(r);
    case 4:  // Decode MS
      return StereoVector(l + r, l - r);
    default:  // Stereo
      return raw;
  }
}

}  // namespace

StereoVector RouteInput(StereoVector raw, const ModeWeights& weights, double inputGain) {
  StereoVector x;
  // With one route settled only its weight is looked at.
  const int settled = weights.settledInputRoute;
  const int first = settled >= 0 ? settled : 0, end = settled >= 0 ? settled + 1 : kInputRouteCount;
  for (int k = first; k < end; ++k) {
    const double w = weights.inputRoute[k];
    if (w == 0.0) continue;
    x += w * SanitizeSample(InputRoute(raw, k));
  }
  return inputGain * x;
}

void Detector::Clear() {
  envelopeLevel = rmsState_ = peakState_ = duckDb = 0.0;
  duckGain = 0.0;
  duckGainFromDb_ = DbGain();
  cachedLevel_ = -1.0;
}

void Detector::Run(StereoVector routed, StereoVector sidechain, bool sidechainPresent, double trim,
                   const ParamSmoother& params, const TransportState& transport, const EngineMath& math) {
  const int detector = params.Stepped(kParamEnvelopeDetector);
  const bool external = FollowsSidechain(detector, sidechainPresent);
  const StereoVector source = external ? sidechain : routed;
  const double a = source.Left(), b = source.Right();
  const double attack = coefficients.envelopeAttack, release = coefficients.envelopeRelease;
  Follow(peakState_, trim * std::max(std::fabs(a), std::fabs(b)), attack, release);
  Follow(rmsState_, trim * trim * (a * a + b * b) / 2.0, attack, release);
  envelopeLevel = detector == kDetectorPeak ? peakState_ : std::sqrt(std::max(rmsState_, 0.0));
  // With envelope depth, envelope rate and duck all at 0 the level cannot reach any result (the
  // products below are then exactly 1, the base rate and -0), so its logarithm is not needed.
  const float envelopeDepth = params.Value(kParamEnvelopeDepth);
  const float envelopeRate = params.Value(kParamEnvelopeRate);
  const float duck = params.Value(kParamDuck);
  const bool levelUsed = envelopeDepth != 0.0f || envelopeRate != 0.0f || duck != 0.0f;
  if ((levelUsed && envelopeLevel != cachedLevel_) || !math.TakesShortcuts()) {
    cachedLevel_ = envelopeLevel;
    cachedLevelDb_ = math.GainToDb(envelopeLevel, kLevelFloor);
  }
  const double envDb = cachedLevelDb_;

  const double e = std::clamp((envDb - params.Value(kParamEnvelopeThreshold)) / kEnvelopeRangeDb, 0.0, 1.0);
  effectiveDepthMs =
      std::clamp((1.0 + envelopeDepth * 0.01 * e) * params.Value(kParamDepth), 0.0, kMaxDepthMs);
  const double tempo = TempoInUse(transport, params.Value(kParamTempoFallback));
  effectiveRateHz = EffectiveRateHz(params.Stepped(kParamSync) != 0, tempo, params.Stepped(kParamDivision),
                                    params.Value(kParamRate), e, envelopeRate);

  const double goal = -0.01 * std::clamp(envDb - params.Value(kParamDuckThreshold), 0.0, kMaxDuckDb) * duck;
  // The gain falls with the attack and recovers with the release.
  if (goal != duckDb) Follow(duckDb, goal, coefficients.duckRelease, coefficients.duckAttack);
  duckGain = duckGainFromDb_.For(duckDb, math);
}

void BandSplit::Clear() {
  lowSplit.Clear();
  highSplit.Clear();
}

StereoVector BandSplit::SplitAndWrite(StereoVector x, StereoVector feedback,
                                      const double bandWeights[kBandChoiceCount], int settledBand,
                                      DelayLines& lines) {
  const double wFull = bandWeights[kBandFull];
  const double wLow = bandWeights[kBandLow];
  const double wMid = bandWeights[kBandMid];
  const double wHigh = bandWeights[kBandHigh];
  const double wSide = bandWeights[kBandSideOnly];
  const double wMidOnly = bandWeights[kBandMidOnly];
  const StereoVector lo = lowSplit.Run(x);
  const StereoVector hi = highSplit.Run(x);
  const StereoVector low = lo, mid = hi - lo, high = x - hi;
  const StereoVector third = feedback / StereoVector::Both(3.0);
  // The whole input chorused: every other weight is exactly 0 and the bands are finite, so the
  // weighted sums below come to these same values, and nothing remains.
  if (settledBand == kBandFull) {
    WriteLines(lines, x + feedback, third + low, third + mid, third + high);
    return StereoVector();
  }
  // Mid and side of the whole input and of each band; the side enters the left with + and the
  // right with -, through the signed side weight.
  const StereoVector signedSide(wSide, -wSide);

  const StereoVector proc =
      wFull * x + wLow * low + wMid * mid + wHigh * high + signedSide * SideOf(x) + wMidOnly * MidOf(x);
  const StereoVector main = proc + feedback;
  const StereoVector lowLine =
      third + signedSide * SideOf(low) + (wFull + wLow) * low + wMidOnly * MidOf(low);
  const StereoVector midLine =
      third + signedSide * SideOf(mid) + (wFull + wMid) * mid + wMidOnly * MidOf(mid);
  const StereoVector highLine =
      third + signedSide * SideOf(high) + (wFull + wHigh) * high + wMidOnly * MidOf(high);
  WriteLines(lines, main, lowLine, midLine, highLine);
  return x - proc;
}

void BandSplit::WriteLines(DelayLines& lines, StereoVector main, StereoVector low, StereoVector mid,
                           StereoVector high) {
  const StereoVector sanitizedMain = SanitizeSample(main);
  const StereoVector written[kLineSignalCount] = {sanitizedMain, SanitizeSample(low), SanitizeSample(mid),
                                                  SanitizeSample(high), SignedSqrt(sanitizedMain)};
  for (int signal = 0; signal < kLineSignalCount; ++signal) {
    lines[signal][0].WriteSanitized(written[signal].Left());
    lines[signal][1].WriteSanitized(written[signal].Right());
  }
}

}  // namespace halcyra
