// Times ChorusEngine::Process at 48 kHz and prints one line per case:
//   case=<name> ns_per_frame=<x> realtime=<y> worst_call_us=<z>
// realtime is how many times faster than real time one core renders the stereo stream; worst_call_us
// is the slowest single Process call (a 512-frame call has 10.7 ms at 48 kHz). Every case runs with
// an editor reading the measurement, except those named *_no_editor. scripts/bench.sh runs each
// case three times on one core and prints the medians.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/math_constants.h"
#include "effect/chorus_engine.h"

namespace halcyra {
namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kFramesPerCase = 48000 * 20;
constexpr int kDefaultBlock = 512;

using ParamEdit = std::function<void(float* params)>;
// Called before every block with the block's first frame; may change parameters.
using Automation = std::function<void(ChorusEngine& engine, float* params, long frame)>;

struct Case {
  std::string name;
  ParamEdit edit;
  int blockFrames = kDefaultBlock;
  Automation automate;
  long signalFrames = -1;  // frames of signal before silence; -1: signal throughout
  bool editor = true;      // a reader of the measurement is present
};

// A chord of three sines with a little noise, like program material.
float SourceSample(long n, int channel) {
  const double t = static_cast<double>(n) / kSampleRate;
  const double s = 0.3 * std::sin(plugfw::kTwoPi * 220.0 * t) +
                   0.2 * std::sin(plugfw::kTwoPi * (330.0 + channel) * t) +
                   0.1 * std::sin(plugfw::kTwoPi * 1760.0 * t);
  return static_cast<float>(s);
}

void Plain(float* p) {
  p[kParamModel] = static_cast<float>(Structure::kDigitalClassic);
  p[kParamVoices] = 4;
  p[kParamDetune] = 0;
  p[kParamDrift] = 0;
  p[kParamHumanize] = 0;
  p[kParamFeedback] = 0;
  p[kParamDiffusion] = 0;
  p[kParamAnalogDrive] = 0;
  p[kParamAnalogNoise] = 0;
  p[kParamAnalyzer] = 0;
  for (int v = 0; v < kVoiceCount; ++v) p[VoiceParamIndex(v, kVoiceDetuneOffset)] = 0;
}

ParamEdit Heavy(Structure structure) {
  return [structure](float* p) {
    p[kParamModel] = static_cast<float>(structure);
    p[kParamVoices] = 8;
    p[kParamDetune] = 12;
    p[kParamDrift] = 50;
    p[kParamHumanize] = 50;
  };
}

// The heavy voice settings with every stage of the wet path and the analysis busy.
ParamEdit EverythingOn(Structure structure) {
  return [structure](float* p) {
    Heavy(structure)(p);
    p[kParamFeedback] = 60;
    p[kParamCrossFeed] = 30;
    p[kParamDiffusion] = 60;
    p[kParamStages] = 6;
    p[kParamAnalogDrive] = 12;
    p[kParamAnalogNoise] = 1;
    p[kParamProcessBand] = 2;  // Mid: both split filters in use
    p[kParamAnalyzer] = 1;
    p[kParamEnvelopeDepth] = 50;
    p[kParamDuck] = 40;
    p[kParamDcFilter] = 1;
  };
}

Case MakeCase(std::string name, ParamEdit edit, int blockFrames = kDefaultBlock,
              Automation automate = nullptr, long signalFrames = -1) {
  return Case{std::move(name), std::move(edit), blockFrames, std::move(automate), signalFrames, true};
}

Case WithoutEditor(Case c) {
  c.name += "_no_editor";
  c.editor = false;
  return c;
}

struct Timing {
  double nsPerFrame;
  double worstCallUs;
};

Timing RunCase(const Case& c) {
  auto engine = std::make_unique<ChorusEngine>();
  float params[kParamCount];
  FillParamDefaults(params);
  if (c.edit) c.edit(params);
  engine->SetParameters(params);
  engine->Reset(kSampleRate);
  engine->SetDisplayReaderPresent(c.editor);

  const int block = c.blockFrames;
  std::vector<float> inL(block), inR(block), outL(block), outR(block);
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  std::chrono::nanoseconds spent{0};
  std::chrono::nanoseconds worst{0};
  for (long frame = 0; frame < kFramesPerCase; frame += block) {
    for (int n = 0; n < block; ++n) {
      const long at = frame + n;
      const bool signal = c.signalFrames < 0 || at < c.signalFrames;
      inL[n] = signal ? SourceSample(at, 0) : 0.0f;
      inR[n] = signal ? SourceSample(at, 1) : 0.0f;
    }
    const auto start = std::chrono::steady_clock::now();
    if (c.automate) c.automate(*engine, params, frame);
    engine->SetTransport(120.0, frame / kSampleRate * 2.0, true, true, true);
    engine->Process(in, out, block, false, nullptr, false);
    const auto call = std::chrono::steady_clock::now() - start;
    spent += call;
    worst = std::max(worst, std::chrono::duration_cast<std::chrono::nanoseconds>(call));
  }
  return {static_cast<double>(spent.count()) / kFramesPerCase, worst.count() / 1000.0};
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  cases.push_back(MakeCase("defaults", nullptr));
  cases.push_back(WithoutEditor(cases.back()));
  cases.push_back(MakeCase("plain", Plain));
  cases.push_back(WithoutEditor(cases.back()));
  cases.push_back(MakeCase("no_voices", [](float* p) {
    for (int v = 0; v < kVoiceCount; ++v) p[VoiceParamIndex(v, kVoiceEnabled)] = 0;
  }));
  cases.push_back(WithoutEditor(cases.back()));
  constexpr const char* kStructureNames[kStructureCount] = {
      "digital_classic",  "dual_stereo", "dimension", "ensemble",      "tri_chorus", "analog_bbd",
      "vintage_ensemble", "micro_pitch", "vibrato",   "random_chorus", "multi_band", "diffused_chorus"};
  for (int s = 0; s < kStructureCount; ++s) {
    cases.push_back(MakeCase(std::string("heavy8_") + kStructureNames[s], Heavy(static_cast<Structure>(s))));
  }
  // All twelve structures within 100 ms, over and over: the crossfades run nearly all the time.
  const long framesPerModel = static_cast<long>(0.1 * kSampleRate / kStructureCount);
  cases.push_back(MakeCase("model_automation", Heavy(Structure::kDigitalClassic), kDefaultBlock,
                           [framesPerModel](ChorusEngine& engine, float* p, long frame) {
                             p[kParamModel] = static_cast<float>((frame / framesPerModel) % kStructureCount);
                             engine.SetParameters(p);
                           }));
  cases.push_back(MakeCase("everything_on", EverythingOn(Structure::kDigitalClassic)));
  cases.push_back(MakeCase("everything_on_multi_band", EverythingOn(Structure::kMultiBand)));
  cases.push_back(MakeCase("analysis_only", [](float* p) {
    Plain(p);
    p[kParamAnalyzer] = 1;
  }));
  cases.push_back(MakeCase("defaults_block32", nullptr, 32));
  cases.push_back(MakeCase("defaults_block512", nullptr, 512));
  cases.push_back(MakeCase("signal_then_silence", nullptr, kDefaultBlock, nullptr, 48000));
  return cases;
}

}  // namespace
}  // namespace halcyra

// An optional argument runs only the cases whose names contain it; --case NAME runs exactly one and
// --list prints the names.
int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--list") {
    for (const halcyra::Case& c : halcyra::Cases()) std::printf("%s\n", c.name.c_str());
    return 0;
  }
  const bool exact = first == "--case" && argc > 2;
  const std::string only = exact ? argv[2] : first;
  for (const halcyra::Case& c : halcyra::Cases()) {
    if (exact ? c.name != only : c.name.find(only) == std::string::npos) continue;
    const halcyra::Timing t = halcyra::RunCase(c);
    const double realtime = 1e9 / (t.nsPerFrame * halcyra::kSampleRate);
    std::printf("case=%s ns_per_frame=%.1f realtime=%.1f worst_call_us=%.1f\n", c.name.c_str(), t.nsPerFrame,
                realtime, t.worstCallUs);
    std::fflush(stdout);
  }
  return 0;
}
