#include "effect/analyser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

#include <emmintrin.h>

#include "core/math_constants.h"
#include "effect/fast_math.h"

namespace halcyra {
namespace {

// The butterfly loops read and write disjoint rows of one array; saying so lets GCC vectorise them at
// -O2, where it will not version a loop to check for aliasing itself.
#if defined(__clang__)
#define HALCYRA_INDEPENDENT_ITERATIONS _Pragma("clang loop vectorize(assume_safety)")
#elif defined(__GNUC__)
#define HALCYRA_INDEPENDENT_ITERATIONS _Pragma("GCC ivdep")
#else
#define HALCYRA_INDEPENDENT_ITERATIONS
#endif

using plugfw::kPi;
constexpr int kFftBits = 12;
static_assert((1 << kFftBits) == kFftSize, "the ring read masks indices and the FFT is radix 2");
constexpr int kFftMask = kFftSize - 1;
constexpr int kHalfSize = kFftSize / 2;

// The split transform does the passes of size 2 and 4 together, then the other ten as five pairs, each
// combining four transforms of size m into one of 4m.
constexpr int kFirstPairSize = 4;
constexpr int kPassTwiddleCount = 4 * (4 + 16 + 64 + 256 + 1024);
static_assert(kFirstPairSize * 4 * 4 * 4 * 4 * 4 == kFftSize, "five pairs of passes after the first two");

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

#if defined(__GNUC__) && defined(__x86_64__)
#define HALCYRA_WIDE_TRANSFORM 1
#define HALCYRA_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HALCYRA_ALWAYS_INLINE inline
#endif

// Where each pair of passes of size m finds its twiddles in the packed table: the pairs are packed for
// m = 4, 16, ..., 1024, four blocks of m values each.
constexpr int kPassPairCount = 5;
constexpr int PassTwiddleOffset(int m) {
  int offset = 0;
  for (int size = kFirstPairSize; size < m; size *= 4) offset += 4 * size;
  return offset;
}

// The forward transform by decimation in frequency on natural-order input held as split real and
// imaginary arrays, leaving the spectrum in bit-reversed order: the input loads straight from the
// rings, and the few bins the display reads are looked up through the bit reversal. Every inner
// loop walks contiguous doubles, and the passes go in pairs, which halves the sweeps over the data.
HALCYRA_ALWAYS_INLINE void TransformSplitNaturalOrder(double* re, double* im, const double* passTwiddles) {
  for (int pair = kPassPairCount - 1; pair >= 0; --pair) {
    const int m = kFirstPairSize << (2 * pair);
    const double* br = passTwiddles + PassTwiddleOffset(m);  // exp(-2πik / 2m)
    const double* bi = br + m;
    const double* ar = bi + m;  // exp(-2πik / 4m)
    const double* ai = ar + m;
    for (int start = 0; start < kFftSize; start += 4 * m) {
      double* r0 = re + start;
      double* i0 = im + start;
      double* r1 = r0 + m;
      double* i1 = i0 + m;
      double* r2 = r1 + m;
      double* i2 = i1 + m;
      double* r3 = r2 + m;
      double* i3 = i2 + m;
      HALCYRA_INDEPENDENT_ITERATIONS
      for (int k = 0; k < m; ++k) {
        // Pass of span 2m: (0, 2) and (1, 3), the differences turned by a and by a × (-i).
        const double y0r = r0[k] + r2[k], y0i = i0[k] + i2[k];
        const double d2r = r0[k] - r2[k], d2i = i0[k] - i2[k];
        const double y1r = r1[k] + r3[k], y1i = i1[k] + i3[k];
        const double d3r = r1[k] - r3[k], d3i = i1[k] - i3[k];
        const double y2r = d2r * ar[k] - d2i * ai[k];
        const double y2i = d2r * ai[k] + d2i * ar[k];
        // d3 × a × (-i) = (d3 × a) turned a quarter back.
        const double t3r = d3r * ar[k] - d3i * ai[k];
        const double t3i = d3r * ai[k] + d3i * ar[k];
        const double y3r = t3i, y3i = -t3r;
        // Pass of span m: (0, 1) and (2, 3), the differences turned by b.
        const double e1r = y0r - y1r, e1i = y0i - y1i;
        const double e3r = y2r - y3r, e3i = y2i - y3i;
        r0[k] = y0r + y1r;
        i0[k] = y0i + y1i;
        r1[k] = e1r * br[k] - e1i * bi[k];
        i1[k] = e1r * bi[k] + e1i * br[k];
        r2[k] = y2r + y3r;
        i2[k] = y2i + y3i;
        r3[k] = e3r * br[k] - e3i * bi[k];
        i3[k] = e3r * bi[k] + e3i * br[k];
      }
    }
  }
  // Passes of span 2 and 1: twiddles 1 and -i need no multiplication.
  HALCYRA_INDEPENDENT_ITERATIONS
  for (int i = 0; i < kFftSize; i += 4) {
    const double y0r = re[i] + re[i + 2], y0i = im[i] + im[i + 2];
    const double y2r = re[i] - re[i + 2], y2i = im[i] - im[i + 2];
    const double y1r = re[i + 1] + re[i + 3], y1i = im[i + 1] + im[i + 3];
    // (x1 - x3) × (-i)
    const double y3r = im[i + 1] - im[i + 3], y3i = re[i + 3] - re[i + 1];
    re[i] = y0r + y1r;
    im[i] = y0i + y1i;
    re[i + 1] = y0r - y1r;
    im[i + 1] = y0i - y1i;
    re[i + 2] = y2r + y3r;
    im[i + 2] = y2i + y3i;
    re[i + 3] = y2r - y3r;
    im[i + 3] = y2i - y3i;
  }
}

// The windowed rings into the transform's arrays in natural order, oldest sample first. Both real
// channels go through one complex transform: left as the real part, right as the imaginary.
// Non-finite samples read as 0 (x - x is 0 only for finite x). Four samples at a time, the rest
// one by one.
HALCYRA_ALWAYS_INLINE void LoadWindowedRun(const float* ringLeft, const float* ringRight, int from, int to,
                                           int count, const float* window, double* re, double* im) {
  const __m128 zero = _mm_setzero_ps();
  auto finite = [zero](__m128 x) { return _mm_and_ps(_mm_cmpeq_ps(_mm_sub_ps(x, x), zero), x); };
  int n = 0;
  for (; n + 4 <= count; n += 4) {
    const __m128 left = finite(_mm_loadu_ps(ringLeft + from + n));
    const __m128 right = finite(_mm_loadu_ps(ringRight + from + n));
    const __m128 w = _mm_loadu_ps(window + to + n);
    const __m128d wLow = _mm_cvtps_pd(w), wHigh = _mm_cvtps_pd(_mm_movehl_ps(w, w));
    _mm_storeu_pd(re + to + n, _mm_mul_pd(_mm_cvtps_pd(left), wLow));
    _mm_storeu_pd(re + to + n + 2, _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(left, left)), wHigh));
    _mm_storeu_pd(im + to + n, _mm_mul_pd(_mm_cvtps_pd(right), wLow));
    _mm_storeu_pd(im + to + n + 2, _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(right, right)), wHigh));
  }
  for (; n < count; ++n) {
    const float l = ringLeft[from + n], r = ringRight[from + n];
    const double w = window[to + n];
    re[to + n] = l - l == 0.0f ? static_cast<double>(l) * w : 0.0;
    im[to + n] = r - r == 0.0f ? static_cast<double>(r) * w : 0.0;
  }
}

HALCYRA_ALWAYS_INLINE void LoadWindowedPair(const float* ringLeft, const float* ringRight, int oldest,
                                            const float* window, double* re, double* im) {
  // Two contiguous runs: from the oldest sample to the ring's end, then from its start.
  const int firstRun = kFftSize - oldest;
  LoadWindowedRun(ringLeft, ringRight, oldest, 0, firstRun, window, re, im);
  LoadWindowedRun(ringLeft, ringRight, 0, firstRun, oldest, window, re, im);
}

// The same load and transform compiled twice: for the SSE2 every x86-64 processor has, and for AVX2,
// whose four-lane vectors halve the passes where the processor has them. Both do the same operations on
// each value in the same order (no fused multiply-adds), so they give the same bits.
void TransformBaseline(const float* ringLeft, const float* ringRight, int oldest, const float* window,
                       double* re, double* im, const double* passTwiddles) {
  LoadWindowedPair(ringLeft, ringRight, oldest, window, re, im);
  TransformSplitNaturalOrder(re, im, passTwiddles);
}
#if defined(HALCYRA_WIDE_TRANSFORM)
__attribute__((target("avx2"))) void TransformWide(const float* ringLeft, const float* ringRight, int oldest,
                                                   const float* window, double* re, double* im,
                                                   const double* passTwiddles) {
  LoadWindowedPair(ringLeft, ringRight, oldest, window, re, im);
  TransformSplitNaturalOrder(re, im, passTwiddles);
}
#endif

}  // namespace

bool SpectrumAnalyser::WidePathAvailable() {
#if defined(HALCYRA_WIDE_TRANSFORM)
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
#else
  return false;
#endif
}

void SpectrumAnalyser::UseWidePath(bool wide) { wide_ = wide && WidePathAvailable(); }

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
  if (!passTwiddles_) passTwiddles_.reset(new (std::nothrow) double[kPassTwiddleCount]);
  if (!real_) real_.reset(new (std::nothrow) double[kFftSize]);
  if (!imaginary_) imaginary_.reset(new (std::nothrow) double[kFftSize]);
  prepared_ = window_ && twiddles_ && passTwiddles_ && real_ && imaginary_;
  if (!prepared_) {
    window_.reset();
    twiddles_.reset();
    passTwiddles_.reset();
    real_.reset();
    imaginary_.reset();
    return false;
  }
  for (int n = 0; n < kFftSize; ++n) {
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * n / kFftSize));
  }
  for (int k = 0; k < kHalfSize; ++k) {
    const double angle = -2.0 * kPi * k / kFftSize;
    twiddles_[k] = {std::cos(angle), std::sin(angle)};
  }
  // Copied from twiddles_, so both transforms multiply by exactly the same values.
  double* pass = passTwiddles_.get();
  for (int m = kFirstPairSize; m < kFftSize; m *= 4) {
    for (int k = 0; k < m; ++k) {
      const std::complex<double> a = twiddles_[k * (kFftSize / (2 * m))];
      const std::complex<double> b = twiddles_[k * (kFftSize / (4 * m))];
      pass[k] = a.real();
      pass[m + k] = a.imag();
      pass[2 * m + k] = b.real();
      pass[3 * m + k] = b.imag();
    }
    pass += 4 * m;
  }
  mappedRate_ = 0.0;
  return true;
}

void SpectrumAnalyser::MapBinsForRate(double sampleRate) {
  constexpr double kLastInterpolatedBin = kHalfSize - 1;
  for (int i = 0; i < kSpectrumBins; ++i) {
    // Clamping g itself (not only its whole part) keeps t inside [0, 1] at absurdly low rates, where a
    // bin's frequency would otherwise lie far above the FFT's last bin and extrapolate.
    const double g =
        std::clamp(SpectrumBinFrequency(i, sampleRate) * kFftSize / sampleRate, 0.0, kLastInterpolatedBin);
    binLow_[i] = std::min(static_cast<int>(g), kHalfSize - 2);
    binFraction_[i] = g - binLow_[i];
  }
  mappedRate_ = sampleRate;
}

// With Z = L + iR for real L and R, |L[k]|² + |R[k]|² = (|Z[k]|² + |Z[N - k]|²) / 2, so the RMS
// magnitude of the two channels, sqrt((|L[k]|² + |R[k]|²) / 2), needs no separation of the spectra.
// Only the FFT bins that display bins read are worked out.
double SpectrumAnalyser::ChannelRmsMagnitude(int bin) const {
  // The transform leaves bin k at position bitreverse(k).
  const int k = kBitReversal[bin];
  const int mirror = kBitReversal[(kFftSize - bin) & kFftMask];
  const double sum = real_[k] * real_[k] + imaginary_[k] * imaginary_[k] + real_[mirror] * real_[mirror] +
                     imaginary_[mirror] * imaginary_[mirror];
  return std::sqrt(sum / 4.0);
}

void SpectrumAnalyser::Analyse(const float* ringLeft, const float* ringRight, int writeIndex,
                               double sampleRate, int speed, float* bins, bool fresh) {
  if (!prepared_ || ringLeft == nullptr || ringRight == nullptr || bins == nullptr) return;
  const int oldest = ((writeIndex % kFftSize) + kFftSize) % kFftSize;
#if defined(HALCYRA_WIDE_TRANSFORM)
  auto* transform = wide_ ? TransformWide : TransformBaseline;
#else
  auto* transform = TransformBaseline;
#endif
  transform(ringLeft, ringRight, oldest, window_.get(), real_.get(), imaginary_.get(), passTwiddles_.get());

  const double fs = UsableSampleRate(sampleRate);
  if (fs != mappedRate_) MapBinsForRate(fs);
  const double a = fresh ? 1.0 : SmoothingCoefficient(speed);

  for (int i = 0; i < kSpectrumBins; ++i) {
    const int h = binLow_[i];
    const double t = binFraction_[i];
    const double magnitude =
        ((1.0 - t) * ChannelRmsMagnitude(h) + t * ChannelRmsMagnitude(h + 1)) / kFullScaleMagnitude;
    const double db =
        std::clamp(fast_math::Decibels(std::max(magnitude, kMagnitudeFloor)), kFloorDb, kCeilingDb);
    const double previous = std::isfinite(bins[i]) ? static_cast<double>(bins[i]) : kFloorDb;
    bins[i] = static_cast<float>(previous + (db - previous) * a);
  }
}

}  // namespace halcyra
