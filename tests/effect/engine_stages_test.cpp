// What the engine's stages skip, and that skipping is never heard: measurement only the editor
// reads, and stages whose share is exactly zero, which must come back from silence.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effect/chorus_engine.h"
#include "tests/effect/engine_rig.h"

namespace halcyra {
namespace {

std::vector<float> Tone(int frames, double hz, double amplitude, int offset = 0) {
  std::vector<float> x(frames);
  for (int n = 0; n < frames; ++n)
    x[n] = static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * (n + offset) / kFs));
  return x;
}

TEST(EngineDisplayReader, TheOutputNeverDependsOnWhetherTheEditorReads) {
  Rig with, without;
  for (Rig* rig : {&with, &without}) {
    rig->Set(kParamVoices, 4);
    rig->Set(kParamFeedback, 40);
    rig->Set(kParamDiffusion, 50);
    rig->Start();
  }
  with.engine->SetDisplayReaderPresent(true);
  const std::vector<float> x = Tone(9000, 440.0, 0.5);
  with.Run(x, x);
  without.Run(x, x);
  EXPECT_EQ(with.outL, without.outL);
  EXPECT_EQ(with.outR, without.outR);
  // The meters and the per-voice values do not wait for a reader either.
  EXPECT_EQ(with.engine->ReadMeters().outPeak, without.engine->ReadMeters().outPeak);
  EXPECT_GT(without.engine->ReadMeters().outPeak, 0.1f);
  EXPECT_EQ(with.engine->ReadDisplay().voiceDelayMs[3], without.engine->ReadDisplay().voiceDelayMs[3]);
}

// A reader that arrives sees, after one block, the spectrum of the latest samples, even at the
// slowest averaging: nothing older than one analysis period.
TEST(EngineDisplayReader, AnArrivingReaderSeesTheLatestSpectrumAfterOneBlock) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Set(kParamAnalyzerSpeed, 2);  // Slow: a step takes about ten analyses to show
  rig.Start();
  // Tones on two display bins' own frequencies, which the log bins read exactly.
  const int low = 60, high = 200;
  const double lowHz = SpectrumBinFrequency(low, kFs), highHz = SpectrumBinFrequency(high, kFs);
  rig.engine->SetDisplayReaderPresent(true);
  const std::vector<float> before = Tone(48000, lowHz, 1.0);
  rig.Run(before, before);
  EXPECT_GT(rig.engine->ReadDisplay().inputSpectrumDb[low], -10.0f);

  // The editor closes; the music changes while nobody looks.
  rig.engine->SetDisplayReaderPresent(false);
  const std::vector<float> after = Tone(48000, highHz, 1.0, 48000);
  rig.Run(after, after);
  EXPECT_GT(rig.engine->ReadDisplay().inputSpectrumDb[low], -10.0f) << "no analysis without a reader";

  rig.engine->SetDisplayReaderPresent(true);
  const std::vector<float> next = Tone(64, highHz, 1.0, 96000);
  rig.Run(next, next);
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  EXPECT_LT(d.inputSpectrumDb[low], -60.0f);
  EXPECT_GT(d.inputSpectrumDb[high], -10.0f);
  EXPECT_GT(d.outputSpectrumDb[high], -10.0f);
}

// A stage whose share fell to exactly zero rests; when it is switched in again it starts from
// silence, so nothing it held before comes back. Each case: loud signal with the stage in, the
// stage out, a second of silence, the stage in again: the output must stay exactly silent.
TEST(EngineSkippedStages, AStageSwitchedBackInStartsFromSilence) {
  struct Case {
    const char* what;
    int param;
    float on;
    float off;
  };
  const Case cases[] = {
      {"feedback loop", kParamFeedback, 90, 0},
      {"diffusion", kParamDiffusion, 100, 0},
      {"mono bass", kParamMonoBass, 100, 0},
      {"dc filter", kParamDcFilter, 1, 0},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.Set(kParamMix, 100);
    rig.Set(kParamFeedbackHp, 500);  // the loop's high-pass holds its state longest
    rig.Set(c.param, c.on);
    rig.Start();
    std::vector<float> loud = Tone(4800, 60.0, 0.9);
    std::vector<float> side(loud);
    for (float& s : side) s = -s;  // a side signal for the mono bass
    rig.Run(loud, side);
    rig.Set(c.param, c.off);
    rig.Apply();
    rig.RunDc(48000, 0.0f, 0.0f);
    ASSERT_EQ(rig.outL.back(), 0.0f) << c.what;
    rig.Set(c.param, c.on);
    rig.Apply();
    rig.RunDc(4800, 0.0f, 0.0f);
    for (size_t n = 0; n < rig.outL.size(); ++n) {
      ASSERT_EQ(rig.outL[n], 0.0f) << c.what << " at " << n;
      ASSERT_EQ(rig.outR[n], 0.0f) << c.what << " at " << n;
    }
  }
}

}  // namespace
}  // namespace halcyra
