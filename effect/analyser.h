#pragma once
// SpectrumAnalyser: turns the last 4096 samples of a stereo pair of rings into 256 log-spaced, smoothed dB
// bins for the editor's signal display. Prepare allocates and runs on reset while the host does not
// process; Analyse runs on the audio thread every 512 samples and neither allocates nor locks. One
// thread at a time; nothing here is shared with the UI thread.

#include <array>
#include <complex>
#include <memory>

namespace halcyra {

constexpr int kFftSize = 4096;
constexpr int kSpectrumBins = 256;

// In-place forward, unscaled radix-2 decimation-in-time transform of 4096 points;
// twiddles[k] = exp(-2πik/4096), k = 0..2047 (SpectrumAnalyser::Twiddles). Null pointers do nothing.
void Fft4096(std::complex<double>* data, const std::complex<double>* twiddles);

// Centre frequency in Hz of display bin `bin` (clamped to 0..255): 20 Hz at bin 0 rising
// logarithmically to min(0.49 fs, 20 kHz) at bin 255. A non-finite or non-positive rate counts as 48 kHz.
double SpectrumBinFrequency(int bin, double sampleRate);

class SpectrumAnalyser {
 public:
  SpectrumAnalyser() = default;
  SpectrumAnalyser(const SpectrumAnalyser&) = delete;
  SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

  // Allocates the window, twiddle and work buffers the first time and (re)fills the window and the
  // twiddles. Not real-time safe. Returns false when memory could not be had: everything is then
  // released, IsPrepared() is false and Analyse does nothing.
  bool Prepare();
  bool IsPrepared() const { return prepared_; }

  // One update of one spectrum. The two rings share `writeIndex`, so ring[(writeIndex + n) % 4096] is
  // the n-th oldest sample; the index is wrapped, non-finite samples read as 0, and a non-finite or
  // non-positive rate counts as 48 kHz. speed: 0 Fast, 1 Medium, anything else Slow. `bins` holds the
  // 256 dB values (-120..120), smoothed in place; a bin that arrives non-finite restarts from -120.
  // `fresh` replaces the bins with this analysis instead of smoothing toward it.
  void Analyse(const float* ringLeft, const float* ringRight, int writeIndex, double sampleRate, int speed,
               float* bins, bool fresh = false);

  // Any thread: whether this processor runs the transform's AVX2 path. Set-up: choose it (the
  // default where available) or the SSE2 path; both give the same bits.
  static bool WidePathAvailable();
  void UseWidePath(bool wide);
  bool UsesWidePath() const { return wide_; }

  // The table Fft4096 takes; null until prepared.
  const std::complex<double>* Twiddles() const { return twiddles_.get(); }

 private:
  void MapBinsForRate(double sampleRate);
  double ChannelRmsMagnitude(int bin) const;

  std::unique_ptr<float[]> window_;
  std::unique_ptr<std::complex<double>[]> twiddles_;
  // Per pair of passes, contiguous real and imaginary twiddles, so no pass strides through twiddles_.
  std::unique_ptr<double[]> passTwiddles_;
  // The packed transform, split into real and imaginary halves.
  std::unique_ptr<double[]> real_;
  std::unique_ptr<double[]> imaginary_;
  bool prepared_ = false;
  bool wide_ = WidePathAvailable();

  // Where each display bin reads the transform; depends only on the rate, so kept until it changes.
  double mappedRate_ = 0.0;
  std::array<int, kSpectrumBins> binLow_{};
  std::array<double, kSpectrumBins> binFraction_{};
};

}  // namespace halcyra
