// The edit ledger against a host's view of gestures: what each road sends, and that the
// gesture checker of the test delegate finds nothing wrong with any of it.

#include "graphics/edit_gesture_ledger.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/graphics/case_names.h"
#include "tests/graphics/support/gfx_test_delegate.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using Texts = std::vector<std::string>;

constexpr EditGestureLedger::Holder kMouse = 0;
constexpr EditGestureLedger::Holder kFinger = 7;

struct LedgerCase {
  const char* what;
  std::function<void(EditGestureLedger&)> drive;
  Texts expected;
};

void PrintTo(const LedgerCase& c, std::ostream* os) { *os << c.what; }

class EditGestureLedgerTest : public ::testing::TestWithParam<LedgerCase> {};

TEST_P(EditGestureLedgerTest, SendsWellFormedGestures) {
  GfxTestDelegate delegate(8);
  EditGestureLedger ledger(delegate);
  GetParam().drive(ledger);
  EXPECT_EQ(delegate.calls, GetParam().expected);
  EXPECT_EQ(delegate.GestureFaults(), Texts{});
  EXPECT_FALSE(ledger.AnyEditOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Roads, EditGestureLedgerTest,
    ::testing::Values(LedgerCase{"PressDragRelease",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, 2);
                                   l.SetValue(2, 0.25);
                                   l.SetValue(2, 0.5);
                                   l.EndEditsHeldBy(kMouse);
                                 },
                                 {"BeginParamEditFromUI 2", "SetParamFromUI 2 0.25", "SetParamFromUI 2 0.5",
                                  "EndParamEditFromUI 2"}},
                      LedgerCase{"ChangeWithNoEditOpenIsItsOwnGesture",
                                 [](EditGestureLedger& l) { l.SetValue(3, 0.75); },
                                 {"BeginParamEditFromUI 3", "SetParamFromUI 3 0.75", "EndParamEditFromUI 3"}},
                      LedgerCase{"EndWithoutBeginIsDropped",
                                 [](EditGestureLedger& l) {
                                   l.EndEdit(kMouse, 1);
                                   l.EndEditsHeldBy(kFinger);
                                   l.EndAllEdits();
                                 },
                                 {}},
                      LedgerCase{"TwoPointersOnOneParameterMakeOneGesture",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, 4);
                                   l.BeginEdit(kFinger, 4);
                                   l.SetValue(4, 0.5);
                                   l.EndEditsHeldBy(kMouse);
                                   l.SetValue(4, 0.625);  // still inside the finger's gesture
                                   l.EndEditsHeldBy(kFinger);
                                 },
                                 {"BeginParamEditFromUI 4", "SetParamFromUI 4 0.5", "SetParamFromUI 4 0.625",
                                  "EndParamEditFromUI 4"}},
                      LedgerCase{"OtherParameterOutsideTheOpenOneIsBracketed",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, 1);
                                   l.SetValue(5, 1.0);
                                   l.EndEditsHeldBy(kMouse);
                                 },
                                 {"BeginParamEditFromUI 1", "BeginParamEditFromUI 5", "SetParamFromUI 5 1",
                                  "EndParamEditFromUI 5", "EndParamEditFromUI 1"}},
                      LedgerCase{"ReleasingEveryCaptureEndsEveryEditOnce",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, 1);
                                   l.BeginEdit(kMouse, 2);
                                   l.BeginEdit(kFinger, 2);
                                   l.EndAllEdits();
                                   l.EndEditsHeldBy(kMouse);  // the release after the popup: nothing left
                                   l.SetValue(2, 0.5);        // the menu's answer
                                 },
                                 {"BeginParamEditFromUI 1", "BeginParamEditFromUI 2", "EndParamEditFromUI 2",
                                  "EndParamEditFromUI 1", "BeginParamEditFromUI 2", "SetParamFromUI 2 0.5",
                                  "EndParamEditFromUI 2"}},
                      LedgerCase{"EndOfOneHoldersEditLeavesTheOthers",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, 6);
                                   l.BeginEdit(kFinger, 6);
                                   l.EndEdit(kFinger, 6);
                                   l.EndEdit(kFinger, 6);  // the finger holds no more
                                   l.SetValue(6, 0.5);
                                   l.EndEdit(kMouse, 6);
                                 },
                                 {"BeginParamEditFromUI 6", "SetParamFromUI 6 0.5", "EndParamEditFromUI 6"}},
                      LedgerCase{"UnboundSlotsSendNothing",
                                 [](EditGestureLedger& l) {
                                   l.BeginEdit(kMouse, -1);
                                   l.SetValue(-1, 0.5);
                                   l.EndEditsHeldBy(kMouse);
                                 },
                                 {}}),
    test::CaseName{});

TEST(EditGestureLedger, CountsOpenEditsPerParameter) {
  GfxTestDelegate delegate(4);
  EditGestureLedger ledger(delegate);
  ledger.BeginEdit(kMouse, 1);
  ledger.BeginEdit(kFinger, 1);
  ledger.BeginEdit(kFinger, 2);
  EXPECT_EQ(ledger.OpenEdits(1), 2);
  EXPECT_EQ(ledger.OpenEdits(2), 1);
  EXPECT_EQ(ledger.OpenEdits(3), 0);
  ledger.EndEditsHeldBy(kFinger);
  EXPECT_EQ(ledger.OpenEdits(1), 1);
  EXPECT_EQ(ledger.OpenEdits(2), 0);
  EXPECT_TRUE(delegate.GestureOpen(1));
  EXPECT_FALSE(delegate.GestureOpen(2));
}

}  // namespace
}  // namespace plugfw::gfx
