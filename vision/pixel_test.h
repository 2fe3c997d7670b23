// One colour point's test of a pixel, in two forms that always agree: one
// pixel at a time, and four at once in a form the compiler turns into
// vector instructions. Every operator is a comparison of the pixel's bytes:
// "==" and "!=" of the whole pixel, "~=" and "!~" of each channel against a
// range of values.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/registry.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tora {

// Vectors are passed by reference only: without SSE (a 32-bit build for the
// oldest processors) a vector passed or returned by value has another ABI.
// Between vector types of one size a C-style cast reinterprets the bits.
typedef uint32_t Pixels4 __attribute__((vector_size(16)));
typedef int32_t Mask4 __attribute__((vector_size(16)));  // -1 in a lane that passes
typedef uint8_t Bytes16 __attribute__((vector_size(16)));

class PixelTest {
 public:
  enum class Kind { kEqual, kNotEqual, kWithin, kOutside, kAlways, kNever };

  PixelTest() = default;

  PixelTest(int32_t op, uint32_t colour, int32_t tolerance) : colour_(colour) {
    switch (op) {
      case kOpEqual: kind_ = Kind::kEqual; break;
      case kOpNotEqual: kind_ = Kind::kNotEqual; break;
      case kOpNear:
      case kOpNotNear: {
        const bool is_near = op == kOpNear;
        kind_ = is_near ? Kind::kWithin : Kind::kOutside;
        // Channel k is near when c - t < p < c + t; the top byte never counts.
        for (int k = 0; k < 4; ++k) {
          const int64_t c = (colour >> (8 * k)) & 0xFF;
          const int64_t lo = k == 3 ? 0 : std::max<int64_t>(0, c - tolerance + 1);
          const int64_t hi = k == 3 ? 255 : std::min<int64_t>(255, c + static_cast<int64_t>(tolerance) - 1);
          if (lo > hi) {
            kind_ = is_near ? Kind::kNever : Kind::kAlways;
            return;
          }
          lo_[k] = static_cast<uint8_t>(lo);
          span_[k] = static_cast<uint8_t>(hi - lo);
        }
        Spread();
        break;
      }
      default: kind_ = Kind::kAlways;  // an operator without a test
    }
  }

  Kind kind() const { return kind_; }
  uint32_t colour() const { return colour_; }

  bool operator()(uint32_t p) const {
    switch (kind_) {
      case Kind::kEqual: return Pass<Kind::kEqual>(p);
      case Kind::kNotEqual: return Pass<Kind::kNotEqual>(p);
      case Kind::kWithin: return Pass<Kind::kWithin>(p);
      case Kind::kOutside: return Pass<Kind::kOutside>(p);
      case Kind::kAlways: return true;
      default: return false;
    }
  }

  // The test with its kind known at compile time, one pixel or four; a
  // loop calls these through FixedKind so that nothing is decided per pixel.
  template <Kind K>
  bool Pass(uint32_t p) const {
    if constexpr (K == Kind::kEqual) return p == colour_;
    if constexpr (K == Kind::kNotEqual) return p != colour_;
    if constexpr (K == Kind::kWithin) return Within(p);
    if constexpr (K == Kind::kOutside) return !Within(p);
    return K == Kind::kAlways;
  }
  template <Kind K>
  void Pass(const Pixels4& p, Mask4& out) const {
    if constexpr (K == Kind::kEqual) out = p == colour_;
    if constexpr (K == Kind::kNotEqual) out = p != colour_;
    if constexpr (K == Kind::kWithin) Within(p, out);
    if constexpr (K == Kind::kOutside) {
      Within(p, out);
      out = ~out;
    }
    if constexpr (K == Kind::kAlways) out = Mask4{} == 0;
    if constexpr (K == Kind::kNever) out = Mask4{};
  }

 private:
  // A byte b lies in [lo, lo + span] exactly when (uint8)(b - lo) <= span:
  // one subtraction and one unsigned compare per byte, sixteen at once.
  bool Within(uint32_t p) const {
    for (int k = 0; k < 4; ++k)
      if (static_cast<uint8_t>(((p >> (8 * k)) & 0xFF) - lo_[k]) > span_[k]) return false;
    return true;
  }
  void Within(const Pixels4& p, Mask4& out) const {
    const Bytes16 d = (Bytes16)p - lo16_;
#ifdef __SSE2__
    // What each byte exceeds its span by, saturated at zero: a lane that
    // passes is zero in all four bytes. One instruction fewer than the
    // compare below, in the search's innermost loop.
    const __m128i over = _mm_subs_epu8((__m128i)d, (__m128i)span16_);
    out = (Mask4)over == 0;
#else
    const auto in = d <= span16_;
    out = (Mask4)in == -1;
#endif
  }
  void Spread() {
    for (int i = 0; i < 16; ++i) {
      lo16_[i] = lo_[i % 4];
      span16_[i] = span_[i % 4];
    }
  }

  Kind kind_ = Kind::kAlways;
  uint32_t colour_ = 0;
  uint8_t lo_[4] = {0, 0, 0, 0};
  uint8_t span_[4] = {255, 255, 255, 255};
  Bytes16 lo16_{};
  Bytes16 span16_{};
};

// A test whose kind is fixed at compile time.
template <PixelTest::Kind K>
struct FixedKind {
  const PixelTest& test;
  bool operator()(uint32_t p) const { return test.Pass<K>(p); }
  void operator()(const Pixels4& p, Mask4& out) const { test.Pass<K>(p, out); }
};

// f(FixedKind<the test's kind>{test}): the caller's loops are compiled once
// for each kind, with the test inlined.
template <typename F>
auto ForKind(const PixelTest& test, F&& f) {
  switch (test.kind()) {
    case PixelTest::Kind::kEqual: return f(FixedKind<PixelTest::Kind::kEqual>{test});
    case PixelTest::Kind::kNotEqual: return f(FixedKind<PixelTest::Kind::kNotEqual>{test});
    case PixelTest::Kind::kWithin: return f(FixedKind<PixelTest::Kind::kWithin>{test});
    case PixelTest::Kind::kOutside: return f(FixedKind<PixelTest::Kind::kOutside>{test});
    case PixelTest::Kind::kAlways: return f(FixedKind<PixelTest::Kind::kAlways>{test});
    default: return f(FixedKind<PixelTest::Kind::kNever>{test});
  }
}

inline bool AnyLane(const Mask4& m) {
  typedef uint64_t Halves __attribute__((vector_size(16)));
  const Halves h = (Halves)m;
  return (h[0] | h[1]) != 0;
}

// The first index in [from, n) whose pixel passes, or -1. Sixty-four
// pixels are tested as a whole first, so a run of pixels that all fail
// costs little more than reading them.
template <typename Test>
int64_t FindFirst(const uint32_t* row, int64_t from, int64_t n, const Test& test) {
  constexpr int kVectors = 16;
  constexpr int64_t kBlock = 4 * kVectors;
  int64_t i = from;
  for (; i + kBlock <= n; i += kBlock) {
    Mask4 any{};
    for (int k = 0; k < kVectors; ++k) {
      Pixels4 v;
      Mask4 pass;
      std::memcpy(&v, row + i + 4 * k, sizeof v);
      test(v, pass);
      any |= pass;
    }
    if (AnyLane(any)) break;
  }
  for (; i < n; ++i)
    if (test(row[i])) return i;
  return -1;
}

}  // namespace tora
