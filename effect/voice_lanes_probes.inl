// The render's building blocks as plain functions of four lanes, for EvaluateReadLines,
// EvaluateClampedDelays and EvaluateWaveMix (voice_lanes.h). Included inside the instruction set's
// namespace after voice_lanes.inl; includes nothing itself.

void ReadLinesAt(const DelayLine (&lines)[2], const double delays[4], double cubicWeight, double out[4]) {
  ReadLines(lines, Quad::Load(delays), cubicWeight).Store(out);
}

void ClampDelays(const double delaysMs[4], double sampleRate, double out[4]) {
  ClampedDelayLanes(Quad::Load(delaysMs), sampleRate).Store(out);
}

void WaveMixFast(const double phases[4], const int seeds[4], double skewPercent,
                 const double weights[kWaveShapeCount], double out[4]) {
  WaveMix<FastLaneMath>(Quad::Load(phases), seeds, skewPercent, weights, kNoSettledChoice).Store(out);
}
