#include "core/heap_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/core/failing_allocator.h"

namespace plugfw {
namespace {

TEST(HeapString, EmptyStringsReadAsEmptyTextNeverNull) {
  HeapString fresh;
  EXPECT_STREQ(fresh.Get(), "");
  EXPECT_EQ(fresh.Buffer().Size(), 0);

  HeapString set;
  set.Set(nullptr);
  EXPECT_STREQ(set.Get(), "");
  EXPECT_EQ(set.Buffer().Size(), 1);

  EXPECT_STREQ(HeapString::CopyConstruct(nullptr).Get(), "");
  EXPECT_STREQ(HeapString::CopyConstruct(&fresh).Get(), "");
}

TEST(HeapString, SetTakesAtMostMaxLengthAndStopsAtNul) {
  HeapString text;
  text.Set("chorus", 3);
  EXPECT_STREQ(text.Get(), "cho");
  text.Set("ab\0cd", 5);
  EXPECT_STREQ(text.Get(), "ab");
  EXPECT_EQ(text.Buffer().Size(), 3);
  text.Set("a much longer text than before");
  const int32_t capacity = text.Buffer().Capacity();
  text.Set("short");
  EXPECT_STREQ(text.Get(), "short");
  EXPECT_EQ(text.Buffer().Size(), 6);
  EXPECT_EQ(text.Buffer().Capacity(), capacity);  // shortening keeps storage
}

TEST(HeapString, SetFromItsOwnTextKeepsExactlyThatText) {
  HeapString text("first half|second half");
  text.Set(text.Get() + 11);
  EXPECT_STREQ(text.Get(), "second half");

  // A source inside the string that must move because the string grows.
  HeapString grows(std::string(100, 'x').c_str());
  grows.Set(grows.Get() + 50, 0);
  EXPECT_EQ(std::string(grows.Get()), std::string(50, 'x'));
}

struct InsertCase {
  const char* start;
  int32_t position;
  const char* text;
  int32_t length;
  int32_t tailLength;
  bool accepted;
  const char* result;
};

class HeapStringInsert : public ::testing::TestWithParam<InsertCase> {};

TEST_P(HeapStringInsert, SplicesOrRefuses) {
  const InsertCase& c = GetParam();
  HeapString text(c.start);
  EXPECT_EQ(text.Insert(c.position, c.text, c.length, c.tailLength), c.accepted);
  EXPECT_STREQ(text.Get(), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeapStringInsert,
                         ::testing::Values(InsertCase{"Dual", 4, " Stereo", 7, 0, true,
                                                      "Dual Stereo"},                            // append
                                           InsertCase{"Tri", 0, "A ", 2, 3, true, "A Tri"},      // prepend
                                           InsertCase{"abcdef", 2, "XY", 2, 2, true, "abXYcd"},  // tail cut
                                           InsertCase{"abc", 0, "", 0, 0, true, ""},             // clears
                                           InsertCase{"abc", 1, "X", 0, 1, false, "abc"},        // no length
                                           InsertCase{"abc", -1, "X", 1, 0, false, "abc"},       // negative
                                           InsertCase{"abc", 4, "X", 1, 0, false, "abc"},        // past end
                                           InsertCase{"abc", 1, "X", 1, 3, false, "abc"},  // tail too long
                                           InsertCase{"abc", 1, nullptr, 1, 0, false, "abc"}));

TEST(HeapString, InsertFromItsOwnTextSurvivesGrowthAndTheTailShift) {
  HeapString text("abcdef");
  ASSERT_TRUE(text.Insert(1, text.Get() + 2, 3, 5));  // "cde" in front of "bcdef"
  EXPECT_STREQ(text.Get(), "acdebcdef");

  HeapString big(std::string(200, 'a').c_str());
  ASSERT_TRUE(big.Append(big.Get()));
  EXPECT_EQ(std::string(big.Get()), std::string(400, 'a'));
}

TEST(HeapString, AssignCopiesAndTerminatesPlainBytes) {
  HeapString source("Ensemble");
  HeapString target("something else entirely");
  target = source;
  EXPECT_STREQ(target.Get(), "Ensemble");

  HeapBuffer bytes;
  bytes.Append("abc", 3);  // no NUL
  target.Assign(bytes);
  EXPECT_STREQ(target.Get(), "abc");

  target.Assign(HeapBuffer());
  EXPECT_STREQ(target.Get(), "");
}

TEST(HeapString, GrowthFailureLeavesSetAndInsertUnchangedAndEmptiesAssign) {
  HeapString text("abc");
  HeapString longer(std::string(300, 'z').c_str());
  test::FailingAllocatorScope refuse;
  text.Set(longer.Get());
  EXPECT_STREQ(text.Get(), "abc");
  EXPECT_FALSE(text.Insert(3, longer.Get(), 300, 0));
  EXPECT_STREQ(text.Get(), "abc");
  text.Set("ab");  // shrinking needs no storage
  EXPECT_STREQ(text.Get(), "ab");
  text.Assign(longer);
  EXPECT_STREQ(text.Get(), "");
}

struct FormatCase {
  int32_t maxLength;
  const char* format;
  int value;
  const char* result;
};

class HeapStringFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(HeapStringFormat, KeepsAtMostMaxLengthCharacters) {
  const FormatCase& c = GetParam();
  HeapString text("previous");
  text.SetFormatted(c.maxLength, c.format, c.value);
  EXPECT_STREQ(text.Get(), c.result);
  EXPECT_EQ(text.Buffer().Size(), static_cast<int32_t>(std::strlen(c.result)) + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeapStringFormat,
                         ::testing::Values(FormatCase{4, "%d", 1234567890, "1234"},
                                           FormatCase{10, "%d", 1234567890, "1234567890"},
                                           FormatCase{32, "voice %d", 3, "voice 3"},
                                           FormatCase{32, "%.0d", 0, ""},  // produces nothing
                                           FormatCase{0, "%d", 5, ""}));

TEST(HeapString, FormatAppendStartsAtTheCurrentEnd) {
  HeapString text;
  text.SetFormatted(32, "%s", "Rate");
  text.AppendFormatted(32, " %d Hz", 5);
  EXPECT_STREQ(text.Get(), "Rate 5 Hz");
  text.SetFormatted(32, "%d", 7);
  text.AppendFormatted(2, "%s", "abcdef");
  EXPECT_STREQ(text.Get(), "7ab");

  HeapString empty;
  empty.AppendFormatted(8, "%s", "x");
  EXPECT_STREQ(empty.Get(), "x");
}

TEST(HeapString, FormattingMayReadItsOwnText) {
  HeapString text(std::string(120, 'q').c_str());
  text.SetFormatted(300, "%s|%s", text.Get(), text.Get());
  EXPECT_EQ(std::string(text.Get()), std::string(120, 'q') + "|" + std::string(120, 'q'));
}

}  // namespace
}  // namespace plugfw
