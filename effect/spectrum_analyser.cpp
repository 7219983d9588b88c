#include "effect/spectrum_analyser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

namespace halcyra {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFftBits = 12;
static_assert((1 << kFftBits) == kFftSize, "the ring read masks indices and the FFT is radix 2");
constexpr int kFftMask = kFftSize - 1;
constexpr int kHalfSize = kFftSize / 2;

constexpr double kFallbackSampleRate = 48000.0;
constexpr double kLowestBinHz = 20.0;
constexpr double kHighestBinHz = 20000.0;
constexpr double kHighestBinFractionOfRate = 0.49;

// A full-scale sine centred on an FFT bin peaks at N/2 × the Hann window's mean (0.5) = 1024: 0 dB.
constexpr double kFullScaleMagnitude = kFftSize / 4.0;
constexpr double kMagnitudeFloor = 1e-12;
constexpr double kFloorDb = -120.0;
constexpr double kCeilingDb = 120.0;

constexpr double kFastCoefficient = 0.7;
constexpr double kMediumCoefficient = 0.35;
constexpr double kSlowCoefficient = 0.12;

constexpr std::array<std::uint16_t, kFftSize> MakeBitReversal() {
  std::array<std::uint16_t, kFftSize> table{};
  for (int i = 0; i < kFftSize; ++i) {
    int reversed = 0;
    for (int bit = 0; bit < kFftBits; ++bit) {
      if (i & (1 << bit)) reversed |= 1 << (kFftBits - 1 - bit);
    }
    table[i] = static_cast<std::uint16_t>(reversed);
  }
  return table;
}

// Built at compile time, so the transform needs no table of its own from Prepare.
constexpr std::array<std::uint16_t, kFftSize> kBitReversal = MakeBitReversal();

double UsableSampleRate(double sampleRate) {
  return std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : kFallbackSampleRate;
}

double SmoothingCoefficient(int speed) {
  if (speed == 0) return kFastCoefficient;
  if (speed == 1) return kMediumCoefficient;
  return kSlowCoefficient;
}

double ReadSample(const float* ring, int index) {
  const float x = ring[index & kFftMask];
  return std::isfinite(x) ? static_cast<double>(x) : 0.0;
}

}  // namespace

void Fft4096(std::complex<double>* data, const std::complex<double>* twiddles) {
  if (data == nullptr || twiddles == nullptr) return;
  for (int i = 0; i < kFftSize; ++i) {
    const int j = kBitReversal[i];
    if (i < j) std::swap(data[i], data[j]);
  }
  // Plain doubles rather than std::complex arithmetic: the library's complex product goes through a
  // NaN-recovering helper call that costs more than the butterfly itself.
  double* x = reinterpret_cast<double*>(data);
  const double* w = reinterpret_cast<const double*>(twiddles);
  for (int i = 0; i < 2 * kFftSize; i += 4) {
    const double br = x[i + 2];
    const double bi = x[i + 3];
    x[i + 2] = x[i] - br;
    x[i + 3] = x[i + 1] - bi;
    x[i] += br;
    x[i + 1] += bi;
  }
  for (int size = 4; size <= kFftSize; size <<= 1) {
    const int half = size / 2;
    const int stride = kFftSize / size;
    for (int start = 0; start < kFftSize; start += size) {
      double* a = x + 2 * start;
      double* b = a + 2 * half;
      for (int k = 0; k < half; ++k) {
        const double wr = w[2 * k * stride];
        const double wi = w[2 * k * stride + 1];
        const double br = b[2 * k] * wr - b[2 * k + 1] * wi;
        const double bi = b[2 * k] * wi + b[2 * k + 1] * wr;
        b[2 * k] = a[2 * k] - br;
        b[2 * k + 1] = a[2 * k + 1] - bi;
        a[2 * k] += br;
        a[2 * k + 1] += bi;
      }
    }
  }
}

double SpectrumBinFrequency(int bin, double sampleRate) {
  const double fs = UsableSampleRate(sampleRate);
  const double top = std::min(kHighestBinFractionOfRate * fs, kHighestBinHz);
  const double position = static_cast<double>(std::clamp(bin, 0, kSpectrumBins - 1)) / (kSpectrumBins - 1);
  return kLowestBinHz * std::pow(top / kLowestBinHz, position);
}

bool SpectrumAnalyser::Prepare() {
  if (!window_) window_.reset(new (std::nothrow) float[kFftSize]);
  if (!twiddles_) twiddles_.reset(new (std::nothrow) std::complex<double>[kHalfSize]);
  if (!work_) work_.reset(new (std::nothrow) std::complex<double>[kFftSize]);
  if (!power_) power_.reset(new (std::nothrow) double[kHalfSize]());
  prepared_ = window_ && twiddles_ && work_ && power_;
  if (!prepared_) {
    window_.reset();
    twiddles_.reset();
    work_.reset();
    power_.reset();
    return false;
  }
  for (int n = 0; n < kFftSize; ++n) {
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * n / kFftSize));
  }
  for (int k = 0; k < kHalfSize; ++k) {
    const double angle = -2.0 * kPi * k / kFftSize;
    twiddles_[k] = {std::cos(angle), std::sin(angle)};
  }
  return true;
}

// Both real channels go through one complex transform: left as the real part, right as the imaginary.
void SpectrumAnalyser::LoadWindowedPair(const float* ringLeft, const float* ringRight, int oldest) {
  for (int n = 0; n < kFftSize; ++n) {
    const double w = window_[n];
    work_[n] = {ReadSample(ringLeft, oldest + n) * w, ReadSample(ringRight, oldest + n) * w};
  }
}

// With Z = L + iR for real L and R, |L[k]|² + |R[k]|² = (|Z[k]|² + |Z[N - k]|²) / 2, so the RMS
// magnitude of the two channels, sqrt((|L[k]|² + |R[k]|²) / 2), needs no separation of the spectra.
void SpectrumAnalyser::StoreChannelRmsMagnitudes() {
  for (int k = 0; k < kHalfSize; ++k) {
    const std::complex<double> z = work_[k];
    const std::complex<double> mirror = work_[(kFftSize - k) & kFftMask];
    const double sum = z.real() * z.real() + z.imag() * z.imag() + mirror.real() * mirror.real() +
                       mirror.imag() * mirror.imag();
    power_[k] = std::sqrt(sum / 4.0);
  }
}

void SpectrumAnalyser::Analyse(const float* ringLeft, const float* ringRight, int writeIndex,
                               double sampleRate, int speed, float* bins) {
  if (!prepared_ || ringLeft == nullptr || ringRight == nullptr || bins == nullptr) return;
  const int oldest = ((writeIndex % kFftSize) + kFftSize) % kFftSize;
  LoadWindowedPair(ringLeft, ringRight, oldest);
  Fft4096(work_.get(), twiddles_.get());
  StoreChannelRmsMagnitudes();

  const double fs = UsableSampleRate(sampleRate);
  const double a = SmoothingCoefficient(speed);
  constexpr double kLastInterpolatedBin = kHalfSize - 1;
  for (int i = 0; i < kSpectrumBins; ++i) {
    // Clamping g itself (not only its whole part) keeps t inside [0, 1] at absurdly low rates, where a
    // bin's frequency would otherwise lie far above the FFT's last bin and extrapolate.
    const double g = std::clamp(SpectrumBinFrequency(i, fs) * kFftSize / fs, 0.0, kLastInterpolatedBin);
    const int h = std::min(static_cast<int>(g), kHalfSize - 2);
    const double t = g - h;
    const double magnitude = ((1.0 - t) * power_[h] + t * power_[h + 1]) / kFullScaleMagnitude;
    const double db =
        std::clamp(20.0 * std::log10(std::max(magnitude, kMagnitudeFloor)), kFloorDb, kCeilingDb);
    const double previous = std::isfinite(bins[i]) ? static_cast<double>(bins[i]) : kFloorDb;
    bins[i] = static_cast<float>(previous + (db - previous) * a);
  }
}

}  // namespace halcyra
