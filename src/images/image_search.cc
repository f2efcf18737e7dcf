// Exact picture search in two passes over row fingerprints.
//
// Every row of the small picture (the needle) and every needle-wide window
// of a row of the large picture (the haystack) gets a fingerprint: its
// pixels as a polynomial in a random base modulo a prime, rolled along the
// row so each window costs two multiplications.  Equal rows always have
// equal fingerprints; the base is drawn anew for every search, so no
// picture can be built to make different rows collide often.  A shared
// fingerprint only ever proposes a place: every place is compared pixel by
// pixel before it is reported, so the answer is always exact.
//
// The fingerprints are taken modulo 2^31-1, which keeps the arithmetic in
// 64-bit registers.  Two rows differ yet collide with a chance of about
// width/2^31, so a search meets a few collisions at most, and each costs
// one failed comparison.  Pixel values of 2^31-1 and more, which no
// colour has, can collide with every base (x and x+2^31-1 are equal
// modulo the prime); when failed comparisons pile up the search starts its
// second pass over with fingerprints modulo 2^61-1, which no 32-bit pixels
// can fool.
//
// On x86-64 processors with AVX2 the fingerprints of eight rows are rolled
// at once in vector registers, with the same arithmetic; elsewhere (the
// 32-bit build, older processors) SSE2 rolls two rows per register.
//
// Pass one looks only at every s-th row of the haystack.  Any place of the
// needle covers one of those rows, with a needle row of a known remainder
// modulo s over it; for each remainder we watch for the needle row most
// unlike a flat background, so on screen-like pictures the sampled rows
// give a handful of places to check.
//
// A place is compared row by row, and the row that ruled out the last
// place is compared first at the next: near misses of one picture (a tile
// repeated all over, the needle spoilt in one pixel) mostly share their
// flaw, so each costs one row instead of every row above the flaw.
//
// When pass one finds too many places, or they take too long to check
// (repeating patterns, flat screens, near misses), the rare pair has its
// turn: the two neighbouring needle pixels that sampled haystack rows show
// least often are looked for in every row with SSE2 comparisons, about as
// fast as reading the haystack once, and only where they lie is the needle
// compared.  On such pictures some needle pixel is nearly always rare.
//
// When that pair is common too, pass two reads every row:
// each window's fingerprint becomes the number of the needle row it equals,
// and down every column a string matcher (Knuth-Morris-Pratt) looks for the
// needle's sequence of rows.  That costs a fixed amount per pixel whatever
// the pictures hold.  Rows are read top to bottom, so the first sequence
// confirmed in a column is its topmost place; after it only columns to its
// left can come first.  A row that repeats a row above holds the same
// windows, so it is compared with that row instead of fingerprinted, and
// only the columns where a needle row lies, here or in the row above, step
// their matchers: vertical stripes, flat areas and rows that come back
// after any number of others cost about one read.  A row that is an
// earlier one but for a few columns (a number at its edge, a cursor) takes
// that row's hits and fingerprints only the windows over the difference.
#include "images/image_search.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <random>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define VENDRIX_SEARCH_AVX2 1
#include <immintrin.h>
#endif
// Every x86 processor Vendrix runs on has SSE2; the 32-bit build is
// compiled with it for this file.
#if defined(__SSE2__)
#define VENDRIX_SEARCH_SSE2 1
#include <emmintrin.h>
#endif

namespace vendrix::images {
namespace {

// A row with this many colour changes along it rarely repeats elsewhere on
// a screen; pass one prefers such rows.
constexpr int kDistinctRowChanges = 4;

// Pass one reads every s-th row of the haystack; below this step it is
// skipped.
constexpr int kMinSamplingStep = 4;

// Pixels looked at before a whole place is compared.
constexpr size_t kProbeCount = 8;

// ---- Arithmetic modulo 2^31-1 -------------------------------------------

struct Mersenne31 {
  static constexpr uint64_t kPrime = (uint64_t{1} << 31) - 1;
  using Wide = uint64_t;

  static Wide Mul(uint64_t a, uint64_t b) { return a * b; }
  static Wide Add(Wide a, uint64_t b) { return a + b; }
  static Wide Add(Wide a, Wide b, uint64_t c) { return a + b + c; }

  // Any t below 2^64 to its representative below the prime.
  static uint64_t Reduce(Wide t) {
    const uint64_t once = (t & kPrime) + (t >> 31);             // < 2^34
    const uint64_t twice = (once & kPrime) + (once >> 31);      // < 2^31 + 8
    return twice >= kPrime ? twice - kPrime : twice;
  }
  static uint64_t Canonical(uint64_t h) { return h; }
  // The rolling step's terms: h*base < 2^62 (a little more while h is only
  // folded below 2^31 + 8), (2^32-1)*base^width < 2^63, and a pixel plus a
  // constant below 2^33: the sum fits 64 bits.
  static uint64_t Base(uint64_t base) { return base % kPrime; }
};

// ---- Arithmetic modulo 2^61-1 -------------------------------------------

struct Mersenne61 {
  static constexpr uint64_t kPrime = (uint64_t{1} << 61) - 1;

#if defined(__SIZEOF_INT128__)
  using Wide = unsigned __int128;
  static Wide Mul(uint64_t a, uint64_t b) { return static_cast<Wide>(a) * b; }
  static Wide Add(Wide a, uint64_t b) { return a + b; }
  static Wide Add(Wide a, Wide b, uint64_t c) { return a + b + c; }
  static uint64_t Low(Wide t) { return static_cast<uint64_t>(t); }
  static uint64_t Above61(Wide t) { return static_cast<uint64_t>(t >> 61); }
#else
  // 32-bit targets have no 128-bit integer.
  struct Wide {
    uint64_t lo;
    uint64_t hi;
  };
  static Wide Mul(uint64_t a, uint64_t b) {
    const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {(middle << 32) | (p00 & 0xFFFFFFFFu), p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32)};
  }
  static Wide Add(Wide a, uint64_t b) {
    const uint64_t lo = a.lo + b;
    return {lo, a.hi + (lo < b ? 1 : 0)};
  }
  static Wide Add(Wide a, Wide b, uint64_t c) {
    const uint64_t lo = a.lo + b.lo;
    return Add(Wide{lo, a.hi + b.hi + (lo < a.lo ? 1 : 0)}, c);
  }
  static uint64_t Low(Wide t) { return t.lo; }
  static uint64_t Above61(Wide t) { return (t.lo >> 61) | (t.hi << 3); }
#endif

  // Bases stay below 2^59 and fingerprints between steps below 2^62, so
  // h*base < 2^121 and the other terms of a rolling step are below 2^94:
  // one fold then gives less than 2^61 + 2^60 + 2^33.
  static uint64_t Reduce(Wide t) { return (Low(t) & kPrime) + Above61(t); }
  static uint64_t Canonical(uint64_t h) {
    const uint64_t folded = (h & kPrime) + (h >> 61);
    return folded >= kPrime ? folded - kPrime : folded;
  }
  static uint64_t Base(uint64_t base) { return base % (uint64_t{1} << 59); }
};

#ifdef VENDRIX_SEARCH_AVX2
// Pixels at..at+3 of rows first..first+3: column s holds pixel at+s of
// each row.
template <size_t N>
__attribute__((always_inline)) inline void TransposedFour(const std::array<const Colour*, N>& rows, int first, int at, __m128i (&column)[4]) {
  const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first] + at));
  const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first + 1] + at));
  const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first + 2] + at));
  const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first + 3] + at));
  const __m128i low01 = _mm_unpacklo_epi32(r0, r1), low23 = _mm_unpacklo_epi32(r2, r3);
  const __m128i high01 = _mm_unpackhi_epi32(r0, r1), high23 = _mm_unpackhi_epi32(r2, r3);
  column[0] = _mm_unpacklo_epi64(low01, low23);
  column[1] = _mm_unpackhi_epi64(low01, low23);
  column[2] = _mm_unpacklo_epi64(high01, high23);
  column[3] = _mm_unpackhi_epi64(high01, high23);
}

// Any t below 2^64 in each lane folded below 2^31 + 8, the same modulo
// 2^31-1.
__attribute__((target("avx2"), always_inline)) inline __m256i FoldedAvx2(__m256i t, __m256i prime) {
  const __m256i once = _mm256_add_epi64(_mm256_and_si256(t, prime), _mm256_srli_epi64(t, 31));
  return _mm256_add_epi64(_mm256_and_si256(once, prime), _mm256_srli_epi64(once, 31));
}

// The rolling step of RowHasher<Mersenne31>::Windows for 4*Chains rows at
// once, one row per 64-bit lane, with the same arithmetic and so the same
// fingerprints.  Pixels are loaded four at a time from each row and
// transposed, so every step has one vector of leaving and one of entering
// pixels.  Between steps a fingerprint is only folded below 2^31 + 8,
// which the next multiplication (low 32 bits of each lane) still takes.
// Each chain of four rows waits on its multiplications; with two chains
// in one loop the processor works on one while the other waits.
// Starts at window 1 with h holding window 0's fingerprints, stops before
// the last three, and returns the first window it did not do.
template <int Chains>
__attribute__((target("avx2"))) int RollRowsAvx2(const std::array<const Colour*, 4 * Chains>& rows, int count,
                                                 int width, uint64_t base, uint64_t baseToWidth, uint64_t minusBias,
                                                 std::array<uint64_t, 4 * Chains>& h,
                                                 const std::array<uint64_t*, 4 * Chains>& out) {
  const __m256i prime = _mm256_set1_epi64x(static_cast<long long>(Mersenne31::kPrime));
  const __m256i one = _mm256_set1_epi64x(1);
  const __m256i vBase = _mm256_set1_epi64x(static_cast<long long>(base));
  const __m256i vToWidth = _mm256_set1_epi64x(static_cast<long long>(baseToWidth));
  const __m256i vBias = _mm256_set1_epi64x(static_cast<long long>(minusBias));
  const __m128i allOnes = _mm_set1_epi32(-1);
  __m256i hv[Chains];
  for (int c = 0; c < Chains; ++c)
    hv[c] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h.data() + 4 * c));

  int k = 1;
  for (; k + 3 < count; k += 4) {
    for (int c = 0; c < Chains; ++c) {
      __m128i leaving[4], entering[4];
      TransposedFour(rows, 4 * c, k - 1, leaving);
      TransposedFour(rows, 4 * c, k - 1 + width, entering);
      __m256i prints[4];
      for (int step = 0; step < 4; ++step) {
        const __m256i gone = _mm256_cvtepu32_epi64(_mm_xor_si128(leaving[step], allOnes));
        const __m256i come = _mm256_cvtepu32_epi64(entering[step]);
        const __m256i rest = _mm256_add_epi64(_mm256_mul_epu32(gone, vToWidth), _mm256_add_epi64(come, vBias));
        const __m256i t = _mm256_add_epi64(_mm256_mul_epu32(hv[c], vBase), rest);
        hv[c] = FoldedAvx2(t, prime);
        // hv - prime when hv >= prime: hv + 1 reaches 2^31 exactly then.
        prints[step] =
            _mm256_and_si256(_mm256_add_epi64(hv[c], _mm256_srli_epi64(_mm256_add_epi64(hv[c], one), 31)), prime);
      }
      // Back from one vector per window to one per row.
      const __m256i a = _mm256_unpacklo_epi64(prints[0], prints[1]), b = _mm256_unpackhi_epi64(prints[0], prints[1]);
      const __m256i d = _mm256_unpacklo_epi64(prints[2], prints[3]), e = _mm256_unpackhi_epi64(prints[2], prints[3]);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[4 * c] + k), _mm256_permute2x128_si256(a, d, 0x20));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[4 * c + 1] + k), _mm256_permute2x128_si256(b, e, 0x20));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[4 * c + 2] + k), _mm256_permute2x128_si256(a, d, 0x31));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[4 * c + 3] + k), _mm256_permute2x128_si256(b, e, 0x31));
    }
  }
  for (int c = 0; c < Chains; ++c) _mm256_storeu_si256(reinterpret_cast<__m256i*>(h.data() + 4 * c), hv[c]);
  return k;
}

// h * base + pixels, folded below 2^31 + 8, in each lane.
__attribute__((target("avx2"), always_inline)) inline __m256i HornerStepAvx2(__m256i h, __m256i base,
                                                                            __m256i prime, __m256i pixels) {
  return FoldedAvx2(_mm256_add_epi64(_mm256_mul_epu32(h, base), pixels), prime);
}

// (h * base + first) * base + second, the same in one fold: h * base^2 <
// 2^62 + 2^34 and first * base < 2^63, so the sum fits 64 bits.
__attribute__((target("avx2"), always_inline)) inline __m256i HornerPairAvx2(__m256i h, __m256i base,
                                                                            __m256i baseSquared, __m256i prime,
                                                                            __m256i first, __m256i second) {
  const __m256i t = _mm256_add_epi64(_mm256_add_epi64(_mm256_mul_epu32(h, baseSquared), _mm256_mul_epu32(first, base)),
                                     second);
  return FoldedAvx2(t, prime);
}

// The first window's fingerprint of 4*Chains rows from `rows` on, rolled in
// four quarters as RowHasher::Whole does, every quarter of every row in a
// lane of its own: 4*Chains chains of multiplications overlap instead of
// four.  Gives each row's quarters, below the prime, for Whole to join.
template <int Chains>
__attribute__((target("avx2"))) void QuartersAvx2(const std::array<const Colour*, 4 * Chains>& rows, int quarter,
                                                  int width, uint64_t base, uint64_t baseSquared,
                                                  std::array<std::array<uint64_t, 4>, 4 * Chains>& quarters) {
  const __m256i prime = _mm256_set1_epi64x(static_cast<long long>(Mersenne31::kPrime));
  const __m256i one = _mm256_set1_epi64x(1);
  const __m256i vBase = _mm256_set1_epi64x(static_cast<long long>(base));
  const __m256i vBaseSquared = _mm256_set1_epi64x(static_cast<long long>(baseSquared));
  // h[c][q]: quarter q of rows 4c .. 4c+3, folded below 2^31 + 8 between steps.
  __m256i h[Chains][4];
  for (int c = 0; c < Chains; ++c)
    for (int q = 0; q < 4; ++q) h[c][q] = _mm256_setzero_si256();
  const int lastLength = width - 3 * quarter;
  int i = 0;
  for (; i + 4 <= quarter; i += 4) {
    for (int c = 0; c < Chains; ++c) {
      for (int q = 0; q < 4; ++q) {
        __m128i column[4];
        TransposedFour(rows, 4 * c, q * quarter + i, column);
#pragma GCC unroll 2
        for (int step = 0; step < 4; step += 2)
          h[c][q] = HornerPairAvx2(h[c][q], vBase, vBaseSquared, prime, _mm256_cvtepu32_epi64(column[step]),
                                   _mm256_cvtepu32_epi64(column[step + 1]));
      }
    }
  }
  // The quarters' last few pixels one at a time, and the pixels the last
  // quarter has beyond the others.
  for (; i < lastLength; ++i) {
    for (int c = 0; c < Chains; ++c) {
      for (int q = i < quarter ? 0 : 3; q < 4; ++q) {
        const int at = q * quarter + i;
        const __m256i pixels = _mm256_set_epi64x(rows[4 * c + 3][at], rows[4 * c + 2][at], rows[4 * c + 1][at],
                                                 rows[4 * c][at]);
        h[c][q] = HornerStepAvx2(h[c][q], vBase, prime, pixels);
      }
    }
  }
  for (int c = 0; c < Chains; ++c) {
    for (int q = 0; q < 4; ++q) {
      // h - prime when h >= prime: h + 1 reaches 2^31 exactly then.
      const __m256i below =
          _mm256_and_si256(_mm256_add_epi64(h[c][q], _mm256_srli_epi64(_mm256_add_epi64(h[c][q], one), 31)), prime);
      alignas(32) std::array<uint64_t, 4> lanes;
      _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.data()), below);
      for (int lane = 0; lane < 4; ++lane)
        quarters[static_cast<size_t>(4 * c + lane)][static_cast<size_t>(q)] = lanes[static_cast<size_t>(lane)];
    }
  }
}

// The first of prints[x .. end-1] that is one of `keys`, or `end`: four
// fingerprints compared with every key at once.
template <int Keys>
__attribute__((target("avx2"))) int NextOfKeysAvx2(const uint64_t* keys, const uint64_t* prints, int x, int end) {
  __m256i key[Keys];
  for (int k = 0; k < Keys; ++k) key[k] = _mm256_set1_epi64x(static_cast<long long>(keys[k]));
  for (; x + 4 <= end; x += 4) {
    const __m256i four = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(prints + x));
    __m256i any = _mm256_cmpeq_epi64(four, key[0]);
    for (int k = 1; k < Keys; ++k) any = _mm256_or_si256(any, _mm256_cmpeq_epi64(four, key[k]));
    const int found = _mm256_movemask_pd(_mm256_castsi256_pd(any));
    if (found != 0) return x + __builtin_ctz(static_cast<unsigned>(found));
  }
  for (; x < end; ++x)
    for (int k = 0; k < Keys; ++k)
      if (prints[x] == keys[k]) return x;
  return end;
}

bool HaveAvx2() { return __builtin_cpu_supports("avx2"); }
#else
bool HaveAvx2() { return false; }
#endif

#ifdef VENDRIX_SEARCH_SSE2
// The same rolling step with SSE2 for 2*Chains rows, one row per 64-bit
// lane: the multiplications take the low 32 bits of each lane, as the AVX2
// step's do, so the fingerprints are the same bit for bit.  Starts at
// window 1 with h holding window 0's fingerprints, stops before the last
// three, and returns the first window it did not do.
template <int Chains>
int RollRowsSse2(const std::array<const Colour*, 2 * Chains>& rows, int count, int width, uint64_t base,
                 uint64_t baseToWidth, uint64_t minusBias, std::array<uint64_t, 2 * Chains>& h,
                 const std::array<uint64_t*, 2 * Chains>& out) {
  const __m128i prime = _mm_set1_epi64x(static_cast<long long>(Mersenne31::kPrime));
  const __m128i one = _mm_set1_epi64x(1);
  const __m128i vBase = _mm_set1_epi64x(static_cast<long long>(base));
  const __m128i vToWidth = _mm_set1_epi64x(static_cast<long long>(baseToWidth));
  const __m128i vBias = _mm_set1_epi64x(static_cast<long long>(minusBias));
  const __m128i zero = _mm_setzero_si128();
  const __m128i allOnes = _mm_set1_epi32(-1);
  __m128i hv[Chains];
  for (int c = 0; c < Chains; ++c) hv[c] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h.data() + 2 * c));

  // Pixels at..at+3 of rows first and first+1, zero-extended: column s
  // holds pixel at+s of each row.
  const auto interleaved = [&rows, zero](int first, int at, __m128i (&column)[4]) {
    const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first] + at));
    const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first + 1] + at));
    const __m128i low = _mm_unpacklo_epi32(r0, r1), high = _mm_unpackhi_epi32(r0, r1);
    column[0] = _mm_unpacklo_epi32(low, zero);
    column[1] = _mm_unpackhi_epi32(low, zero);
    column[2] = _mm_unpacklo_epi32(high, zero);
    column[3] = _mm_unpackhi_epi32(high, zero);
  };

  int k = 1;
  for (; k + 3 < count; k += 4) {
    for (int c = 0; c < Chains; ++c) {
      __m128i leaving[4], entering[4];
      interleaved(2 * c, k - 1, leaving);
      interleaved(2 * c, k - 1 + width, entering);
      __m128i prints[4];
      for (int step = 0; step < 4; ++step) {
        const __m128i gone = _mm_xor_si128(leaving[step], allOnes);  // only the low halves are multiplied
        const __m128i rest = _mm_add_epi64(_mm_mul_epu32(gone, vToWidth), _mm_add_epi64(entering[step], vBias));
        const __m128i t = _mm_add_epi64(_mm_mul_epu32(hv[c], vBase), rest);
        const __m128i once = _mm_add_epi64(_mm_and_si128(t, prime), _mm_srli_epi64(t, 31));
        hv[c] = _mm_add_epi64(_mm_and_si128(once, prime), _mm_srli_epi64(once, 31));
        prints[step] = _mm_and_si128(_mm_add_epi64(hv[c], _mm_srli_epi64(_mm_add_epi64(hv[c], one), 31)), prime);
      }
      // Back from one register per window to one per row.
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[2 * c] + k), _mm_unpacklo_epi64(prints[0], prints[1]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[2 * c] + k + 2), _mm_unpacklo_epi64(prints[2], prints[3]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[2 * c + 1] + k), _mm_unpackhi_epi64(prints[0], prints[1]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[2 * c + 1] + k + 2),
                       _mm_unpackhi_epi64(prints[2], prints[3]));
    }
  }
  for (int c = 0; c < Chains; ++c) _mm_storeu_si128(reinterpret_cast<__m128i*>(h.data() + 2 * c), hv[c]);
  return k;
}
constexpr bool kHaveSse2 = true;
#else
constexpr bool kHaveSse2 = false;
#endif

using image_search_internal::EveryRowCount;
using image_search_internal::Vectors;

// Fingerprints of needle-wide windows of a row: for the window starting at
// x, the sum of pixel(x+i) * base^(width-1-i) modulo the field's prime.
template <class Field>
class RowHasher {
 public:
  RowHasher(uint64_t base, int width, Vectors vectors)
      : base_(Field::Base(base)),
        width_(width),
        avx2_(vectors == Vectors::kBest && HaveAvx2()),
        sse2_(vectors != Vectors::kNone && kHaveSse2) {
    uint64_t power = 1;
    for (int i = 0; i < width; ++i) {
      if (i == quarter_) baseToQuarter_ = power;
      if (i == width - 3 * quarter_) baseToLastQuarter_ = power;
      power = MulMod(power, base_);
    }
    baseToWidth_ = power;
    // Taking pixel * base^width away is done as adding (2^32-1 - pixel) *
    // base^width and this constant, which keeps every term non-negative.
    const uint64_t bias = MulMod(0xFFFFFFFFu, baseToWidth_);
    minusBias_ = bias == 0 ? 0 : Field::kPrime - bias;
  }

  // The fingerprint of width_ pixels from `pixels`.  One chain of
  // multiplications waits on each in turn; the four quarters of the window
  // are rolled side by side instead and then joined, which matters where a
  // row has only a few windows to roll after its first.
  uint64_t Whole(const Colour* pixels) const {
    if (width_ < kQuarterFrom) {
      uint64_t h = 0;
      for (int i = 0; i < width_; ++i) h = Step(h, pixels[i]);
      return Field::Canonical(h);
    }
    const int q = quarter_;
    const Colour* last = pixels + 3 * q;
    uint64_t h0 = 0, h1 = 0, h2 = 0, h3 = 0;
    for (int i = 0; i < q; ++i) {
      h0 = Step(h0, pixels[i]);
      h1 = Step(h1, pixels[q + i]);
      h2 = Step(h2, pixels[2 * q + i]);
      h3 = Step(h3, last[i]);
    }
    for (int i = q; i < width_ - 3 * q; ++i) h3 = Step(h3, last[i]);
    return Joined({h0, h1, h2, h3});
  }

  // Whole for each of N rows.
  template <int N>
  void FirstWindows(const std::array<const Colour*, N>& rows, std::array<uint64_t, N>& h) const {
#ifdef VENDRIX_SEARCH_AVX2
    if constexpr (N % 4 == 0 && std::is_same_v<Field, Mersenne31>) {
      if (avx2_ && width_ >= kQuarterFrom) {
        std::array<std::array<uint64_t, 4>, N> quarters;
        QuartersAvx2<N / 4>(rows, quarter_, width_, base_, MulMod(base_, base_), quarters);
        for (size_t n = 0; n < N; ++n) h[n] = Joined(quarters[n]);
        return;
      }
    }
#endif
    for (size_t n = 0; n < N; ++n) h[n] = Whole(rows[n]);
  }

  // Fingerprints of the windows starting at first .. first+count-1 of N rows
  // at once; the rows' rolling chains are independent, so the processor
  // overlaps their multiplications.  The windows must lie inside the rows.
  template <int N>
  void Windows(const std::array<const Colour*, N>& rows, int first, int count,
               const std::array<uint64_t*, N>& out) const {
    // Locals, and loops over the rows unrolled, so the running fingerprints
    // stay in registers.
    const uint64_t base = base_, baseToWidth = baseToWidth_, minusBias = minusBias_;
    const int width = width_;
    std::array<const Colour*, N> leaving;
    std::array<uint64_t*, N> to;
    std::array<uint64_t, N> h;
#pragma GCC unroll 8
    for (int n = 0; n < N; ++n) {
      leaving[n] = rows[n] + first;
      to[n] = out[n];
    }
    FirstWindows<N>(leaving, h);
#pragma GCC unroll 8
    for (int n = 0; n < N; ++n) to[n][0] = h[n];
    int k = 1;
#ifdef VENDRIX_SEARCH_AVX2
    if constexpr (N % 4 == 0 && std::is_same_v<Field, Mersenne31>) {
      if (avx2_) k = RollRowsAvx2<N / 4>(leaving, count, width, base, baseToWidth, minusBias, h, to);
    }
#endif
#ifdef VENDRIX_SEARCH_SSE2
    if constexpr (N % 2 == 0 && std::is_same_v<Field, Mersenne31>) {
      if (sse2_ && !avx2_) k = RollRowsSse2<N / 2>(leaving, count, width, base, baseToWidth, minusBias, h, to);
    }
#endif
    for (; k < count; ++k) {
#pragma GCC unroll 8
      for (int n = 0; n < N; ++n) {
        const Colour* pixels = leaving[n] + (k - 1);
        const Colour gone = ~pixels[0];
        h[n] = Field::Reduce(Field::Add(Field::Mul(h[n], base), Field::Mul(gone, baseToWidth),
                                        uint64_t{pixels[width]} + minusBias));
        to[n][k] = Field::Canonical(h[n]);
      }
    }
  }

  bool Avx2() const { return avx2_; }
  // Whether eight rows at once beat two times four.
  bool FastEight() const { return std::is_same_v<Field, Mersenne31> && avx2_; }

 private:
  // Windows narrower than this are fingerprinted in one chain.
  static constexpr int kQuarterFrom = 16;

  static uint64_t MulMod(uint64_t a, uint64_t b) { return Field::Canonical(Field::Reduce(Field::Mul(a, b))); }
  uint64_t Step(uint64_t h, Colour pixel) const {
    return Field::Reduce(Field::Add(Field::Mul(h, base_), uint64_t{pixel}));
  }
  // h * power + tail, below the prime: h and power are, and tail is
  // below what a Step gives.
  static uint64_t Join(uint64_t h, uint64_t power, uint64_t tail) {
    return Field::Canonical(Field::Reduce(Field::Add(Field::Mul(h, power), tail)));
  }
  // A window's fingerprint from those of its quarters.
  uint64_t Joined(const std::array<uint64_t, 4>& quarters) const {
    uint64_t h = Field::Canonical(quarters[0]);
    h = Join(h, baseToQuarter_, quarters[1]);
    h = Join(h, baseToQuarter_, quarters[2]);
    return Join(h, baseToLastQuarter_, quarters[3]);
  }

  uint64_t base_;
  int width_;
  int quarter_ = width_ / 4;
  uint64_t baseToQuarter_ = 1;
  uint64_t baseToLastQuarter_ = 1;
  bool avx2_;
  bool sse2_;
  uint64_t baseToWidth_ = 1;
  uint64_t minusBias_ = 0;
};

// Fingerprints of windows of up to kGroup haystack rows at once.
constexpr int kGroup = 8;

template <class Field>
class RowPrints {
 public:
  RowPrints(const RowHasher<Field>& hasher, int capacity)
      : hasher_(hasher), capacity_(static_cast<size_t>(capacity)), prints_(capacity_ * kGroup) {}

  // Fingerprints windows first .. first+count-1 of the given rows (1 to
  // kGroup), each row's from `at` on in its prints.
  void Compute(const Image& image, const int* rows, int group, int first, int count, int at = 0) {
    const auto to = [&](int n) { return Of(n) + at; };
    int n = 0;
    if (group == 8 && hasher_.FastEight()) {
      hasher_.template Windows<8>({image.Row(rows[0]), image.Row(rows[1]), image.Row(rows[2]), image.Row(rows[3]),
                                   image.Row(rows[4]), image.Row(rows[5]), image.Row(rows[6]), image.Row(rows[7])},
                                  first, count, {to(0), to(1), to(2), to(3), to(4), to(5), to(6), to(7)});
      return;
    }
    for (; n + 4 <= group; n += 4)
      hasher_.template Windows<4>(
          {image.Row(rows[n]), image.Row(rows[n + 1]), image.Row(rows[n + 2]), image.Row(rows[n + 3])}, first, count,
          {to(n), to(n + 1), to(n + 2), to(n + 3)});
    for (; n < group; ++n) hasher_.template Windows<1>({image.Row(rows[n])}, first, count, {to(n)});
  }
  uint64_t* Of(int n) { return prints_.data() + static_cast<size_t>(n) * capacity_; }

 private:
  const RowHasher<Field>& hasher_;
  size_t capacity_;
  std::vector<uint64_t> prints_;
};

// Rows fingerprinted together ahead of their turn, and the next to use.
class RowGroup {
 public:
  // Whether `y` is the group's next row.
  bool Holds(int y) const { return next_ < count_ && rows_[static_cast<size_t>(next_)] == y; }
  // Up to kGroup rows from y .. end-1 that are `wanted`.
  template <class Wanted>
  void Gather(int y, int end, Wanted wanted) {
    count_ = next_ = 0;
    for (int r = y; r < end && count_ < kGroup; ++r)
      if (wanted(r)) rows_[static_cast<size_t>(count_++)] = r;
  }
  const int* Rows() const { return rows_.data(); }
  int Count() const { return count_; }
  // The next row's place in the group; it is then used.
  int Take() { return next_++; }

 private:
  std::array<int, kGroup> rows_{};
  int count_ = 0;
  int next_ = 0;
};

// A small open-addressing map from fingerprints to numbers.  It is kept
// at most an eighth full and remembers its longest probe, so a lookup is
// mostly one comparison and never wraps around.  Fingerprints are already
// spread evenly by the random base, so their low bits serve as the slot.
// A map of a few keys can instead compare fingerprints with every key,
// four at a time, when looking for the next one it holds.
class FingerprintMap {
  using NextOfKeys = int (*)(const uint64_t* keys, const uint64_t* prints, int x, int end);

 public:
  explicit FingerprintMap(size_t entries) {
    size_t capacity = 16;
    while (capacity < entries * 8) capacity *= 2;
    mask_ = capacity - 1;
    keys_.assign(capacity + entries, kEmpty);  // a probe never runs past `entries` extra slots
    values_.assign(capacity + entries, -1);
  }

  // Adds the key unless present; returns the value it has.
  int Insert(uint64_t key, int value) {
    size_t slot = Home(key);
    for (; keys_[slot] != kEmpty; ++slot)
      if (keys_[slot] == key) return values_[slot];
    keys_[slot] = key;
    values_[slot] = value;
    longestProbe_ = std::max(longestProbe_, slot - Home(key));
    inserted_.push_back(key);
    nextOf_ = nullptr;
    return value;
  }

  // Lets NextIn compare in AVX2 registers when the map holds few keys;
  // asked after the last Insert.
  void CompareInVectors(bool avx2) {
#ifdef VENDRIX_SEARCH_AVX2
    static constexpr std::array<NextOfKeys, 9> kCompareWith{
        nullptr,           NextOfKeysAvx2<1>, NextOfKeysAvx2<2>, NextOfKeysAvx2<3>, NextOfKeysAvx2<4>,
        NextOfKeysAvx2<5>, NextOfKeysAvx2<6>, NextOfKeysAvx2<7>, NextOfKeysAvx2<8>};
    nextOf_ = avx2 && inserted_.size() < kCompareWith.size() ? kCompareWith[inserted_.size()] : nullptr;
#else
    static_cast<void>(avx2);
#endif
  }

  // The first of prints[x .. end-1] that the map holds; `end` when none.
  int NextIn(const uint64_t* prints, int x, int end) const {
    if (nextOf_ != nullptr) return nextOf_(inserted_.data(), prints, x, end);
    while (x < end && Find(prints[x]) < 0) ++x;
    return x;
  }

  int Find(uint64_t key) const {
    const size_t home = Home(key);
    // Without a branch on the key: on repeating pictures hits and misses
    // alternate in patterns no predictor follows.
    const int value = values_[home];
    const int found = keys_[home] == key ? value : -1;
    if (longestProbe_ == 0 || found >= 0) return found;
    for (size_t slot = home + 1; slot <= home + longestProbe_; ++slot)
      if (keys_[slot] == key) return values_[slot];
    return -1;
  }

 private:
  // Fingerprints are below 2^61, so this never is one.
  static constexpr uint64_t kEmpty = ~uint64_t{0};

  size_t Home(uint64_t key) const { return static_cast<size_t>(key) & mask_; }

  size_t mask_ = 0;
  size_t longestProbe_ = 0;
  std::vector<uint64_t> keys_;
  std::vector<int> values_;
  std::vector<uint64_t> inserted_;  // the keys, in the order they came
  NextOfKeys nextOf_ = nullptr;
};


struct Probe {
  int i;
  int j;
  Colour colour;
};

bool AtEdge(const Image& image, int i, int j) {
  const Colour colour = image.At(i, j);
  return (i > 0 && colour != image.At(i - 1, j)) || (j > 0 && colour != image.At(i, j - 1));
}

// Up to kProbeCount pixels where the colour changes, evenly spread in
// reading order; counted first so a huge needle needs no list of them.
std::vector<Probe> ChooseProbes(const Image& image) {
  uint64_t edges = 0;
  for (int j = 0; j < image.height; ++j)
    for (int i = 0; i < image.width; ++i) edges += AtEdge(image, i, j);
  std::vector<Probe> probes;
  if (edges == 0) {
    // A flat needle: its far corner at least tells a flat area too small.
    const int i = image.width - 1, j = image.height - 1;
    probes.push_back({i, j, image.At(i, j)});
    return probes;
  }
  const uint64_t count = std::min<uint64_t>(kProbeCount, edges);
  uint64_t seen = 0;
  for (int j = 0; j < image.height && probes.size() < count; ++j) {
    for (int i = 0; i < image.width && probes.size() < count; ++i) {
      if (!AtEdge(image, i, j)) continue;
      if (seen == probes.size() * edges / count) probes.push_back({i, j, image.At(i, j)});
      ++seen;
    }
  }
  return probes;
}

// Colour changes along each row: flat rows are everywhere on a screen,
// busy ones are not.
std::vector<int> RowChanges(const Image& image) {
  std::vector<int> changes(static_cast<size_t>(image.height), 0);
  for (int j = 0; j < image.height; ++j) {
    const Colour* row = image.Row(j);
    for (int i = 1; i < image.width; ++i) changes[static_cast<size_t>(j)] += row[i] != row[i - 1];
  }
  return changes;
}

// What the search knows before it reads the haystack.
struct Search {
  const Image& large;
  const Image& small;
  int lastX;  // last column a place can start in
  int lastY;  // last row a place can start in
  std::vector<Probe> probes;
};

Search MakeSearch(const Image& large, const Image& small) {
  return {large, small, large.width - small.width, large.height - small.height, ChooseProbes(small)};
}

// The order in which the needle's rows are compared at a place: each row
// once.  Near misses of one picture mostly share their flaw, so the row
// that last ruled a place out is compared first from then on.
class RowOrder {
 public:
  explicit RowOrder(int height) : rows_(static_cast<size_t>(height)) {
    for (int j = 0; j < height; ++j) rows_[static_cast<size_t>(j)] = j;  // top down at first
  }

  const std::vector<int>& Rows() const { return rows_; }
  void RuledOutBy(size_t index) {
    std::rotate(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(index),
                rows_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
  }

 private:
  std::vector<int> rows_;
};

// A probe reads a pixel far from the last one; it costs about as much as
// comparing this many pixels of a row.
constexpr uint64_t kProbeWork = 16;

// Whether the needle lies at (x, y); `work` counts pixels compared.
bool MatchesAt(const Search& search, int x, int y, RowOrder& order, uint64_t& work) {
  for (const Probe& probe : search.probes) {
    work += kProbeWork;
    if (search.large.Row(y + probe.j)[x + probe.i] != probe.colour) return false;
  }
  const int width = search.small.width;
  const size_t rowBytes = static_cast<size_t>(width) * sizeof(Colour);
  const std::vector<int>& rows = order.Rows();
  for (size_t k = 0; k < rows.size(); ++k) {
    const int j = rows[k];
    work += static_cast<uint64_t>(width);
    if (std::memcmp(search.large.Row(y + j) + x, search.small.Row(j), rowBytes) != 0) {
      order.RuledOutBy(k);
      return false;
    }
  }
  return true;
}

// The needle's rows in one field: their fingerprints, and a number per
// row shared by rows with equal fingerprints.
template <class Field>
struct NeedleRows {
  NeedleRows(const Image& small, uint64_t base, Vectors vectors) : hasher(base, small.width, vectors) {
    FingerprintMap seen(static_cast<size_t>(small.height));
    for (int j = 0; j < small.height; ++j) {
      const uint64_t print = hasher.Whole(small.Row(j));
      prints.push_back(print);
      const int number = seen.Insert(print, kinds);
      if (number == kinds) ++kinds;
      kind.push_back(number);
    }
  }

  RowHasher<Field> hasher;
  std::vector<uint64_t> prints;
  std::vector<int> kind;
  int kinds = 0;
};

enum class Outcome { kFound, kAbsent, kGaveUp };

// Whether a pass gave the answer: the needle found, or shown absent.
bool Answered(Outcome outcome) { return outcome != Outcome::kGaveUp; }

// A filter that proposes more places than this hands over to pass two.
size_t PlaceLimit(uint64_t haystackPixels) {
  return static_cast<size_t>(std::max<uint64_t>(4096, haystackPixels / 128));
}

// Compares the proposed places (x << 32 | y) in the wanted order, from
// `from` on.  Gives up, leaving `from` at the first place not compared,
// once the comparing has cost more than half a pass over the haystack.
Outcome CheckPlaces(const Search& search, std::vector<uint64_t>& places, std::optional<ImagePoint>& found,
                    ImagePoint& from) {
  const uint64_t pixels = static_cast<uint64_t>(search.large.width) * static_cast<uint64_t>(search.large.height);
  const uint64_t workLimit = std::max<uint64_t>(65536, pixels / 2);
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  const uint64_t start = static_cast<uint64_t>(from.x) << 32 | static_cast<uint32_t>(from.y);
  uint64_t work = 0;
  RowOrder order(search.small.height);
  for (auto place = std::lower_bound(places.begin(), places.end(), start); place != places.end(); ++place) {
    const ImagePoint point{static_cast<int>(*place >> 32), static_cast<int>(*place & 0xFFFFFFFFu)};
    if (work > workLimit) {
      from = point;
      return Outcome::kGaveUp;
    }
    if (MatchesAt(search, point.x, point.y, order, work)) {
      found = point;
      return Outcome::kFound;
    }
  }
  return Outcome::kAbsent;
}

// Pass one's choice: sample haystack rows s-1, 2s-1, ...; a place at y
// then has needle row (s-1-y) mod s + k*s over a sampled row for some k,
// and we watch for the busiest such row of each remainder.  The largest s
// whose every remainder has a busy row wins; s = 1 always qualifies.
struct Sampling {
  int step = 1;
  std::vector<int> watchedRows;  // one needle row per remainder
};

Sampling ChooseSampling(const std::vector<int>& changes) {
  const int height = static_cast<int>(changes.size());
  const int busiest = *std::max_element(changes.begin(), changes.end());
  const int wanted = std::min(kDistinctRowChanges, busiest);

  // Trying every step costs height^2; tall needles try 64 of them.
  std::vector<int> steps;
  const int stride = height <= 128 ? 1 : (height + 63) / 64;
  for (int s = height; s >= 1; s -= stride) steps.push_back(s);
  if (steps.back() != 1) steps.push_back(1);

  for (int s : steps) {
    Sampling sampling{s, {}};
    bool good = true;
    for (int remainder = 0; remainder < s && good; ++remainder) {
      int best = remainder;
      for (int j = remainder + s; j < height; j += s)
        if (changes[static_cast<size_t>(j)] > changes[static_cast<size_t>(best)]) best = j;
      good = changes[static_cast<size_t>(best)] >= wanted;
      sampling.watchedRows.push_back(best);
    }
    if (good) return sampling;
  }
  // Not reached: with s = 1 the busiest row qualifies.  Watching it is
  // always right, if slow.
  return {1, {static_cast<int>(std::max_element(changes.begin(), changes.end()) - changes.begin())}};
}

// Collects the places the sampled rows allow and checks them in the wanted
// order.  Gives up, leaving `from` at the first place not ruled out, when
// there are more places or more comparing than pass two would cost.
template <class Field>
Outcome SampledRows(const Search& search, const NeedleRows<Field>& needle, const Sampling& sampling,
                    std::optional<ImagePoint>& found, ImagePoint& from) {

  // Fingerprint -> the watched needle rows that have it, in a sorted list.
  std::vector<std::pair<uint64_t, int>> watched;
  for (int j : sampling.watchedRows) watched.push_back({needle.prints[static_cast<size_t>(j)], j});
  std::sort(watched.begin(), watched.end());
  FingerprintMap firstWatched(watched.size());
  for (size_t k = 0; k < watched.size(); ++k) firstWatched.Insert(watched[k].first, static_cast<int>(k));
  firstWatched.CompareInVectors(needle.hasher.Avx2());

  const uint64_t pixels = static_cast<uint64_t>(search.large.width) * static_cast<uint64_t>(search.large.height);
  const size_t placeLimit = PlaceLimit(pixels);

  const int count = search.lastX + 1;
  RowPrints<Field> rowPrints(needle.hasher, count);
  std::vector<int> rows;
  for (int r = sampling.step - 1; r < search.large.height; r += sampling.step) rows.push_back(r);

  std::vector<uint64_t> places;  // x << 32 | y, which sorts into the wanted order
  for (size_t first = 0; first < rows.size(); first += kGroup) {
    const int group = static_cast<int>(std::min<size_t>(kGroup, rows.size() - first));
    rowPrints.Compute(search.large, rows.data() + first, group, 0, count);
    for (int n = 0; n < group; ++n) {
      const int r = rows[first + static_cast<size_t>(n)];
      const uint64_t* prints = rowPrints.Of(n);
      for (int x = firstWatched.NextIn(prints, 0, count); x < count;
           x = firstWatched.NextIn(prints, x + 1, count)) {
        int k = firstWatched.Find(prints[x]);
        for (; static_cast<size_t>(k) < watched.size() && watched[static_cast<size_t>(k)].first == prints[x]; ++k) {
          const int y = r - watched[static_cast<size_t>(k)].second;
          if (y >= 0 && y <= search.lastY) places.push_back(static_cast<uint64_t>(x) << 32 | static_cast<uint32_t>(y));
        }
        if (places.size() > placeLimit) {
          from = {0, 0};
          return Outcome::kGaveUp;
        }
      }
    }
  }

  return CheckPlaces(search, places, found, from);
}

// ---- The rare pair: places where the needle's least common pixels lie ----
//
// Pictures that defeat the row fingerprints (flat screens, repeating
// patterns, near misses everywhere) usually still have a pair of
// neighbouring needle pixels that the haystack rarely or never shows: the
// pixel that spoils a near miss and its neighbour, say.  A few sampled
// haystack rows tell how common each of the needle's pairs is; the rarest
// one is then looked for in every row, four places per vector comparison,
// and only the places it gives are compared.

// The needle's pairs are counted on every this-many-th haystack row.
constexpr int kPairSamplingStep = 32;

// At most this many of a big needle's pairs are candidates, evenly spread.
constexpr uint64_t kMaxCandidatePairs = 16384;

// Two neighbouring pixels in one value; a needle one pixel wide has
// single pixels instead.
uint64_t PairAt(const Colour* row, int x, int span) {
  return span == 2 ? uint64_t{row[x]} | uint64_t{row[x + 1]} << 32 : uint64_t{row[x]};
}

// The needle's distinct pairs, each with a count.
class PairCounts {
 public:
  explicit PairCounts(size_t entries) {
    size_t capacity = 16;
    while (capacity < entries * 2) capacity *= 2;
    shift_ = 64;
    for (size_t c = capacity; c > 1; c >>= 1) --shift_;
    mask_ = capacity - 1;
    keys_.assign(capacity, 0);
    counts_.assign(capacity, kFree);
    inNeedle_.assign(capacity, 0);
  }

  // Adds one of the needle's pairs, counting how often the needle has it.
  void Add(uint64_t key) {
    size_t slot = Home(key);
    while (counts_[slot] != kFree && keys_[slot] != key) slot = (slot + 1) & mask_;
    if (counts_[slot] == kFree) {
      keys_[slot] = key;
      counts_[slot] = 0;
      inNeedle_[slot] = 0;
      used_.push_back(slot);
    }
    ++inNeedle_[slot];
  }

  // How often the counted haystack rows have the needle's least common pair.
  uint64_t Fewest() const {
    uint64_t fewest = kFree;
    for (const size_t slot : used_) fewest = std::min(fewest, counts_[slot]);
    return fewest;
  }

  void Count(uint64_t key) {
    for (size_t slot = Home(key); counts_[slot] != kFree; slot = (slot + 1) & mask_) {
      if (keys_[slot] == key) {
        ++counts_[slot];
        return;
      }
    }
  }

  // How often the counted haystack rows have the pair, then how often the
  // needle has it.
  std::pair<uint64_t, uint64_t> CountsOf(uint64_t key) const {
    for (size_t slot = Home(key); counts_[slot] != kFree; slot = (slot + 1) & mask_)
      if (keys_[slot] == key) return {counts_[slot], inNeedle_[slot]};
    return {0, 0};
  }

 private:
  static constexpr uint64_t kFree = ~uint64_t{0};

  // Colours differ mostly in their low bits; multiplying spreads them.
  size_t Home(uint64_t key) const { return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> shift_) & mask_; }

  int shift_ = 0;
  size_t mask_ = 0;
  std::vector<uint64_t> keys_;
  std::vector<uint64_t> counts_;
  std::vector<uint64_t> inNeedle_;
  std::vector<size_t> used_;  // the slots holding pairs
};

struct RarePair {
  int i = 0;  // where the pair lies in the needle
  int j = 0;
  int span = 1;
  uint64_t pair = 0;
  uint64_t sampledCount = 0;  // how often the sampled haystack rows hold it
  uint64_t inNeedle = 0;      // how often the needle holds it

  // Samples can miss a common pair, all the more one the needle holds
  // many times, so both counts weigh: a pixel spoiling a near miss makes a
  // pair the needle holds once and the samples rarely or never show.
  uint64_t Weight() const { return (sampledCount + 1) * inNeedle; }
  bool RarerThan(const RarePair& other) const {
    return Weight() != other.Weight() ? Weight() < other.Weight() : sampledCount < other.sampledCount;
  }
};

// The needle pair that the sampled haystack rows hold least often; the
// first such pair in reading order when several tie.  None once every pair
// has been counted more than `tooCommon` times: counts only grow, so the
// rarest would be too common to look for.
std::optional<RarePair> ChooseRarePair(const Search& search, uint64_t tooCommon) {
  const Image& small = search.small;
  const int span = std::min(2, small.width);
  const int pairsPerRow = small.width - span + 1;
  const uint64_t total = static_cast<uint64_t>(pairsPerRow) * static_cast<uint64_t>(small.height);
  const uint64_t stride = (total + kMaxCandidatePairs - 1) / kMaxCandidatePairs;
  const auto candidate = [&](uint64_t k) {
    const int j = static_cast<int>(k / static_cast<uint64_t>(pairsPerRow));
    const int i = static_cast<int>(k % static_cast<uint64_t>(pairsPerRow));
    return RarePair{i, j, span, PairAt(small.Row(j), i, span), 0, 0};
  };
  PairCounts counts(static_cast<size_t>(std::min(total, kMaxCandidatePairs)));
  for (uint64_t k = 0; k < total; k += stride) counts.Add(candidate(k).pair);

  // Rows at uneven distances (the k-th at s*k plus the k-th triangular
  // number modulo s), so that no repeating pattern shows only one of its
  // rows to the samples; at least 16 of them.
  const Image& large = search.large;
  const int step = std::clamp(large.height / 16, 1, kPairSamplingStep);
  for (int k = 0;; ++k) {
    const int y = k * step + (k * (k + 1) / 2) % step;
    if (y >= large.height) break;
    for (int x = 0; x + span <= large.width; ++x) counts.Count(PairAt(large.Row(y), x, span));
    // Asked after rows 1, 2, 4, 8...: a look at the needle's pairs for each doubling.
    const bool checkpoint = (k & (k + 1)) == 0;
    if (checkpoint && counts.Fewest() > tooCommon) return std::nullopt;
  }

  // Counts are below 2^32 (samples) and 2^15 (candidates): no weight reaches this one.
  RarePair rarest{0, 0, span, 0, uint64_t{1} << 40, uint64_t{1} << 20};
  for (uint64_t k = 0; k < total; k += stride) {
    RarePair pair = candidate(k);
    std::tie(pair.sampledCount, pair.inNeedle) = counts.CountsOf(pair.pair);
    if (pair.RarerThan(rarest)) rarest = pair;
  }
  return rarest;
}

// Appends x << 32 | y for every x in firstX .. lastX where the pair lies at
// (x, y) of `row`, and says false as soon as there are more than `limit`.
template <int Span>
bool PairsInRow(const Colour* row, int firstX, int lastX, int y, uint64_t pair, size_t limit,
                std::vector<uint64_t>& places) {
  const Colour left = static_cast<Colour>(pair), right = static_cast<Colour>(pair >> 32);
  const auto add = [&](int x) {
    places.push_back(static_cast<uint64_t>(x) << 32 | static_cast<uint32_t>(y));
    return places.size() <= limit;
  };
  int x = firstX;
#ifdef VENDRIX_SEARCH_SSE2
  const __m128i wantLeft = _mm_set1_epi32(static_cast<int>(left));
  const __m128i wantRight = _mm_set1_epi32(static_cast<int>(right));
  for (; x + 7 <= lastX; x += 8) {
    // Eight places a step; their pixels x .. x+8 lie inside the row.
    __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), wantLeft);
    __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 4)), wantLeft);
    if constexpr (Span == 2) {
      low = _mm_and_si128(low, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 1)),
                                               wantRight));
      high = _mm_and_si128(high, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 5)),
                                                 wantRight));
    }
    unsigned hits = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(low))) |
                    static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(high))) << 4;
    for (; hits != 0; hits &= hits - 1)
      if (!add(x + __builtin_ctz(hits))) return false;
  }
#endif
  for (; x <= lastX; ++x) {
    if (row[x] == left && (Span == 1 || row[x + 1] == right) && !add(x)) return false;
  }
  return true;
}

// Every place where the needle's rarest pair lies under its own pixels,
// compared in the wanted order from `from` on.  Gives up without looking
// when the samples promise too many places, and as soon as the rows give
// more.
Outcome RarePairPlaces(const Search& search, std::optional<ImagePoint>& found, ImagePoint& from) {
  const uint64_t pixels = static_cast<uint64_t>(search.large.width) * static_cast<uint64_t>(search.large.height);
  const size_t limit = PlaceLimit(pixels);
  // A pair the samples show more often than this promises too many places.
  const uint64_t tooCommon = limit / 2 / kPairSamplingStep;
  const std::optional<RarePair> chosen = ChooseRarePair(search, tooCommon);
  if (!chosen || chosen->sampledCount > tooCommon) return Outcome::kGaveUp;
  const RarePair& rare = *chosen;

  std::vector<uint64_t> places;
  for (int y = 0; y <= search.lastY; ++y) {
    const Colour* row = search.large.Row(y + rare.j) + rare.i;
    const bool withinLimit = rare.span == 2 ? PairsInRow<2>(row, 0, search.lastX, y, rare.pair, limit, places)
                                            : PairsInRow<1>(row, 0, search.lastX, y, rare.pair, limit, places);
    if (!withinLimit) return Outcome::kGaveUp;
  }
  return CheckPlaces(search, places, found, from);
}

// Knuth-Morris-Pratt over the needle's row numbers: fallback[k] is the
// length of the longest proper border of the first k rows.
std::vector<int> Fallbacks(const std::vector<int>& sequence) {
  std::vector<int> fallback(sequence.size() + 1, 0);
  int border = 0;
  for (size_t k = 1; k < sequence.size(); ++k) {
    while (border > 0 && sequence[k] != sequence[static_cast<size_t>(border)])
      border = fallback[static_cast<size_t>(border)];
    if (sequence[k] == sequence[static_cast<size_t>(border)]) ++border;
    fallback[k + 1] = border;
  }
  return fallback;
}

// The matcher as a table: rows matched so far and the number of the next
// window (-1 for none) give the rows matched after it, in one lookup and
// without branches.  Tall needles with many different rows would make the
// table too big; they step through the fallbacks instead.
class RowSequenceMatcher {
 public:
  RowSequenceMatcher(const std::vector<int>& sequence, int kinds)
      : sequence_(sequence), fallback_(Fallbacks(sequence)), stride_(static_cast<size_t>(kinds) + 1) {
    const size_t length = sequence.size();
    if (length * stride_ > kMaxTable) return;
    table_.assign(length * stride_, 0);
    for (size_t state = 0; state < length; ++state) {
      for (size_t kind = 1; kind < stride_; ++kind) {
        int& next = table_[state * stride_ + kind];
        if (sequence[state] == static_cast<int>(kind) - 1)
          next = static_cast<int>(state) + 1;
        else if (state > 0)
          next = table_[static_cast<size_t>(fallback_[state]) * stride_ + kind];
      }
    }
  }

  int Next(int state, int kind) const {
    if (!table_.empty()) return table_[static_cast<size_t>(state) * stride_ + static_cast<size_t>(kind + 1)];
    if (kind < 0) return 0;
    while (state > 0 && sequence_[static_cast<size_t>(state)] != kind) state = fallback_[static_cast<size_t>(state)];
    return sequence_[static_cast<size_t>(state)] == kind ? state + 1 : state;
  }

  // Feeds the windows column .. end-1 of one row to their columns' states;
  // stops at the first column whose state reaches the whole sequence and
  // returns it, or `end`.
  int Advance(const FingerprintMap& kindOf, const uint64_t* prints, int* matched, int column, int end) const {
    const int length = static_cast<int>(sequence_.size());
    for (; column < end; ++column) {
      const int state = Next(matched[column], kindOf.Find(prints[column]));
      matched[column] = state;
      if (state == length) break;
    }
    return column;
  }

  // Where to go on after the whole sequence matched.
  int AfterMatch() const { return fallback_.back(); }

 private:
  static constexpr size_t kMaxTable = size_t{1} << 20;

  const std::vector<int>& sequence_;
  std::vector<int> fallback_;
  size_t stride_;
  std::vector<int> table_;
};

// How far up pass two first looks for a row with the same pixels as the
// one it is about to read, comparing row with row.  Rows that repeat with a
// short period (every other line shifted, dither patterns of two to four
// rows, checkerboards of small cells) find their twin there; a comparison
// mostly stops at the rows' first pixels, but reads the whole row when they
// differ only near its end, so four keeps that worst case a few reads of
// the haystack.  A row with no twin that near is looked up by the keys of
// its blocks among all the rows above.
constexpr int kTwinReach = 4;

// A row is keyed in this many blocks, so that a row that differs from an
// earlier one only in a part (a number at its edge, a cursor, a clock) is
// still found by the blocks they share.
constexpr int kKeyBlocks = 4;

// A row that differs from an earlier one in a few columns takes that row's
// hits and fingerprints only the windows over the difference, when those
// are at most a share of the row's windows: an eighth for a row alone
// (one row's windows rolled alone cost several times as much as in a group
// of eight), half when the row before had the same patches (the rows with
// the same patches are rolled together).  The rows' comparison costs a read
// of what they share.
constexpr int kLonePatchShare = 8;
constexpr int kGroupedPatchShare = 2;
// Rows whose patches, widened to multiples of this many columns, are the
// same, are fingerprinted together.
constexpr int kPatchUnit = 32;
// How far down pass two looks for rows to roll with a patched row.
constexpr int kPatchLookahead = 4 * kGroup;

// How pass two gets each haystack row's hits (the windows that are needle
// rows):
// - fingerprinted whole: source is the row itself;
// - a copy: the row has the pixels of `source`, whose hits it takes;
// - patched: it has the pixels of `source` except in a few runs of pixels;
//   it fingerprints the windows over those (its patches) and takes
//   source's hits elsewhere.  Its hits are a list of its own, which later
//   rows can take.
// The rows whose hits are taken (the whole and patched ones) are owners.
struct Patch {
  int first;  // the windows over the pixels that differ: columns first .. end-1
  int end;
  int unitFirst;  // the same widened to whole units (or to the last column)
  int unitEnd;
};

struct RowPlan {
  int source = 0;
  int patches = 0;  // in use of `patch`, left to right, apart
  std::array<Patch, kKeyBlocks> patch{};

  int PatchWindows() const {
    int windows = 0;
    for (size_t p = 0; p < static_cast<size_t>(patches); ++p) windows += patch[p].end - patch[p].first;
    return windows;
  }
  // Whether the patches widen alike.
  bool SamePatches(const RowPlan& other) const {
    if (patches != other.patches) return false;
    for (size_t p = 0; p < static_cast<size_t>(patches); ++p)
      if (patch[p].unitFirst != other.patch[p].unitFirst || patch[p].unitEnd != other.patch[p].unitEnd) return false;
    return true;
  }
};

struct RowPlans {
  std::vector<RowPlan> rows;
  std::vector<int> lastUse;  // per owner: the last row that needs its hits, -1 if none

  const RowPlan& operator[](int y) const { return rows[static_cast<size_t>(y)]; }
  bool Whole(int y) const { return (*this)[y].source == y; }
  bool Patched(int y) const { return (*this)[y].patches > 0; }
  // The row whose hit list holds y's hits.
  int Owner(int y) const { return Patched(y) ? y : (*this)[y].source; }
};

// The columns a place can start in, and the pixels their windows read.
struct ReadColumns {
  int firstX;
  int count;
  int windowWidth;
  int Pixels() const { return count + windowWidth - 1; }
};

bool SamePixels(const Image& large, int y, int other, int firstX, size_t bytes) {
  return std::memcmp(large.Row(y) + firstX, large.Row(other) + firstX, bytes) == 0;
}

// The nearest of the kTwinReach rows above with the same pixels, or -1.
int TwinJustAbove(const Image& large, int y, int firstX, size_t bytes) {
  for (int above = y - 1; above >= std::max(0, y - kTwinReach); --above)
    if (SamePixels(large, y, above, firstX, bytes)) return above;
  return -1;
}

// Where two runs of pixels differ: from the first differing pixel to just
// after the last; first == end when they are the same.
struct Difference {
  int first;
  int end;
};

// Pixels compared at a time when looking for where two runs differ.
constexpr int kCompareRun = 16;

// Whether kCompareRun pixels from a and from b are the same.
inline bool SameRun(const Colour* a, const Colour* b) {
#ifdef VENDRIX_SEARCH_SSE2
  __m128i same = _mm_set1_epi32(-1);
#pragma GCC unroll 4
  for (int k = 0; k < kCompareRun; k += 4) {
    const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k));
    same = _mm_and_si128(same, _mm_cmpeq_epi32(left, right));
  }
  return _mm_movemask_epi8(same) == 0xFFFF;
#else
  return std::memcmp(a, b, kCompareRun * sizeof(Colour)) == 0;
#endif
}

// Runs are compared whole, and pixel by pixel inside the run that differs.
// (memcmp would be faster over long stretches alike, but where it fails it
// does not tell where, and the run would be read twice.)
Difference DifferenceOf(const Colour* a, const Colour* b, int count) {
  int first = 0;
  while (first + kCompareRun <= count && SameRun(a + first, b + first)) first += kCompareRun;
  while (first < count && a[first] == b[first]) ++first;
  if (first == count) return {count, count};
  // A pixel differs at `first`, so these loops stop at it at the latest.
  int end = count;
  while (end - kCompareRun > first && SameRun(a + end - kCompareRun, b + end - kCompareRun)) end -= kCompareRun;
  while (a[end - 1] == b[end - 1]) --end;
  return {first, end};
}

// Keys to the last row noted with each: open addressing, at most half
// full, so a lookup mostly reads one slot.
class LastRowByKey {
 public:
  explicit LastRowByKey(size_t rows) {
    size_t capacity = 16;
    while (capacity < 2 * rows) capacity *= 2;
    mask_ = capacity - 1;
    for (size_t c = capacity; c > 1; c >>= 1) --shift_;
    keys_.assign(capacity, 0);
    rows_.assign(capacity, kFree);
  }

  int Find(uint64_t key) const {
    for (size_t slot = Home(key);; slot = (slot + 1) & mask_) {
      if (rows_[slot] == kFree || keys_[slot] == key) return rows_[slot];
    }
  }

  void Note(uint64_t key, int row) {
    size_t slot = Home(key);
    while (rows_[slot] != kFree && keys_[slot] != key) slot = (slot + 1) & mask_;
    keys_[slot] = key;
    rows_[slot] = row;
  }

 private:
  static constexpr int kFree = -1;

  size_t Home(uint64_t key) const { return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> shift_) & mask_; }

  size_t mask_ = 0;
  int shift_ = 64;
  std::vector<uint64_t> keys_;
  std::vector<int> rows_;
};

// The rows read so far, by the keys of their blocks: the last row with
// each key.  A row that shares a key with another but not its pixels takes
// the key over; keys only propose rows, which are then compared.
class RowsByBlock {
 public:
  RowsByBlock(int pixels, int rows)
      : blocks_(pixels >= 16 * kKeyBlocks ? kKeyBlocks : 1),
        pixels_(pixels),
        rows_(static_cast<size_t>(blocks_), LastRowByKey(static_cast<size_t>(rows))) {}

  int Blocks() const { return blocks_; }
  // The first pixel of a block; Start(Blocks()) is the end of the row.
  int Start(int block) const { return pixels_ * block / blocks_; }

  void KeysOf(const Colour* row, std::array<uint64_t, kKeyBlocks>& keys) const {
    for (int b = 0; b < blocks_; ++b) {
      const size_t pixels = static_cast<size_t>(Start(b + 1) - Start(b));
      keys[static_cast<size_t>(b)] = image_search_internal::RowKey(row + Start(b), pixels);
    }
  }

  // The row that shares the most blocks with these keys (the nearest of
  // equals), or -1.
  int Candidate(const std::array<uint64_t, kKeyBlocks>& keys) const {
    std::array<int, kKeyBlocks> found{};
    for (int b = 0; b < blocks_; ++b)
      found[static_cast<size_t>(b)] = rows_[static_cast<size_t>(b)].Find(keys[static_cast<size_t>(b)]);
    int best = -1, bestVotes = 0;
    for (int b = 0; b < blocks_; ++b) {
      const int row = found[static_cast<size_t>(b)];
      if (row < 0) continue;
      const int votes = static_cast<int>(std::count(found.begin(), found.begin() + blocks_, row));
      if (votes > bestVotes || (votes == bestVotes && row > best)) best = row, bestVotes = votes;
    }
    return best;
  }

  void Note(const std::array<uint64_t, kKeyBlocks>& keys, int y) {
    for (int b = 0; b < blocks_; ++b) rows_[static_cast<size_t>(b)].Note(keys[static_cast<size_t>(b)], y);
  }

 private:
  int blocks_;
  int pixels_;
  std::vector<LastRowByKey> rows_;  // per block
};

// The patches of a row that is `earlier` but where they differ: in each
// block, the windows over the pixels from the first to the last that
// differ, merged where they meet.  False when they come to more than
// `limit` windows.
bool PatchesOver(const Colour* row, const Colour* earlier, const RowsByBlock& blocks, ReadColumns read, int limit,
                 RowPlan& plan) {
  int windows = 0;
  plan.patches = 0;
  for (int b = 0; b < blocks.Blocks(); ++b) {
    const int start = blocks.Start(b);
    const Difference differ = DifferenceOf(row + start, earlier + start, blocks.Start(b + 1) - start);
    if (differ.first == differ.end) continue;
    const int first = std::max(0, start + differ.first - read.windowWidth + 1);
    const int end = std::min(start + differ.end, read.count);
    // Widened to whole units, so that rows whose differences move a little
    // (the bits of a number) get the same patches and are rolled together.
    const int unitFirst = first / kPatchUnit * kPatchUnit;
    const int unitEnd = std::min((end + kPatchUnit - 1) / kPatchUnit * kPatchUnit, read.count);
    Patch* last = plan.patches > 0 ? &plan.patch[static_cast<size_t>(plan.patches - 1)] : nullptr;
    if (last != nullptr && unitFirst <= last->unitEnd) {
      windows += end - last->end;
      last->end = end;
      last->unitEnd = unitEnd;
    } else {
      windows += end - first;
      plan.patch[static_cast<size_t>(plan.patches++)] = {first, end, unitFirst, unitEnd};
    }
    if (windows > limit) {
      plan.patches = 0;
      return false;
    }
  }
  return true;
}

// Plans every row: a copy of the nearest alike row among the few above, or
// of the row its blocks' keys find; patched from that row when they differ
// in few columns; else fingerprinted whole.  A copy or patched row needs
// the hits of its source, and those of the row above's owner too: the
// columns where the row above had a needle row and this one has none must
// be sent back to the start.
RowPlans PlanRows(const Image& large, ReadColumns read) {
  const size_t height = static_cast<size_t>(large.height);
  RowPlans plans{std::vector<RowPlan>(height), std::vector<int>(height, -1)};
  const int pixels = read.Pixels();
  const size_t bytes = static_cast<size_t>(pixels) * sizeof(Colour);
  const int loneLimit = read.count / kLonePatchShare, groupedLimit = read.count / kGroupedPatchShare;
  RowsByBlock byBlock(pixels, large.height);
  std::array<uint64_t, kKeyBlocks> keys{};
  RowPlan lastTried;  // the patches last worked out, taken or not
  for (int y = 0; y < large.height; ++y) {
    RowPlan& plan = plans.rows[static_cast<size_t>(y)];
    plan.source = y;
    const int twin = TwinJustAbove(large, y, read.firstX, bytes);
    if (twin >= 0) {
      plan.source = plans.Owner(twin);
    } else {
      const Colour* row = large.Row(y) + read.firstX;
      byBlock.KeysOf(row, keys);
      const int candidate = byBlock.Candidate(keys);
      byBlock.Note(keys, y);
      if (candidate < 0) continue;
      if (!PatchesOver(row, large.Row(candidate) + read.firstX, byBlock, read, groupedLimit, plan)) continue;
      const bool grouped = plan.SamePatches(lastTried);
      lastTried = plan;
      if (plan.PatchWindows() > (grouped ? groupedLimit : loneLimit)) {
        plan.patches = 0;
        continue;
      }
      plan.source = plans.Owner(candidate);
      if (plan.patches > 0) plans.lastUse[static_cast<size_t>(y)] = y;
    }
    // Row 0 never gets here: no row above it to take hits from.
    plans.lastUse[static_cast<size_t>(plan.source)] = y;
    plans.lastUse[static_cast<size_t>(plans.Owner(y - 1))] = y;
  }
  return plans;
}

// A window that is one of the needle's rows: its column (counted from
// the first column read) and the row's number.
struct RowHit {
  int column;
  int kind;
};

// The windows of one row that are needle rows, columns 0 .. count-1.
void CollectHits(const FingerprintMap& kindOf, const uint64_t* prints, int count, std::vector<RowHit>& hits) {
  hits.clear();
  for (int column = kindOf.NextIn(prints, 0, count); column < count;
       column = kindOf.NextIn(prints, column + 1, count))
    hits.push_back({column, kindOf.Find(prints[column])});
}

// The hits of fingerprinted rows that later rows repeat, each kept until
// its last use; a list no longer needed is reused.  All the kept hits
// together are at most one per window of the haystack.
class KeptHits {
 public:
  explicit KeptHits(int rows) : listOf_(static_cast<size_t>(rows), -1) {}

  // A list for `row`'s hits (CollectHits empties it).
  std::vector<RowHit>& Keep(int row) {
    if (free_.empty()) {
      free_.push_back(static_cast<int>(lists_.size()));
      lists_.emplace_back();
    }
    const int list = free_.back();
    free_.pop_back();
    listOf_[static_cast<size_t>(row)] = list;
    return lists_[static_cast<size_t>(list)];
  }

  // The hits kept for `row`, which must be kept still.
  const std::vector<RowHit>& Of(int row) const {
    return lists_[static_cast<size_t>(listOf_[static_cast<size_t>(row)])];
  }

  void Release(int row) {
    int& list = listOf_[static_cast<size_t>(row)];
    free_.push_back(list);
    list = -1;
  }

 private:
  std::vector<std::vector<RowHit>> lists_;
  std::vector<int> free_;     // lists not in use
  std::vector<int> listOf_;   // per row: its list, -1 if none
};

// The matchers of pass two, one per column, and what stepping them
// finds.  Rows are read top to bottom, so the first sequence confirmed in
// a column is its topmost place; after it only columns to its left can
// come first, and the columns still read shrink to those.
class ColumnMatchers {
 public:
  ColumnMatchers(const Search& search, const RowSequenceMatcher& matcher, const FingerprintMap& kindOf,
                 ImagePoint from, std::optional<uint64_t> failLimit, EveryRowCount& result)
      : search_(search),
        matcher_(matcher),
        kindOf_(kindOf),
        from_(from),
        failLimit_(failLimit),
        result_(result),
        order_(search.small.height),
        lastColumn_(search.lastX - from.x),
        length_(search.small.height),
        matched_(static_cast<size_t>(lastColumn_ + 1), 0) {}

  // Columns still read, counted from from.x; none once done.
  int Columns() const { return gaveUp_ ? 0 : lastColumn_ + 1; }
  bool GaveUp() const { return gaveUp_; }

  // A fingerprinted row, the last row of places starting at `top`: every
  // column steps with its window's needle row, or none.
  void StepEvery(const uint64_t* prints, int top) {
    for (int column = 0; column < Columns(); ++column) {
      column = matcher_.Advance(kindOf_, prints, matched_.data(), column, Columns());
      if (column >= Columns() || !WholeSequence(column, top)) return;
    }
  }

  // A row with the windows of a fingerprinted row, whose needle rows are
  // `hits`; `above` are the needle rows of the row above.  Every column
  // that had no needle row above is at the start already, and stays there
  // unless it has one now; a column that had one and has none now goes
  // back to the start, as "no needle row" sends it.  Merging the two
  // sorted lists keeps the columns in order.
  void StepAlike(const std::vector<RowHit>& hits, const std::vector<RowHit>& above, int top) {
    auto lost = above.begin();
    const auto restartBefore = [&](int end) {
      for (; lost != above.end() && lost->column < end; ++lost) matched_[Index(lost->column)] = 0;
    };
    for (const RowHit& hit : hits) {
      if (hit.column >= Columns()) break;
      restartBefore(hit.column);
      if (lost != above.end() && lost->column == hit.column) ++lost;
      int& state = matched_[Index(hit.column)];
      state = matcher_.Next(state, hit.kind);
      // A place found drops every column from here on.
      if (state == length_ && !WholeSequence(hit.column, top)) return;
    }
    restartBefore(Columns());
  }

 private:
  static size_t Index(int column) { return static_cast<size_t>(column); }

  // The needle's rows all matched down to this row in `column`: compares
  // the place, and says whether the row's other columns still matter.
  // With a fail limit, gives up once failed comparisons have cost that
  // many pixels: the fingerprints collide too often to trust.
  bool WholeSequence(int column, int top) {
    const int x = column + from_.x;
    if (x > from_.x || top >= from_.y) {
      uint64_t work = 0;
      if (MatchesAt(search_, x, top, order_, work)) {
        result_.found = ImagePoint{x, top};
        lastColumn_ = column - 1;
        return false;
      }
      ++result_.misses;
      failedWork_ += work;
      if (failLimit_ && failedWork_ > *failLimit_) {
        gaveUp_ = true;
        return false;
      }
    }
    matched_[Index(column)] = matcher_.AfterMatch();
    return true;
  }

  const Search& search_;
  const RowSequenceMatcher& matcher_;
  const FingerprintMap& kindOf_;
  ImagePoint from_;
  std::optional<uint64_t> failLimit_;
  EveryRowCount& result_;
  RowOrder order_;
  int lastColumn_;
  int length_;
  std::vector<int> matched_;  // needle rows matched so far, per column
  uint64_t failedWork_ = 0;
  bool gaveUp_ = false;
};

// Where a group's patch fingerprints lie: patch p's windows from column
// from[p] on are in each row's prints from at[p] on.
struct PatchPrints {
  std::array<int, kKeyBlocks> from{};
  std::array<int, kKeyBlocks> at{};

  const uint64_t* Of(const uint64_t* prints, int p, int column) const {
    return prints + at[static_cast<size_t>(p)] + (column - from[static_cast<size_t>(p)]);
  }
};

// The fingerprints of the windows over the patches of a group of rows whose
// patches widen alike: for each patch, the windows any row of the group
// needs, one patch after the other in each row's prints.
template <class Field>
PatchPrints ComputePatches(const Image& large, const RowGroup& group, int firstX, const RowPlans& plans,
                           RowPrints<Field>& prints) {
  PatchPrints layout;
  int at = 0;
  for (int p = 0; p < plans[group.Rows()[0]].patches; ++p) {
    int first = plans[group.Rows()[0]].patch[static_cast<size_t>(p)].first, end = first;
    for (int n = 0; n < group.Count(); ++n) {
      const Patch& patch = plans[group.Rows()[n]].patch[static_cast<size_t>(p)];
      first = std::min(first, patch.first);
      end = std::max(end, patch.end);
    }
    prints.Compute(large, group.Rows(), group.Count(), firstX + first, end - first, at);
    layout.from[static_cast<size_t>(p)] = first;
    layout.at[static_cast<size_t>(p)] = at;
    at += end - first;
  }
  return layout;
}

// A patched row's hits: its source's outside the patches, and those of its
// own windows over the patches, whose fingerprints `layout` finds in
// `prints`.
void PatchedHits(const RowPlan& plan, const FingerprintMap& kindOf, const uint64_t* prints, const PatchPrints& layout,
                 const std::vector<RowHit>& source, std::vector<RowHit>& hits) {
  hits.clear();
  // The source's hits are in column order.
  const auto firstFrom = [&source](auto kept, int column) {
    return std::partition_point(kept, source.end(), [column](const RowHit& hit) { return hit.column < column; });
  };
  auto kept = source.begin();
  for (int p = 0; p < plan.patches; ++p) {
    const Patch patch = plan.patch[static_cast<size_t>(p)];
    const auto patchStart = firstFrom(kept, patch.first);
    hits.insert(hits.end(), kept, patchStart);
    const uint64_t* own = layout.Of(prints, p, patch.first);
    const int count = patch.end - patch.first;
    for (int k = kindOf.NextIn(own, 0, count); k < count; k = kindOf.NextIn(own, k + 1, count))
      hits.push_back({patch.first + k, kindOf.Find(own[k])});
    kept = firstFrom(patchStart, patch.end);
  }
  hits.insert(hits.end(), kept, source.end());
}

// Reads every row, columns from.x .. lastX; no place before `from` in the
// wanted order needs looking at.  With `failLimit` set, gives up once
// failed comparisons have cost that many pixels.
//
// A row that repeats a row above, or repeats it but for a few columns,
// steps only the columns whose window is a needle row, and those that had
// one in the row above: every other column saw no needle row above either,
// so its matcher is back at the start already.  On pictures whose rows
// repeat (vertical stripes, flat areas, lines shifted back and forth, rows
// alike but for a number at the edge) a row then costs about one
// comparison with an earlier row instead of a fingerprint and a lookup per
// window.
template <class Field>
Outcome AllRows(const Search& search, const NeedleRows<Field>& needle, ImagePoint from,
                std::optional<uint64_t> failLimit, EveryRowCount& result) {
  const RowSequenceMatcher matcher(needle.kind, needle.kinds);
  const int height = search.small.height;

  FingerprintMap kindOf(static_cast<size_t>(needle.kinds));
  for (int j = 0; j < height; ++j)
    kindOf.Insert(needle.prints[static_cast<size_t>(j)], needle.kind[static_cast<size_t>(j)]);
  kindOf.CompareInVectors(needle.hasher.Avx2());

  const int firstX = from.x;
  ColumnMatchers columns(search, matcher, kindOf, from, failLimit, result);
  const RowPlans plans = PlanRows(search.large, ReadColumns{firstX, columns.Columns(), search.small.width});
  RowPrints<Field> rowPrints(needle.hasher, columns.Columns());
  RowPrints<Field> patchPrints(needle.hasher, columns.Columns());
  KeptHits kept(search.large.height);
  const auto releaseIfDone = [&](int owner, int y) {
    if (plans.lastUse[static_cast<size_t>(owner)] == y) kept.Release(owner);
  };

  // Rows fingerprinted whole, and patched rows with the same patches, are
  // fingerprinted up to kGroup at a time.
  RowGroup whole, patched;
  PatchPrints layout;

  for (int y = 0; y < search.large.height && columns.Columns() > 0; ++y) {
    const int top = y - height + 1;  // where a place ending on this row starts
    const RowPlan& plan = plans[y];
    if (!plans.Whole(y)) {
      if (plans.Patched(y)) {
        if (!patched.Holds(y)) {
          patched.Gather(y, std::min(search.large.height, y + kPatchLookahead),
                         [&](int r) { return plans.Patched(r) && plans[r].SamePatches(plan); });
          layout = ComputePatches(search.large, patched, firstX, plans, patchPrints);
        }
        std::vector<RowHit>& hits = kept.Keep(y);  // first: keeping a list may move the others
        PatchedHits(plan, kindOf, patchPrints.Of(patched.Take()), layout, kept.Of(plan.source), hits);
      }
      const int owner = plans.Owner(y), above = plans.Owner(y - 1);
      columns.StepAlike(kept.Of(owner), kept.Of(above), top);
      // An owner's hits are needed last by the rows that take them and by the rows below those.
      releaseIfDone(plan.source, y);
      if (above != plan.source) releaseIfDone(above, y);
      if (owner == y) releaseIfDone(y, y);
    } else {
      if (!whole.Holds(y)) {
        whole.Gather(y, search.large.height, [&](int r) { return plans.Whole(r); });
        rowPrints.Compute(search.large, whole.Rows(), whole.Count(), firstX, columns.Columns());
      }
      const uint64_t* prints = rowPrints.Of(whole.Take());
      if (plans.lastUse[static_cast<size_t>(y)] > y) CollectHits(kindOf, prints, columns.Columns(), kept.Keep(y));
      columns.StepEvery(prints, top);
    }
    if (columns.GaveUp()) return Outcome::kGaveUp;
  }
  return result.found ? Outcome::kFound : Outcome::kAbsent;
}

bool WellFormed(const Image& image) {
  return image.width >= 0 && image.height >= 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
}

// Sets the answer and says true when the sizes alone decide it.
bool DecidedBySize(const Image& large, const Image& small, std::optional<ImagePoint>& answer) {
  answer.reset();
  if (!WellFormed(large) || !WellFormed(small)) return true;
  if (small.width > large.width || small.height > large.height) return true;
  if (small.width > 0 && small.height > 0) return false;
  answer = ImagePoint{0, 0};
  return true;
}

// A base that is a good one in both fields: at least 2 modulo 2^31-1 and
// at least 2^32 modulo 2^59.
uint64_t RandomBase() {
  uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= static_cast<uint64_t>(device()) << 32 | device();
  } catch (const std::exception&) {
    // The clock alone still varies from search to search.
  }
  for (;;) {
    // splitmix64 spreads the seed's bits over the whole word.
    seed += 0x9E3779B97F4A7C15u;
    uint64_t base = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9u;
    base = (base ^ (base >> 27)) * 0x94D049BB133111EBu;
    base ^= base >> 31;
    if (Mersenne31::Base(base) >= 2 && Mersenne61::Base(base) >= (uint64_t{1} << 32)) return base;
  }
}

// Pass two from `from` on: with fingerprints modulo 2^31-1, and modulo
// 2^61-1 when those collide too often.
EveryRowCount EveryRow(const Search& search, const NeedleRows<Mersenne31>& rows31, ImagePoint from, uint64_t base,
                       Vectors vectors) {
  EveryRowCount result;
  const uint64_t pixels = static_cast<uint64_t>(search.large.width) * static_cast<uint64_t>(search.large.height);
  if (Answered(AllRows(search, rows31, from, std::max<uint64_t>(65536, pixels / 4), result))) return result;
  const NeedleRows<Mersenne61> rows61(search.small, base, vectors);
  result.found.reset();
  AllRows(search, rows61, from, std::nullopt, result);
  return result;
}

}  // namespace

namespace image_search_internal {

// A key for finding a row among earlier ones, from eight pixels in every
// kKeyStride: rows with equal pixels share it, and a row that differs from
// an earlier one in a few pixels mostly does too, which only proposes that
// row; the rows are then compared, so a shared key never decides anything.
// Four independent lanes of two pixels each, and in each step two 32-bit
// products (what SSE2 multiplies natively, two lanes to a register), keep
// a key at a fraction of the cost of reading the row.
uint64_t RowKey(const Colour* pixels, size_t count) {
  constexpr size_t kKeyStride = 32;
  constexpr uint64_t kLow = 0x9E3779B1u, kHigh = 0x85EBCA77u;  // odd, below 2^32
  const auto step = [](uint64_t lane, uint64_t two) {
    const uint64_t mixed = lane ^ two;
    return (mixed & 0xFFFFFFFFu) * kLow + (mixed >> 32) * kHigh;
  };
  // Named, not an array, so that they stay in registers.
  uint64_t a = 1, b = 2, c = 3, d = 4;
  size_t i = 0;
#ifdef VENDRIX_SEARCH_SSE2
  // The same steps, two lanes to a register: a and b, c and d.
  {
    const __m128i low = _mm_set1_epi64x(kLow), high = _mm_set1_epi64x(kHigh);
    __m128i ab = _mm_set_epi64x(static_cast<long long>(b), static_cast<long long>(a));
    __m128i cd = _mm_set_epi64x(static_cast<long long>(d), static_cast<long long>(c));
    const auto vectorStep = [low, high](__m128i lanes, const Colour* at) {
      const __m128i mixed = _mm_xor_si128(lanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
      return _mm_add_epi64(_mm_mul_epu32(mixed, low), _mm_mul_epu32(_mm_srli_epi64(mixed, 32), high));
    };
    for (; i + 8 <= count; i += kKeyStride) {
      ab = vectorStep(ab, pixels + i);
      cd = vectorStep(cd, pixels + i + 4);
    }
    alignas(16) std::array<uint64_t, 4> lanes;
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes.data()), ab);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes.data() + 2), cd);
    a = lanes[0], b = lanes[1], c = lanes[2], d = lanes[3];
  }
#else
  const auto two = [pixels](size_t at) {
    uint64_t both;
    std::memcpy(&both, pixels + at, sizeof both);
    return both;
  };
  for (; i + 8 <= count; i += kKeyStride) {
    a = step(a, two(i));
    b = step(b, two(i + 2));
    c = step(c, two(i + 4));
    d = step(d, two(i + 6));
  }
#endif
  // The last few pixels, when fewer than eight are left where the next
  // sample would start.
  for (const size_t end = std::min(count, i + 8); i < end; ++i) a = step(a, pixels[i]);
  uint64_t key = count;
  for (const uint64_t lane : {a, b, c, d}) key = step(key, lane) ^ (lane >> 32);
  return key;
}

std::optional<ImagePoint> SearchImageWithBase(const Image& large, const Image& small, uint64_t base,
                                              Vectors vectors) {
  std::optional<ImagePoint> found;
  if (DecidedBySize(large, small, found)) return found;
  const Search search = MakeSearch(large, small);

  const NeedleRows<Mersenne31> rows31(small, base, vectors);
  ImagePoint from{0, 0};
  // A needle with few busy rows must be sampled at nearly every row; pass
  // one would then cost nearly as much as pass two, and both together too
  // much when it gives up.
  const Sampling sampling = ChooseSampling(RowChanges(small));
  if (sampling.step >= kMinSamplingStep && Answered(SampledRows(search, rows31, sampling, found, from))) return found;
  if (Answered(RarePairPlaces(search, found, from))) return found;
  return EveryRow(search, rows31, from, base, vectors).found;
}

std::optional<ImagePoint> SearchByEveryRow(const Image& large, const Image& small, uint64_t base, Vectors vectors) {
  std::optional<ImagePoint> found;
  if (DecidedBySize(large, small, found)) return found;
  const Search search = MakeSearch(large, small);
  return EveryRow(search, NeedleRows<Mersenne31>(small, base, vectors), ImagePoint{0, 0}, base, vectors).found;
}

EveryRowCount CountEveryRow(const Image& large, const Image& small, uint64_t base) {
  EveryRowCount result;
  if (DecidedBySize(large, small, result.found)) return result;
  const Search search = MakeSearch(large, small);
  return EveryRow(search, NeedleRows<Mersenne31>(small, base, Vectors::kBest), ImagePoint{0, 0}, base,
                  Vectors::kBest);
}

std::optional<std::optional<ImagePoint>> SearchByRarePair(const Image& large, const Image& small) {
  std::optional<ImagePoint> found;
  if (DecidedBySize(large, small, found)) return found;
  const Search search = MakeSearch(large, small);
  ImagePoint from{0, 0};
  if (!Answered(RarePairPlaces(search, found, from))) return std::nullopt;
  return found;
}

}  // namespace image_search_internal

std::optional<ImagePoint> SearchImage(const Image& large, const Image& small) {
  std::optional<ImagePoint> answer;
  if (DecidedBySize(large, small, answer)) return answer;
  return image_search_internal::SearchImageWithBase(large, small, RandomBase());
}

std::optional<ImagePoint> SearchImageStraightforward(const Image& large, const Image& small) {
  std::optional<ImagePoint> answer;
  if (DecidedBySize(large, small, answer)) return answer;
  for (int x = 0; x <= large.width - small.width; ++x) {
    for (int y = 0; y <= large.height - small.height; ++y) {
      bool same = true;
      for (int j = 0; j < small.height && same; ++j) {
        const Colour* big = large.Row(y + j) + x;
        const Colour* little = small.Row(j);
        for (int i = 0; i < small.width; ++i) {
          if (big[i] != little[i]) {
            same = false;
            break;
          }
        }
      }
      if (same) return ImagePoint{x, y};
    }
  }
  return std::nullopt;
}

}  // namespace vendrix::images
