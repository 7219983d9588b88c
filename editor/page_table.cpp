#include "editor/page_table.h"

#include <array>

#include "effect/param_table.h"

namespace halcyra {
namespace {

enum Tab : int32_t { kTabShape, kTabModulation, kTabVoices, kTabTone, kTabDynamics, kTabUtility };

constexpr int32_t kTabFirstPages[kTabCount] = {0, 2, kFirstVoicePage, 12, 14, 16};

constexpr const char* kVoiceFieldCaptions[kVoiceFieldCount] = {
    "ENABLED", "DELAY OFFSET", "RATE RATIO", "PHASE OFFSET", "DEPTH SCALE", "DETUNE OFFSET", "PAN", "LEVEL"};

constexpr const char* kVoiceButtonCaptions[kVoiceCount] = {"VOICE 1", "VOICE 2", "VOICE 3", "VOICE 4",
                                                           "VOICE 5", "VOICE 6", "VOICE 7", "VOICE 8"};

// The pages that are not voice pages, in page order; a voice page stands where each voice
// page belongs and is filled in below.
constexpr Page kShapeStructurePage = {kTabShape,
                                      8,
                                      {{"STRUCTURE", kParamModel},
                                       {"VOICES", kParamVoices},
                                       {"PHASE", kParamPhase},
                                       {"STEREO PHASE", kParamStereoPhase},
                                       {"WAVE", kParamWave},
                                       {"SKEW", kParamSkew},
                                       {"DETUNE", kParamDetune},
                                       {"WIDTH", kParamWidth}}};
constexpr Page kShapeBandPage = {kTabShape,
                                 8,
                                 {{"PROCESS BAND", kParamProcessBand},
                                  {"LOW SPLIT", kParamSplitLow},
                                  {"HIGH SPLIT", kParamSplitHigh},
                                  {"MONO BASS", kParamMonoBass},
                                  {"BASS FREQ", kParamMonoBassFrequency},
                                  {"BALANCE", kParamBalance},
                                  {"WET INVERT", kParamWetPolarity},
                                  {"DRY INVERT", kParamDryPolarity}}};
constexpr Page kMotionPage = {kTabModulation,
                              8,
                              {{"SYNC", kParamSync},
                               {"DIVISION", kParamDivision},
                               {"DRIFT", kParamDrift},
                               {"DRIFT RATE", kParamDriftRate},
                               {"HUMANIZE", kParamHumanize},
                               {"ENV DEPTH", kParamEnvelopeDepth},
                               {"ENV RATE", kParamEnvelopeRate},
                               {"RUN RESET", kParamTransportReset}}};
constexpr Page kTempoPhasePage = {kTabModulation,
                                  8,
                                  {{"FALLBACK BPM", kParamTempoFallback},
                                   {"INTERPOLATION", kParamInterpolation},
                                   {"VOICE TILT", kParamVoiceTilt},
                                   {"PHASE", kParamPhase},
                                   {"STEREO PHASE", kParamStereoPhase},
                                   {"WAVE", kParamWave},
                                   {"SKEW", kParamSkew},
                                   {"HUMANIZE", kParamHumanize}}};
constexpr Page kFilterPage = {kTabTone,
                              8,
                              {{"CROSS FEED", kParamCrossFeed},
                               {"LOOP POLARITY", kParamFeedbackPolarity},
                               {"LOOP HP", kParamFeedbackHp},
                               {"LOOP LP", kParamFeedbackLp},
                               {"WET HP", kParamWetHp},
                               {"WET LP", kParamWetLp},
                               {"TONE", kParamTone},
                               {"RESONANCE", kParamResonance}}};
constexpr Page kColourPage = {kTabTone,
                              5,
                              {{"ANALOG DRIVE", kParamAnalogDrive},
                               {"ANALOG NOISE", kParamAnalogNoise},
                               {"NOISE LEVEL", kParamNoiseLevel},
                               {"DIFFUSION", kParamDiffusion},
                               {"STAGES", kParamStages}}};
constexpr Page kEnvelopePage = {kTabDynamics,
                                7,
                                {{"ENV THRESHOLD", kParamEnvelopeThreshold},
                                 {"ENV ATTACK", kParamEnvelopeAttack},
                                 {"ENV RELEASE", kParamEnvelopeRelease},
                                 {"DETECTOR", kParamEnvelopeDetector},
                                 {"SC TRIM", kParamScTrim},
                                 {"ENV DEPTH", kParamEnvelopeDepth},
                                 {"ENV RATE", kParamEnvelopeRate}}};
constexpr Page kDuckPage = {kTabDynamics,
                            4,
                            {{"DUCK", kParamDuck},
                             {"DUCK THRESHOLD", kParamDuckThreshold},
                             {"DUCK ATTACK", kParamDuckAttack},
                             {"DUCK RELEASE", kParamDuckRelease}}};
constexpr Page kUtilityPage = {kTabUtility,
                               8,
                               {{"INPUT", kParamInput},
                                {"OUTPUT", kParamOutput},
                                {"INPUT ROUTE", kParamInputRouting},
                                {"OUTPUT ROUTE", kParamOutputRouting},
                                {"MONITOR", kParamMonitor},
                                {"ANALYZER", kParamAnalyzer},
                                {"FFT SPEED", kParamAnalyzerSpeed},
                                {"DC FILTER", kParamDcFilter}}};

constexpr Page VoicePage(int32_t voice) {
  Page page{kTabVoices, kVoiceFieldCount, {}};
  for (int32_t field = 0; field < kVoiceFieldCount; ++field) {
    page.controls[field] = {kVoiceFieldCaptions[field], VoiceParamIndex(voice, field)};
  }
  return page;
}

constexpr std::array<Page, kPageCount> BuildPages() {
  std::array<Page, kPageCount> pages{kShapeStructurePage, kShapeBandPage, kMotionPage, kTempoPhasePage};
  for (int32_t voice = 0; voice < kVoiceCount; ++voice) pages[kFirstVoicePage + voice] = VoicePage(voice);
  pages[12] = kFilterPage;
  pages[13] = kColourPage;
  pages[14] = kEnvelopePage;
  pages[15] = kDuckPage;
  pages[16] = kUtilityPage;
  return pages;
}

constexpr std::array<Page, kPageCount> kPages = BuildPages();
static_assert(kLastVoicePage - kFirstVoicePage + 1 == kVoiceCount, "one page per voice slot");

}  // namespace

const PageControl kWideControls[kWideControlCount] = {
    {"RATE", kParamRate},         {"DEPTH", kParamDepth},   {"BASE DELAY", kParamBaseDelay},
    {"FEEDBACK", kParamFeedback}, {"SPREAD", kParamSpread}, {"MIX", kParamMix}};

const char* const kTabCaptions[kTabCount] = {"SHAPE", "MODULATION", "VOICES", "TONE", "DYNAMICS", "UTILITY"};

const SectionPair kSectionPairs[kSectionPairCount] = {
    {0, {"STRUCTURE / IMAGE", "BAND / POLARITY"}},
    {2, {"MOTION / ENVELOPE", "TEMPO / PHASE"}},
    {12, {"FILTER / FEEDBACK", "COLOUR / DIFFUSION"}},
    {14, {"ENVELOPE / SIDECHAIN", "WET DUCK"}},
};

const Page* FindPage(int32_t page) { return page >= 0 && page < kPageCount ? &kPages[page] : nullptr; }

int32_t TabFirstPage(int32_t tab) { return tab >= 0 && tab < kTabCount ? kTabFirstPages[tab] : 0; }

int32_t TabOfPage(int32_t page) {
  int32_t tab = 0;
  for (int32_t t = 1; t < kTabCount; ++t) {
    if (page >= kTabFirstPages[t]) tab = t;
  }
  return tab;
}

const char* VoiceButtonCaption(int32_t voice) {
  return voice >= 0 && voice < kVoiceCount ? kVoiceButtonCaptions[voice] : nullptr;
}

}  // namespace halcyra
