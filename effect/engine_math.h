#pragma once
// EngineMath: the one place where the engine chooses between the exact library functions and the
// polynomial approximations of fast_math.h. The engine is a single body of code; only these calls
// differ between its fast path (what the plug-in runs) and its reference path (the exact formulas
// the tests hold the fast path against). The choice is fixed at construction, so every branch
// below always goes the same way. Pure values; any thread.

#include <cmath>
#include <limits>

#include "core/math_constants.h"
#include "effect/fast_math.h"
#include "effect/stereo_vector.h"

namespace halcyra {

enum class MathPath { kFast, kReference };

class EngineMath {
 public:
  explicit EngineMath(MathPath path) : reference_(path == MathPath::kReference) {}

  bool IsReference() const { return reference_; }
  // Whether the engine may reuse what it worked out before (a value whose inputs have not moved, a
  // settled weight) or pass over a stage that would change no output bit. The reference path never
  // does: it works everything out on every sample, so a test that holds the fast path to it also
  // catches a shortcut that is not exact.
  bool TakesShortcuts() const { return !reference_; }

  // sin(2π·turns).
  double SinTurns(double turns) const {
    return reference_ ? std::sin(plugfw::kTwoPi * turns) : fast_math::SinTurns(turns);
  }
  StereoVector SinTurns(StereoVector turns) const {
    if (!reference_) return fast_math::SinTurns(turns);
    return {std::sin(plugfw::kTwoPi * turns.Left()), std::sin(plugfw::kTwoPi * turns.Right())};
  }
  // sin(π·halfTurns).
  double SinHalfTurns(double halfTurns) const {
    return reference_ ? std::sin(plugfw::kPi * halfTurns) : fast_math::SinTurns(0.5 * halfTurns);
  }
  StereoVector SinHalfTurns(StereoVector halfTurns) const {
    if (!reference_) return fast_math::SinTurns(halfTurns * 0.5);
    return {std::sin(plugfw::kPi * halfTurns.Left()), std::sin(plugfw::kPi * halfTurns.Right())};
  }

  double Tanh(double x) const { return reference_ ? std::tanh(x) : fast_math::Tanh(x); }
  StereoVector Tanh(StereoVector x) const {
    if (!reference_) return fast_math::Tanh(x);
    return {std::tanh(x.Left()), std::tanh(x.Right())};
  }

  // 10^(db / 20), a gain from decibels.
  double DbToGain(double db) const {
    constexpr double kNepersPerDb = 0.11512925464970229;  // ln(10) / 20
    return reference_ ? std::pow(10.0, db / 20.0) : fast_math::Exp(db * kNepersPerDb);
  }
  // 20 log10(level) for a level of at least `floor` (> 0).
  double GainToDb(double level, double floor) const {
    const double x = level > floor ? level : floor;
    return reference_ ? 20.0 * std::log10(x) : fast_math::Decibels(x);
  }
  double Exp2(double x) const {
    constexpr double kLn2 = 0.69314718055994531;
    return reference_ ? std::exp2(x) : fast_math::Exp(x * kLn2);
  }
  // 2^(cents / 1200), a frequency ratio from cents.
  double CentsToRatio(double cents) const { return Exp2(cents / 1200.0); }

 private:
  bool reference_;
};

// A gain worked out from decibels again only when the decibels move (on every call on the reference
// path), for the gains that follow a gliding control on every sample.
class DbGain {
 public:
  double For(double db, const EngineMath& math) {
    if (db != db_ || !math.TakesShortcuts()) {
      db_ = db;
      gain_ = math.DbToGain(db);
    }
    return gain_;
  }

 private:
  double db_ = std::numeric_limits<double>::quiet_NaN();
  double gain_ = 0.0;
};

}  // namespace halcyra
