#include "graphics/renderer/utf8_decoder.h"
#include "tests/graphics/case_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugfw::gfx {
namespace {

// Code points completed by feeding the bytes; a rejection ends the list with -1.
std::vector<int64_t> Decode(const std::string& bytes) {
  std::vector<int64_t> out;
  uint32_t state = kUtf8Accept, codePoint = 0;
  for (char c : bytes) {
    state = Utf8Decode(&state, &codePoint, static_cast<uint8_t>(c));
    if (state == kUtf8Accept) out.push_back(codePoint);
    if (state == kUtf8Reject) {
      out.push_back(-1);
      break;
    }
  }
  return out;
}

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::vector<int64_t> expected;
};

class Utf8Decoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decoding, AcceptsExactlyWellFormedUtf8) {
  EXPECT_EQ(Decode(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sequences, Utf8Decoding,
                         ::testing::Values(DecodeCase{"ascii", "Hz", {'H', 'z'}},
                                           DecodeCase{"two bytes", "\xC2\xB0", {0xB0}},  // degree sign
                                           DecodeCase{"three bytes", "\xE2\x82\xAC", {0x20AC}},
                                           DecodeCase{"four bytes", "\xF0\x9D\x84\x9E", {0x1D11E}},
                                           DecodeCase{"largest", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
                                           DecodeCase{"last before surrogates", "\xED\x9F\xBF", {0xD7FF}},
                                           DecodeCase{"first after surrogates", "\xEE\x80\x80", {0xE000}},
                                           DecodeCase{"smallest three byte", "\xE0\xA0\x80", {0x800}},
                                           DecodeCase{"smallest four byte", "\xF0\x90\x80\x80", {0x10000}},
                                           DecodeCase{"over long two byte", "\xC0\xAF", {-1}},
                                           DecodeCase{"over long C1", "\xC1\xBF", {-1}},
                                           DecodeCase{"over long three byte", "\xE0\x9F\xBF", {-1}},
                                           DecodeCase{"over long four byte", "\xF0\x8F\xBF\xBF", {-1}},
                                           DecodeCase{"surrogate", "\xED\xA0\x80", {-1}},
                                           DecodeCase{"above U+10FFFF", "\xF4\x90\x80\x80", {-1}},
                                           DecodeCase{"F5 lead", "\xF5\x80\x80\x80", {-1}},
                                           DecodeCase{"lone continuation",
                                                      "a\x80"
                                                      "b",
                                                      {'a', -1}},
                                           DecodeCase{"lead without continuation",
                                                      "\xC3"
                                                      "a",
                                                      {-1}},
                                           DecodeCase{"FF", "\xFF", {-1}}),
                         test::CaseName{});

TEST(Utf8Decoder, TheRejectStateIsNeverLeft) {
  uint32_t state = kUtf8Accept, codePoint = 0;
  Utf8Decode(&state, &codePoint, 0xFF);
  for (uint8_t b : {uint8_t{'a'}, uint8_t{0xC3}, uint8_t{0xA4}, uint8_t{0}}) {
    EXPECT_EQ(Utf8Decode(&state, &codePoint, b), kUtf8Reject);
  }
}

}  // namespace
}  // namespace plugfw::gfx
