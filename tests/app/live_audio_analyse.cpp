// Checks recordings of the standalone host's output on real devices (48 kHz float32 stereo raw,
// as the sound server's recorder writes them) against the tone that was played into its input.
//   live_audio_analyse.exe EFFECT.raw BYPASS.raw|- TONE_HZ TONE_AMPLITUDE
//   live_audio_analyse.exe channels RECORDING.raw LEFT_HZ RIGHT_HZ TONE_AMPLITUDE
// The effect run must be audible, finite, unclipped and gap-free, dominated by the tone at a level
// near the input's, with the chorus's modulation in its envelope and sidebands; the bypassed run
// must be the input tone itself ("-" for a run that had none). In the channels form each output
// channel must carry only the tone given for it at the input's level, or be silent for 0. Prints
// every measure and exits 1 on any failed check.

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/math_constants.h"
namespace {

using plugfw::kPi;
constexpr double kSampleRate = 48000.0;
constexpr float kActiveThreshold = 1e-3f;
// Wine's DirectSound settles during the first second of a duplex stream; the end holds the fade.
constexpr double kLeadTrimSeconds = 1.0;
constexpr double kTrimSeconds = 0.3;
constexpr double kMinActiveSeconds = 1.2;
constexpr int kEnvelopeWindow = 1200;  // 12 periods of a 480 Hz tone
constexpr int kFftSize = 32768;
constexpr double kToneBandHz = 40.0;
// Two bins of the analysis: a dropped period in a short recording can move the peak by one.
constexpr double kPeakToleranceHz = 2.0 * kSampleRate / kFftSize;
// A run of more exact zeros than a sine crossing zero can give is a gap. Wine's DirectSound
// mixer under a loaded machine drops a period (5 or 10 ms) now and then; the host's own faults
// (a block left unprocessed, a buffer written as silence) repeat with every device buffer. So a
// few short gaps are tolerated, never a pattern of them.
constexpr int kZeroRunIsGap = 4;
constexpr int kMaxGaps = 3;
constexpr double kMaxGapFraction = 0.01;
constexpr float kClipLevel = 0.99f;
constexpr size_t kFitWindow = 4800;     // 100 ms
constexpr double kPureResidual = 0.01;  // -40 dB
constexpr double kMinPureFraction = 0.85;

struct Recording {
  std::vector<float> left, right;
};

bool Load(const char* path, Recording& recording) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  float frame[2];
  while (std::fread(frame, sizeof(float), 2, file) == 2) {
    recording.left.push_back(frame[0]);
    recording.right.push_back(frame[1]);
  }
  std::fclose(file);
  return true;
}

void Fft(std::vector<std::complex<double>>& data) {
  const size_t n = data.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (size_t length = 2; length <= n; length <<= 1) {
    const double angle = -2.0 * kPi / static_cast<double>(length);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += length) {
      std::complex<double> w(1.0);
      for (size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> a = data[i + k];
        const std::complex<double> b = data[i + k + length / 2] * w;
        data[i + k] = a + b;
        data[i + k + length / 2] = a - b;
        w *= step;
      }
    }
  }
}

struct Measures {
  bool finite = true;
  float peak = 0;
  double activeSeconds = 0;
  int longestZeroRun = 0;
  int gaps = 0;
  size_t gapSamples = 0;
  double longestZeroRunAt = 0;  // seconds into the checked region
  double rms = 0;
  double peakHz = 0;
  double toneFraction = 0;
  double envelopeVariation = 0;
  double fitAmplitude = 0;
  double fitResidual = 0;  // relative to the fitted tone's RMS
  double pureWindowFraction = 0;
};

// Least-squares fit of a tone at exactly toneHz over [begin, end): its amplitude, and the RMS of
// what it leaves relative to the fitted tone's RMS.
void FitTone(const std::vector<float>& samples, size_t begin, size_t end, double toneHz, double& amplitude,
             double& relativeResidual) {
  double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
  for (size_t i = begin; i < end; ++i) {
    const double phase = 2.0 * kPi * toneHz * static_cast<double>(i) / kSampleRate;
    const double s = std::sin(phase), c = std::cos(phase);
    ss += s * s, cc += c * c, sc += s * c, xs += samples[i] * s, xc += samples[i] * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
  amplitude = std::hypot(a, b);
  double residual = 0;
  for (size_t i = begin; i < end; ++i) {
    const double phase = 2.0 * kPi * toneHz * static_cast<double>(i) / kSampleRate;
    const double r = samples[i] - (a * std::sin(phase) + b * std::cos(phase));
    residual += r * r;
  }
  const double toneRms = amplitude / std::sqrt(2.0);
  relativeResidual = toneRms > 0 ? std::sqrt(residual / (end - begin)) / toneRms : 1e9;
}

Measures MeasureChannel(const std::vector<float>& samples, size_t begin, size_t end, double toneHz) {
  Measures m;
  for (float s : samples) {
    if (!std::isfinite(s)) m.finite = false;
    if (std::fabs(s) > m.peak) m.peak = std::fabs(s);
  }
  const size_t count = end - begin;
  m.activeSeconds = count / kSampleRate;
  int run = 0;
  size_t gapSamples = 0;
  double energy = 0;
  for (size_t i = begin; i < end; ++i) {
    run = samples[i] == 0.0f ? run + 1 : 0;
    if (run == kZeroRunIsGap + 1) ++m.gaps;
    if (run > kZeroRunIsGap) ++gapSamples;
    if (run > m.longestZeroRun) {
      m.longestZeroRun = run;
      m.longestZeroRunAt = (i - begin) / kSampleRate;
    }
    energy += double{samples[i]} * samples[i];
  }
  m.rms = std::sqrt(energy / count);
  m.gapSamples = gapSamples;

  std::vector<double> envelope;
  for (size_t i = begin; i + kEnvelopeWindow <= end; i += kEnvelopeWindow) {
    double e = 0;
    int zeros = 0;
    bool gap = false;
    for (size_t j = i; j < i + kEnvelopeWindow; ++j) {
      e += double{samples[j]} * samples[j];
      zeros = samples[j] == 0.0f ? zeros + 1 : 0;
      gap = gap || zeros > kZeroRunIsGap;
    }
    // A tolerated gap is counted above; it must not pass for modulation here.
    if (!gap) envelope.push_back(std::sqrt(e / kEnvelopeWindow));
  }
  double mean = 0, spread = 0;
  for (double e : envelope) mean += e;
  mean /= envelope.size();
  for (double e : envelope) spread += (e - mean) * (e - mean);
  m.envelopeVariation = mean > 0 ? std::sqrt(spread / envelope.size()) / mean : 0;

  if (count >= static_cast<size_t>(kFftSize)) {
    std::vector<std::complex<double>> data(kFftSize);
    const size_t start = begin + (count - kFftSize) / 2;
    for (int i = 0; i < kFftSize; ++i) {
      const double hann = 0.5 - 0.5 * std::cos(2.0 * kPi * i / (kFftSize - 1));
      data[i] = samples[start + i] * hann;
    }
    Fft(data);
    const double binHz = kSampleRate / kFftSize;
    double total = 0, band = 0, best = 0;
    for (int k = static_cast<int>(20.0 / binHz); k < static_cast<int>(20000.0 / binHz); ++k) {
      const double power = std::norm(data[k]);
      total += power;
      if (std::fabs(k * binHz - toneHz) <= kToneBandHz) band += power;
      if (power > best) {
        best = power;
        m.peakHz = k * binHz;
      }
    }
    m.toneFraction = total > 0 ? band / total : 0;
  }

  FitTone(samples, begin, end, toneHz, m.fitAmplitude, m.fitResidual);
  // The same per window: a device path may slip a few samples now and then, which breaks one
  // window's fit but not the others'.
  int windows = 0, pure = 0;
  for (size_t i = begin; i + kFitWindow <= end; i += kFitWindow, ++windows) {
    double amplitude = 0, residual = 0;
    FitTone(samples, i, i + kFitWindow, toneHz, amplitude, residual);
    if (residual < kPureResidual) ++pure;
  }
  m.pureWindowFraction = windows > 0 ? static_cast<double>(pure) / windows : 0;
  return m;
}

bool ActiveRegion(const Recording& r, size_t& begin, size_t& end) {
  size_t first = r.left.size(), last = 0;
  for (size_t i = 0; i < r.left.size(); ++i) {
    if (std::fabs(r.left[i]) > kActiveThreshold || std::fabs(r.right[i]) > kActiveThreshold) {
      if (first == r.left.size()) first = i;
      last = i;
    }
  }
  const size_t lead = static_cast<size_t>(kLeadTrimSeconds * kSampleRate);
  const size_t trim = static_cast<size_t>(kTrimSeconds * kSampleRate);
  if (first == r.left.size() || last < first + lead + trim) return false;
  begin = first + lead;
  end = last - trim;
  return (end - begin) >= kMinActiveSeconds * kSampleRate;
}

int failures = 0;

void Check(bool ok, const char* run, const char* what) {
  std::printf("  %s %s: %s\n", ok ? "ok  " : "FAIL", run, what);
  if (!ok) ++failures;
}

void Print(const char* run, const char* channel, const Measures& m) {
  std::printf(
      "%s %s: active %.2f s, peak %.3f, rms %.4f, gaps %d (%zu samples), longest zero run %d at %.2f s, peak "
      "%.1f Hz, tone fraction %.4f, "
      "envelope variation %.4f, fit amplitude %.4f, fit residual %.4f, pure windows %.3f\n",
      run, channel, m.activeSeconds, m.peak, m.rms, m.gaps, m.gapSamples, m.longestZeroRun,
      m.longestZeroRunAt, m.peakHz, m.toneFraction, m.envelopeVariation, m.fitAmplitude, m.fitResidual,
      m.pureWindowFraction);
}

bool GapFree(const Measures& m) {
  return m.gaps <= kMaxGaps && m.gapSamples <= kMaxGapFraction * m.activeSeconds * kSampleRate;
}

void CheckSignal(const Measures& m, const char* run, const char* channel) {
  Print(run, channel, m);
  Check(m.finite, channel, "no NaN or infinity");
  Check(m.peak < kClipLevel, channel, "no clipping");
  Check(GapFree(m), channel, "no gaps of exact zeros beyond an occasional dropped period");
}

void CheckEffect(const Measures& e, double toneHz, double inputRms) {
  Check(std::fabs(e.peakHz - toneHz) < 5.0 && e.toneFraction > 0.7, "effect", "the tone dominates");
  Check(e.rms > 0.25 * inputRms && e.rms < 2.0 * inputRms, "effect", "level within -12..+6 dB of the input");
  Check(e.fitResidual > 0.05, "effect", "modulation moves the tone (sidebands or envelope)");
}

void CheckBypass(const Measures& b, double toneHz, double inputRms) {
  Check(std::fabs(b.peakHz - toneHz) < 2.0 && b.toneFraction > 0.98, "bypass", "only the tone");
  Check(b.rms > 0.944 * inputRms && b.rms < 1.059 * inputRms, "bypass", "level within 0.5 dB of the input");
  Check(b.pureWindowFraction >= kMinPureFraction, "bypass",
        "the input tone itself (in 85% of 100 ms windows, all but -40 dB of it is the tone)");
}

// One bypassed recording, channel by channel: the tone given for it, or silence for 0 Hz.
int CheckChannels(const char* path, const double toneHz[2], double inputRms) {
  Recording recording;
  if (!Load(path, recording)) {
    std::fprintf(stderr, "cannot read the recording\n");
    return 1;
  }
  size_t begin = 0, end = 0;
  const bool active = ActiveRegion(recording, begin, end);
  Check(active, "channels", "output not silent for long enough");
  if (!active) return 1;
  const std::vector<float>* channels[] = {&recording.left, &recording.right};
  const char* names[] = {"left", "right"};
  for (int c = 0; c < 2; ++c) {
    const Measures m = MeasureChannel(*channels[c], begin, end, toneHz[c] > 0 ? toneHz[c] : 1000.0);
    if (toneHz[c] > 0) {
      CheckSignal(m, "channels", names[c]);
      Check(std::fabs(m.peakHz - toneHz[c]) < kPeakToleranceHz && m.toneFraction > 0.98, names[c],
            "only its own tone");
      Check(m.rms > 0.944 * inputRms && m.rms < 1.059 * inputRms, names[c],
            "level within 0.5 dB of the input");
    } else {
      Print("channels", names[c], m);
      Check(m.peak < kActiveThreshold, names[c], "silent");
    }
  }
  std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
  return failures == 0 ? 0 : 1;
}

}  // namespace

// BYPASS.raw may be "-": only the effect's recording is checked.
int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "channels") == 0) {
    const double toneHz[2] = {std::atof(argv[3]), std::atof(argv[4])};
    return CheckChannels(argv[2], toneHz, std::atof(argv[5]) / std::sqrt(2.0));
  }
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: %s EFFECT.raw BYPASS.raw|- TONE_HZ TONE_AMPLITUDE\n"
                 "       %s channels RECORDING.raw LEFT_HZ RIGHT_HZ TONE_AMPLITUDE\n",
                 argv[0], argv[0]);
    return 2;
  }
  const bool withBypass = std::strcmp(argv[2], "-") != 0;
  const double toneHz = std::atof(argv[3]);
  const double inputRms = std::atof(argv[4]) / std::sqrt(2.0);
  Recording effect, bypass;
  if (!Load(argv[1], effect) || (withBypass && !Load(argv[2], bypass))) {
    std::fprintf(stderr, "cannot read the recordings\n");
    return 1;
  }
  size_t eb = 0, ee = 0, bb = 0, be = 0;
  const bool effectActive = ActiveRegion(effect, eb, ee);
  Check(effectActive, "effect", "output not silent for long enough");
  const bool bypassActive = !withBypass || ActiveRegion(bypass, bb, be);
  if (withBypass) Check(bypassActive, "bypass", "output not silent for long enough");
  if (!effectActive || !bypassActive) return 1;

  const std::vector<float>* effectChannels[] = {&effect.left, &effect.right};
  const std::vector<float>* bypassChannels[] = {&bypass.left, &bypass.right};
  const char* names[] = {"left", "right"};
  double effectVariation = 0, bypassVariation = 0;
  for (int c = 0; c < 2; ++c) {
    const Measures e = MeasureChannel(*effectChannels[c], eb, ee, toneHz);
    CheckSignal(e, "effect", names[c]);
    CheckEffect(e, toneHz, inputRms);
    effectVariation += e.envelopeVariation;
    if (!withBypass) continue;
    const Measures b = MeasureChannel(*bypassChannels[c], bb, be, toneHz);
    CheckSignal(b, "bypass", names[c]);
    CheckBypass(b, toneHz, inputRms);
    bypassVariation += b.envelopeVariation;
  }
  if (withBypass) Check(bypassVariation < 0.02, "bypass", "flat envelope");
  Check(effectVariation > 0.04 && effectVariation > 4.0 * bypassVariation, "effect", "the envelope moves");
  std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
  return failures == 0 ? 0 : 1;
}
