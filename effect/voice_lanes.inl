// The voices' per-sample render over Quad, two sounding voices at a time (see voice_lanes.h).
// Included inside namespace halcyra::lanes_<instruction set> after the Quad type and
// lane_math.inl; includes nothing itself. Every formula is the structure's, lane for lane; the
// Math policy decides only how the sines and the hyperbolic tangent are computed.

constexpr double kLaneDetuneAudibleCents = 1e-6;
constexpr double kTanhOfThree = 0.99505475368673045133;

HALCYRA_INLINE Quad PolynomialSinTurns(Quad turns) { return SinTurns(turns); }
HALCYRA_INLINE Quad PolynomialTanh(Quad x) { return Tanh(x); }

// The fast path: the polynomials of lane_math.inl on all four lanes at once.
struct FastLaneMath {
  static Quad Sin(Quad turns) { return PolynomialSinTurns(turns); }
  // Lanes that hold one value per voice (a, a, b, b).
  static Quad SinPerVoice(Quad turns) { return PolynomialSinTurns(turns); }
  static Quad SinHalfTurns(Quad halfTurns) { return PolynomialSinTurns(halfTurns * 0.5); }
  static Quad SinHalfTurnsPerVoice(Quad halfTurns) { return PolynomialSinTurns(halfTurns * 0.5); }
  static Quad TanhOf(Quad x) { return PolynomialTanh(x); }
};

// The reference path: the library's functions, lane by lane (once per voice where the lanes of a
// voice hold the same value).
struct ExactLaneMath {
  template <typename Function>
  static Quad EachLane(Quad x, Function f) {
    double lanes[4];
    x.Store(lanes);
    for (double& lane : lanes) lane = f(lane);
    return Quad::Load(lanes);
  }
  template <typename Function>
  static Quad EachVoice(Quad x, Function f) {
    double lanes[4];
    x.Store(lanes);
    return Quad::Voices(f(lanes[0]), f(lanes[2]));
  }
  static double SinOfTurns(double t) { return std::sin(plugfw::kTwoPi * t); }
  static double SinOfHalfTurns(double t) { return std::sin(plugfw::kPi * t); }
  static Quad Sin(Quad turns) { return EachLane(turns, SinOfTurns); }
  static Quad SinPerVoice(Quad turns) { return EachVoice(turns, SinOfTurns); }
  static Quad SinHalfTurns(Quad halfTurns) { return EachLane(halfTurns, SinOfHalfTurns); }
  static Quad SinHalfTurnsPerVoice(Quad halfTurns) { return EachVoice(halfTurns, SinOfHalfTurns); }
  static Quad TanhOf(Quad x) {
    return EachLane(x, [](double v) { return std::tanh(v); });
  }
};

// The random shapes' cycle number: past the int64 range a conversion would be undefined, and
// there any repeatable number will do.
HALCYRA_INLINE int64_t LaneCycleNumber(double cycle) {
  return std::fabs(cycle) < 9.0e18 ? static_cast<int64_t>(cycle) : 0;
}

// The random shapes' cycle numbers of four lanes.
HALCYRA_INLINE void LaneCycleNumbers(Quad cycle, int64_t numbers[4]) {
  double cycles[4];
  cycle.Store(cycles);
  for (int lane = 0; lane < 4; ++lane) numbers[lane] = LaneCycleNumber(cycles[lane]);
}

// HashUnit of each lane's cycle number plus `step`, with each lane's seed; built in registers, as a
// vector loaded from four separate stores would wait for them.
HALCYRA_INLINE Quad HashLanes(const int64_t numbers[4], int64_t step, const int seeds[4]) {
  return Quad(StereoVector(HashUnit(numbers[0] + step, seeds[0]), HashUnit(numbers[1] + step, seeds[1])),
              StereoVector(HashUnit(numbers[2] + step, seeds[2]), HashUnit(numbers[3] + step, seeds[3])));
}

// The Smooth Random shape: each lane's hash of its cycle number and of the next, blended by a
// smoothstep of the phase p within the cycle.
HALCYRA_INLINE Quad SmoothRandomLanes(Quad cycle, Quad p, const int seeds[4]) {
  int64_t numbers[4];
  LaneCycleNumbers(cycle, numbers);
  const Quad smooth = (3.0 - 2.0 * p) * p * p;
  return HashLanes(numbers, 0, seeds) * (1.0 - smooth) + HashLanes(numbers, 1, seeds) * smooth;
}

// One wave shape at the skewed phase g; the random shapes take the cycle number and the plain phase p.
template <class Math>
HALCYRA_INLINE Quad WaveValue(WaveShape shape, Quad g, Quad p, Quad cycle, const int seeds[4]) {
  switch (shape) {
    case WaveShape::kSine:
      return Math::Sin(g);
    case WaveShape::kTriangle:
      return 1.0 - 4.0 * Abs(g - 0.5);
    case WaveShape::kSoftSquare:
      return Math::TanhOf(3.0 * Math::Sin(g)) / Quad::Both(kTanhOfThree);
    case WaveShape::kRampUp:
      return 2.0 * g - 1.0;
    case WaveShape::kRampDown:
      return 1.0 - 2.0 * g;
    case WaveShape::kSmoothRandom:
      return SmoothRandomLanes(cycle, p, seeds);
    case WaveShape::kSampleHold: {
      int64_t numbers[4];
      LaneCycleNumbers(cycle, numbers);
      return HashLanes(numbers, 0, seeds);
    }
    case WaveShape::kCount:
      break;
  }
  return Quad();
}

// The selectable wave: Σ weight × shape over the shapes whose weight is above 0, at a phase in cycles
// (non-finite phases count as 0); skew in percent (-90 to 90) moves the waveform's midpoint. With one
// shape settled (`settled` >= 0) only its weight is looked at.
template <class Math>
HALCYRA_INLINE Quad WaveMix(Quad phase, const int seeds[4], double skew,
                            const double weights[kWaveShapeCount], int settled) {
  phase = KeepWhere(Abs(phase) < Quad::Both(std::numeric_limits<double>::infinity()), phase);
  const Quad cycle = Floor(phase);
  const Quad p = phase - cycle;
  // Without skew both halves of the skewed phase are p itself, exactly.
  Quad g = p;
  if (skew != 0.0) {
    const double s = 0.5 + 0.0045 * std::clamp(skew, -90.0, 90.0);
    g = Select(p < Quad::Both(s), p * 0.5 / Quad::Both(s), 0.5 + (p - s) * 0.5 / Quad::Both(1.0 - s));
  }
  Quad sum;
  const int first = settled >= 0 ? settled : 0, end = settled >= 0 ? settled + 1 : kWaveShapeCount;
  for (int w = first; w < end; ++w) {
    if (!(weights[w] > 0.0)) continue;
    sum += weights[w] * WaveValue<Math>(static_cast<WaveShape>(w), g, p, cycle, seeds);
  }
  return sum;
}

// A structure's read delay in samples: never below 2 nor above 0.235 fs (NaN reads at 2).
HALCYRA_INLINE Quad ClampedReadLanes(Quad delaySamples, double sampleRate) {
  return Min(Max(Quad::Both(DelayLine::kMinDelaySamples), delaySamples),
             Quad::Both(voicing::kMaxReadFraction * sampleRate));
}

// The same for delays in ms.
HALCYRA_INLINE Quad ClampedDelayLanes(Quad delayMs, double sampleRate) {
  return ClampedReadLanes(delayMs * 0.001 * sampleRate, sampleRate);
}

// Where each lane's run of four neighbours starts in its line, oldest first: the oldest is the
// whole delay plus 3 writes ago, wrapped into the line. False while some lane's oldest neighbour
// lies beyond what has been written since the last clear. Lines are far shorter than 2^31.
HALCYRA_INLINE bool RunStarts(__m128i whole, std::size_t writeIndex, std::size_t filled, std::size_t size,
                              int32_t starts[4]) {
  const __m128i ago = _mm_add_epi32(whole, _mm_set1_epi32(3));
  const __m128i write = _mm_set1_epi32(static_cast<int32_t>(writeIndex));
  const __m128i wrap = _mm_and_si128(_mm_cmpgt_epi32(ago, write), _mm_set1_epi32(static_cast<int32_t>(size)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(starts), _mm_add_epi32(_mm_sub_epi32(write, ago), wrap));
  const __m128i unwritten = _mm_cmpgt_epi32(ago, _mm_set1_epi32(static_cast<int32_t>(filled)));
  return _mm_movemask_epi8(unwritten) == 0;
}

// A pair of lines read at four fractional delays in samples, each clamped to [2, size - 4]: lanes 0
// and 2 read the left line, 1 and 3 the right. (1 - cubicWeight) × the linear reading + cubicWeight ×
// the four-point Catmull-Rom one; taps not written since the last clear read as 0.
HALCYRA_INLINE Quad ReadLines(const DelayLine (&lines)[2], Quad delay, double cubicWeight) {
  const DelayLine& left = lines[0];
  const DelayLine& right = lines[1];
  // The engine sizes, writes and clears both lines of a signal together; the smaller limit keeps
  // every lane inside its line even if they ever differed.
  const Quad maximum = Quad::Both(std::min(left.MaxDelaySamples(), right.MaxDelaySamples()));
  const Quad clamped = Min(Max(Quad::Both(DelayLine::kMinDelaySamples), delay), maximum);
  const __m128i whole = WholeParts(clamped);
  const Quad t = clamped - TruncateSmall(clamped);
  const std::size_t writeIndex = left.WriteIndex(), filled = left.Filled(), size = left.Size();
  const bool inStep = right.WriteIndex() == writeIndex && right.Filled() == filled && right.Size() == size;
  int32_t starts[4];
  Quad older, x1, x0, newer;
  if (inStep && RunStarts(whole, writeIndex, filled, size, starts)) {
    // Steady state: each lane's neighbours lie in one unbroken run of its line.
    const double* runs[4] = {left.Data() + starts[0], right.Data() + starts[1], left.Data() + starts[2],
                             right.Data() + starts[3]};
    GatherRuns(runs, older, x1, x0, newer);
  } else {
    int32_t wholeParts[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wholeParts), whole);
    const DelayLine* laneLines[4] = {&left, &right, &left, &right};
    double o[4], a[4], b[4], n[4];
    for (int lane = 0; lane < 4; ++lane) {
      const DelayLine::Neighbours k =
          laneLines[lane]->NeighboursAt(static_cast<std::size_t>(wholeParts[lane]));
      o[lane] = k.older;
      a[lane] = k.x1;
      b[lane] = k.x0;
      n[lane] = k.newer;
    }
    older = Quad::Load(o);
    x1 = Quad::Load(a);
    x0 = Quad::Load(b);
    newer = Quad::Load(n);
  }
  const Quad linear = MulAdd(x1 - x0, t, x0);
  if (cubicWeight == 0.0) return linear;
  // Catmull-Rom through the newer neighbour, the two around the read point and the older one.
  const Quad c3 = 3.0 * (x0 - x1) + older - newer;
  const Quad c2 = 2.0 * newer - 5.0 * x0 + 4.0 * x1 - older;
  const Quad cubic = MulAdd(0.5 * t, MulAdd(t, MulAdd(t, c3, c2), x1 - newer), x0);
  if (cubicWeight == 1.0) return cubic;
  return (1.0 - cubicWeight) * linear + cubicWeight * cubic;
}

template <class Math>
class VoicePairRender {
 public:
  struct Read {
    Quad sample;
    Quad delayMs;
  };

  HALCYRA_INLINE VoicePairRender(const VoiceLaneInputs& in, int a, int b) : in_(in), a_(a), b_(b) {
    const VoiceState& s = *in.state;
    const double phaseA = s.cycleOffset[a] + s.cycles[a] + in.phaseTurn + in.phaseOffsetTurns[a];
    const double phaseB = s.cycleOffset[b] + s.cycles[b] + in.phaseTurn + in.phaseOffsetTurns[b];
    phaseA_ = phaseA;
    phaseB_ = phaseB;
    phase_ = Quad::Voices(phaseA, phaseB);
    center_ = Quad::Voices(in.centerMs[a], in.centerMs[b]);
    depth_ = Quad::Voices(in.effectiveDepthMs * in.depthScalePercent[a] * 0.01,
                          in.effectiveDepthMs * in.depthScalePercent[b] * 0.01);
    if (in.driftShare != 0.0) {
      const Quad turns = Quad::Channels(0.0, voicing::kDriftRightOffset) +
                         Quad::Voices(voicing::kDriftVoiceSpacing * a, voicing::kDriftVoiceSpacing * b) +
                         in.driftPhase;
      drift_ = in.driftShare * Math::Sin(turns);
    }
    PrepareDetuneHeads();
  }

  // One structure's modulated read, detune heads included.
  HALCYRA_INLINE Read Render(Structure structure) {
    if (structure == Structure::kMicroPitch) return RenderMicroPitch();
    const Quad d = ClampedDelayLanes(MulAdd(Modulation(structure), depth_, center_), in_.sampleRate);
    Read read = ReadStructure(structure, d);
    read.sample = ApplyDetuneHeads(read.sample, d);
    return read;
  }

 private:
  // M0: the selectable wave at the voice's phase and the stereo offset, shared by the structures.
  HALCYRA_INLINE Quad BaseWave() {
    if (!baseWaveReady_) {
      const int seeds[4] = {3 * a_ + 1, 3 * a_ + 2, 3 * b_ + 1, 3 * b_ + 2};
      baseWave_ = WaveMix<Math>(phase_ + Quad::Channels(0.0, in_.stereoPhase), seeds, in_.skew,
                                in_.weights->wave, in_.weights->settledWave);
      baseWaveReady_ = true;
    }
    return baseWave_;
  }

  // Per voice: a structure's turns from the voice's phase and index, plus a right-channel offset.
  template <typename Turns>
  HALCYRA_INLINE Quad VoiceTurns(Turns turns, double rightOffset) const {
    return Quad::Voices(turns(phaseA_, a_), turns(phaseB_, b_)) + Quad::Channels(0.0, rightOffset);
  }

  // A structure's modulation value for all four lanes, drift included.
  HALCYRA_INLINE Quad Modulation(Structure structure) {
    using namespace voicing;
    Quad m;
    switch (structure) {
      case Structure::kDualStereo: {
        const int seeds[4] = {5 * a_, 5 * a_ + 1, 5 * b_, 5 * b_ + 1};
        m = WaveMix<Math>(
            Quad::Channels(1.0, kDualStereoRightRate) * phase_ + Quad::Channels(0.0, in_.stereoPhase), seeds,
            in_.skew, in_.weights->wave, in_.weights->settledWave);
        break;
      }
      case Structure::kDimension:
        m = Quad::Channels(kDimensionDepth, -kDimensionDepth) * Math::SinPerVoice(phase_);
        break;
      case Structure::kEnsemble: {
        const Quad sine = Math::Sin(VoiceTurns(
            [](double phase, int v) { return kEnsembleVoiceSpacing * v + kEnsembleSineRate * phase; },
            kEnsembleRightOffset));
        m = kEnsembleWaveShare * BaseWave() + kEnsembleSineShare * sine;
        break;
      }
      case Structure::kTriChorus:
        m = Math::Sin(VoiceTurns(
            [](double phase, int v) {
              const double c = v == 0 ? kTriChorusFirstRate : v == 1 ? kTriChorusSecondRate : 1.0;
              return c * phase + kTriChorusVoiceSpacing * v;
            },
            kTriChorusRightOffset));
        break;
      case Structure::kVintageEnsemble:
        m = kVintageWaveShare * BaseWave() +
            kVintageSineShare * Math::SinPerVoice(kVintageSineRate * phase_) +
            Quad::Both(kVintageDriftShare * in_.driftSine);
        break;
      case Structure::kRandomChorus: {
        const int seeds[4] = {2 * a_ + kRandomSeedOffset, 2 * a_ + kRandomSeedOffset + 1,
                              2 * b_ + kRandomSeedOffset, 2 * b_ + kRandomSeedOffset + 1};
        const Quad cycle = Floor(phase_);
        m = SmoothRandomLanes(cycle, phase_ - cycle, seeds);
        break;
      }
      default:  // the structures driven by the selectable wave alone; Multi Band's heads use it too
        m = BaseWave();
        break;
    }
    return m + drift_;
  }

  // A structure's reading at the delay its modulation gave.
  HALCYRA_INLINE Read ReadStructure(Structure structure, Quad d) const {
    using namespace voicing;
    const double fs = in_.sampleRate;
    const double w = in_.weights->interpolation;
    const DelayLines& lines = *in_.lines;
    Read read{Quad(), d * in_.msPerSample};
    if (structure == Structure::kMultiBand) {
      Quad delaySum;
      for (int band = 0; band < 3; ++band) {
        const double rate = kMultiBandBaseRate + kMultiBandRateStep * band;
        const Quad bandM =
            Math::Sin(VoiceTurns([rate](double phase, int) { return rate * phase; }, kMultiBandRightOffset));
        const Quad di = ClampedDelayLanes(MulAdd(bandM * kMultiBandDepth[band], depth_, center_), fs);
        read.sample += ReadLines(lines[kLowBandLine + band], di, w);
        delaySum += di;
      }
      read.delayMs = delaySum * (in_.msPerSample / 3.0);
    } else if (structure == Structure::kAnalogBbd) {
      const Quad x = ReadLines(lines[kCompandedLine], d, w);
      read.sample = Select(x < Quad(), -x * x, x * x);
    } else {
      read.sample = ReadLines(lines[kMainLine], d, w);
    }
    return read;
  }

  // The detune heads' crossfade and offsets for both voices, once per sample; a voice without
  // audible detune gets a blend of 0, which leaves its structures' readings exactly as they are.
  HALCYRA_INLINE void PrepareDetuneHeads() {
    const double centsA = in_.detuneCents[a_], centsB = in_.detuneCents[b_];
    const bool audibleA = std::fabs(centsA) > kLaneDetuneAudibleCents;
    const bool audibleB = std::fabs(centsB) > kLaneDetuneAudibleCents;
    headsAudible_ = audibleA || audibleB;
    if (!headsAudible_) return;
    auto blend = [](bool audible, double cents) {
      return audible ? std::min(std::fabs(cents) / voicing::kDetuneFullBlendCents, 1.0) : 0.0;
    };
    headBlend_ = Quad::Voices(blend(audibleA, centsA), blend(audibleB, centsB));
    const Quad ramp = Quad::Voices(in_.state->ramp[a_], in_.state->ramp[b_]);
    const Quad sine = Math::SinHalfTurnsPerVoice(ramp);
    headCrossfade_ = sine * sine;
    const double window = voicing::kDetuneWindowSeconds * in_.sampleRate;
    head1_ = window * ramp;
    head2_ = window * Frac(ramp + 0.5);
  }

  // Two heads sweeping an 80 ms window in opposite halves of the ramp, crossfaded by sin²: a pitch
  // shift by the detune ratio, blended in proportionally below 10 cents.
  HALCYRA_INLINE Quad ApplyDetuneHeads(Quad sample, Quad delay) const {
    if (!headsAudible_) return sample;
    const Quad d1 = ClampedReadLanes(head1_ + delay, in_.sampleRate);
    const Quad d2 = ClampedReadLanes(head2_ + delay, in_.sampleRate);
    const double w = in_.weights->interpolation;
    const DelayLine(&main)[2] = (*in_.lines)[kMainLine];
    const Quad x = headCrossfade_;
    const Quad shifted = (1.0 - x) * ReadLines(main, d2, w) + x * ReadLines(main, d1, w);
    return headBlend_ * shifted + (1.0 - headBlend_) * sample;
  }

  HALCYRA_INLINE Read RenderMicroPitch() const {
    const VoiceState& s = *in_.state;
    const double fs = in_.sampleRate;
    auto offset = [&](int v) {
      return s.ramp[v] + s.rampOffset[v] + in_.phaseTurn + in_.phaseOffsetTurns[v];
    };
    const Quad b = Frac(Quad::Voices(offset(a_), offset(b_)) + Quad::Channels(0.0, in_.stereoPhase));
    const double window = in_.microPitchWindowSamples;
    auto head = [fs](double centerMs) {
      return std::clamp(centerMs * 0.001 * fs, DelayLine::kMinDelaySamples,
                        voicing::kMicroPitchMaxHeadFraction * fs);
    };
    const Quad h = Quad::Voices(head(in_.centerMs[a_]), head(in_.centerMs[b_]));
    const Quad w1 = window * b + h;
    const Quad w2 = window * Frac(b + 0.5) + h;
    const Quad sine = Math::SinHalfTurns(b);
    const Quad f = sine * sine;
    const Quad e = 1.0 - f;
    const double w = in_.weights->interpolation;
    const DelayLine(&main)[2] = (*in_.lines)[kMainLine];
    Read read;
    read.sample = e * ReadLines(main, w2, w) + f * ReadLines(main, w1, w);
    read.delayMs = (e * w2 + f * w1) * in_.msPerSample;
    return read;
  }

  static Quad Frac(Quad x) { return x - Floor(x); }

  const VoiceLaneInputs& in_;
  int a_, b_;
  double phaseA_ = 0.0, phaseB_ = 0.0;
  Quad phase_, center_, depth_, drift_;
  Quad baseWave_;
  bool baseWaveReady_ = false;
  bool headsAudible_ = false;
  Quad headBlend_, headCrossfade_, head1_, head2_;
};

template <class Math>
VoiceLaneSums RenderVoiceLanes(const VoiceLaneInputs& in) {
  const ModeWeights& weights = *in.weights;
  VoiceState& state = *in.state;
  Quad wet;
  // The feedback taps of each pair, read once every wet read is under way.
  Quad tapDelays[kVoiceCount / 2], tapGains[kVoiceCount / 2];
  int pairs = 0;
  for (int i = 0; i < in.soundingCount; i += 2) {
    const int a = in.sounding[i];
    const bool pair = i + 1 < in.soundingCount;
    const int b = pair ? in.sounding[i + 1] : a;
    VoicePairRender<Math> render(in, a, b);
    Quad samples, delaysMs;
    for (int k = 0; k < weights.activeStructureCount; ++k) {
      const int s = weights.activeStructures[k];
      const double weight = weights.structure[s];
      const typename VoicePairRender<Math>::Read read = render.Render(static_cast<Structure>(s));
      samples += weight * read.sample;
      delaysMs += weight * read.delayMs;
    }
    const Quad panGains(StereoVector(in.panGainLeft[a], in.panGainRight[a]),
                        StereoVector(in.panGainLeft[b], in.panGainRight[b]));
    const Quad meanDelayMs = SumChannels(delaysMs * panGains) / SumChannels(panGains);
    double means[4];
    meanDelayMs.Store(means);
    state.delayMs[a] = means[0];
    if (pair) state.delayMs[b] = means[2];
    // The copy of an odd last voice is muted.
    const Quad gains = Quad::Voices(state.gain[a], pair ? state.gain[b] : 0.0);
    wet += samples * gains * panGains;
    // The feedback reads the plain main lines at the voice's mean delay, whatever the structure;
    // its filters hear the taps even while the loop returns nothing.
    tapDelays[pairs] = ClampedDelayLanes(meanDelayMs, in.sampleRate);
    tapGains[pairs++] = panGains * gains;
  }
  Quad taps;
  for (int k = 0; k < pairs; ++k)
    taps += tapGains[k] * ReadLines((*in.lines)[kMainLine], tapDelays[k], weights.interpolation);
  return {SumVoices(wet), SumVoices(taps)};
}
