// The diffusion chain's catch-up four samples at a time, for processors with AVX2, chosen at run
// time. It is the allpass of diffusion_chain.h operation for operation, with no fused
// multiply-add, so it stores exactly what the baseline stores. Only the code inside the target
// region is compiled for AVX2.
#include "effect/diffusion_chain.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace halcyra::diffusion_avx2 {

int AllpassRun(double* out, const double* delayed, const double* x, double gain, int count) {
  const __m256d g = _mm256_set1_pd(gain);
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d tiny = _mm256_set1_pd(kTinyState);
  const __m256d low = _mm256_set1_pd(-kSampleLimit), high = _mm256_set1_pd(kSampleLimit);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m256d in = _mm256_loadu_pd(x + k);
    const __m256d y = _mm256_sub_pd(_mm256_loadu_pd(delayed + k), _mm256_mul_pd(g, in));
    const __m256d sum = _mm256_add_pd(in, _mm256_mul_pd(g, y));
    // FlushTiny, then SanitizeSample.
    const __m256d flushed =
        _mm256_andnot_pd(_mm256_cmp_pd(_mm256_andnot_pd(sign, sum), tiny, _CMP_LT_OS), sum);
    const __m256d clamped = _mm256_min_pd(high, _mm256_max_pd(low, flushed));
    _mm256_storeu_pd(out + k, _mm256_andnot_pd(_mm256_cmp_pd(flushed, flushed, _CMP_UNORD_Q), clamped));
  }
  return k;
}

}  // namespace halcyra::diffusion_avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace halcyra::diffusion_avx2 {
const AllpassRunner kAllpassRun = AllpassRun;
}  // namespace halcyra::diffusion_avx2
#else
namespace halcyra::diffusion_avx2 {
const AllpassRunner kAllpassRun = nullptr;
}  // namespace halcyra::diffusion_avx2
#endif
