// The graphics editor delegate: opening through the make-graphics function, the
// open-close-reopen cycle that brings back the size and scale, a failed or repeated open, a
// close inside a close, destruction with the editor open, values, messages and MIDI to the
// controls, parent resizes, screen scales and the editor size in a chunk.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/queue_messages.h"
#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

// What the platform window does beyond the recording double: it lays the editor out and
// tells the delegate once it is open, and its close and destruction show in the shared log.
class WindowGfx : public RecordingGfx {
 public:
  WindowGfx(IGfxEditorDelegate& delegate, Texts& log) : RecordingGfx(delegate), log_(log) {}
  ~WindowGfx() override { log_.push_back("~gfx"); }

  void* OpenPlatformWindow(void* parent) override {
    log_.push_back("OpenPlatformWindow");
    if (!opens) return nullptr;
    void* window = RecordingGfx::OpenPlatformWindow(parent);
    GetDelegate()->LayoutUI(this);
    GetDelegate()->OnEditorOpened();
    return window;
  }
  void ClosePlatformWindow() override {
    log_.push_back("ClosePlatformWindow");
    if (closesAgain) GetDelegate()->CloseEditorWindow();
    RecordingGfx::ClosePlatformWindow();
  }

  bool opens = true;
  bool closesAgain = false;

 private:
  Texts& log_;
};

// A control that shows what the delegate sends it beyond values.
class ListeningControl : public LoggingControl {
 public:
  ListeningControl(const char* name, Texts& log, int32_t paramIdx = kNoParameter)
      : LoggingControl(name, log, Rect(0, 0, 10, 10), paramIdx), log_(log) {}
  void OnMessageFromDelegate(int32_t messageTag, int32_t dataSize, const void* data) override {
    log_.push_back("message " + std::to_string(messageTag) + " " +
                   std::string(static_cast<const char*>(data), static_cast<size_t>(dataSize)) + " " + Name());
  }
  void OnMidi(const MidiMessage& message) override {
    log_.push_back("OnMidi " + std::to_string(message.status) + " " + Name());
  }

 private:
  Texts& log_;
};

class EditorDelegate : public test::GfxTestDelegate {
 public:
  explicit EditorDelegate(Texts& log) : GfxTestDelegate(3, &log), log_(log) {
    GetParam(1)->InitDoubleParam("Depth", 0.0, 0.0, 10.0, 0.01);
  }
  void ParamChangedUI(int32_t paramIdx, ParamSource /*source*/) override {
    log_.push_back("ParamChangedUI " + std::to_string(paramIdx));
  }
  void OnMidiUI(const MidiMessage& message) override {
    log_.push_back("OnMidiUI " + std::to_string(message.status));
  }
  void OnEditorClosing() override { log_.push_back("OnEditorClosing"); }
  bool ResizeFromUI(int32_t width, int32_t height, bool resizeHost) override {
    log_.push_back("ResizeFromUI " + std::to_string(width) + " " + std::to_string(height) +
                   (resizeHost ? " host" : ""));
    if (hostClosesOnResize) CloseEditorWindow();
    return true;
  }

  bool hostClosesOnResize = false;

 private:
  Texts& log_;
};

class GfxEditorDelegateTest : public ::testing::Test {
 protected:
  GfxEditorDelegateTest() {
    delegate->SetMakeGraphicsFunction([this]() -> std::unique_ptr<IGfx> {
      ++made;
      auto gfx = std::make_unique<WindowGfx>(*delegate, log);
      window = gfx.get();
      window->opens = windowOpens;
      return gfx;
    });
    delegate->SetLayoutFunction([this](IGfx& gfx) {
      log.push_back("layout");
      knob = static_cast<LoggingControl*>(gfx.AttachControl(new ListeningControl("knob", log, 1), 7));
    });
  }
  Texts Without(std::initializer_list<const char*> prefixes) const {
    Texts kept;
    for (const std::string& entry : log) {
      bool skip = false;
      for (const char* prefix : prefixes) skip = skip || entry.rfind(prefix, 0) == 0;
      if (!skip) kept.push_back(entry);
    }
    return kept;
  }

  Texts log;
  std::unique_ptr<EditorDelegate> delegate = std::make_unique<EditorDelegate>(log);
  int made = 0;
  bool windowOpens = true;
  WindowGfx* window = nullptr;
  LoggingControl* knob = nullptr;
  int parent = 0;  // stands in for the host's window
};

TEST_F(GfxEditorDelegateTest, OpeningMakesTheGraphicsOpensTheWindowAndAgainChangesNothing) {
  delegate->GetParam(1)->Set(5.0);
  void* opened = delegate->OpenEditorWindow(&parent);
  EXPECT_EQ(opened, &parent);
  ASSERT_EQ(delegate->GetUI(), window);
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(Without({"OnInit", "OnResize", "OnRescale", "OnAttached", "ParamChangedUI"}),
            (Texts{"OpenPlatformWindow", "layout"}));
  // The editor opened with every parameter shown: 5 of 0..10 shows as one half.
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);

  log.clear();
  EXPECT_EQ(delegate->OpenEditorWindow(&parent), &parent);
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(GfxEditorDelegateTest, AReopenedEditorComesBackAtTheSizeAndScaleItWasClosedAt) {
  delegate->OpenEditorWindow(&parent);
  window->ResizeEditor(500, 400, 1.5f, true);
  log.clear();
  delegate->CloseEditorWindow();
  EXPECT_EQ(log, (Texts{"OnEditorClosing", "ClosePlatformWindow", "~gfx", "~ knob"}));
  EXPECT_EQ(delegate->GetUI(), nullptr);
  EXPECT_EQ(delegate->StoredWidth(), 500);
  EXPECT_EQ(delegate->StoredHeight(), 400);
  EXPECT_EQ(delegate->StoredScale(), 1.5f);

  log.clear();
  ASSERT_NE(delegate->OpenEditorWindow(&parent), nullptr);
  IGfx* reopened = delegate->GetUI();
  EXPECT_EQ(reopened->Width(), 500);
  EXPECT_EQ(reopened->Height(), 400);
  EXPECT_EQ(reopened->GetDrawScale(), 1.5f);
  // Sized before the window opens, asking the host to follow.
  EXPECT_EQ(Without({"On", "ParamChangedUI", "~"}),
            (Texts{"ResizeFromUI 750 600 host", "OpenPlatformWindow", "layout"}));
  delegate->CloseEditorWindow();
  delegate->OpenEditorWindow(&parent);
  EXPECT_EQ(delegate->GetUI()->Width(), 500);
  EXPECT_EQ(made, 3);
}

TEST_F(GfxEditorDelegateTest, WithoutGraphicsOrAWindowTheEditorStaysClosed) {
  EditorDelegate bare(log);
  EXPECT_EQ(bare.OpenEditorWindow(&parent), nullptr);
  EXPECT_EQ(bare.CreateGraphics(), nullptr);
  bare.SetMakeGraphicsFunction([]() { return std::unique_ptr<IGfx>(); });
  EXPECT_EQ(bare.OpenEditorWindow(&parent), nullptr);
  EXPECT_EQ(bare.GetUI(), nullptr);
  bare.LayoutUI(nullptr);  // nothing to lay out, nothing happens

  windowOpens = false;
  log.clear();
  EXPECT_EQ(delegate->OpenEditorWindow(&parent), nullptr);
  EXPECT_EQ(delegate->GetUI(), nullptr);
  EXPECT_EQ(log, (Texts{"OpenPlatformWindow", "~gfx"}));
  // Nothing was shown, so nothing is remembered and no close is owed.
  delegate->CloseEditorWindow();
  EXPECT_EQ(delegate->StoredWidth(), 0);
}

TEST_F(GfxEditorDelegateTest, ACloseThatArrivesDuringACloseDoesNothing) {
  delegate->OpenEditorWindow(&parent);
  window->closesAgain = true;
  log.clear();
  delegate->CloseEditorWindow();
  EXPECT_EQ(log, (Texts{"OnEditorClosing", "ClosePlatformWindow", "~gfx", "~ knob"}));
}

TEST_F(GfxEditorDelegateTest, AHostThatClosesTheEditorWhileItResizesEndsTheResize) {
  delegate->OpenEditorWindow(&parent);
  delegate->hostClosesOnResize = true;
  log.clear();
  window->ResizeEditor(500, 400, 1.5f, true);
  // Closed from inside the resize: the graphics go when it returns, and nothing after the
  // host's answer runs on them.
  EXPECT_EQ(log,
            (Texts{"ResizeFromUI 750 600 host", "OnEditorClosing", "ClosePlatformWindow", "~gfx", "~ knob"}));
  EXPECT_EQ(delegate->GetUI(), nullptr);
  EXPECT_EQ(delegate->StoredWidth(), 500);
}

TEST_F(GfxEditorDelegateTest, ADelegateDestroyedWithItsEditorOpenClosesTheWindowFirst) {
  delegate->OpenEditorWindow(&parent);
  log.clear();
  delegate.reset();
  EXPECT_EQ(Without({"OnEditorClosing"}), (Texts{"ClosePlatformWindow", "~gfx", "~ knob"}));
}

TEST_F(GfxEditorDelegateTest, ClosingEndsTheEditsThePointersHoldWhileTheHostStillListens) {
  delegate->OpenEditorWindow(&parent);
  window->MouseDownAll({test::LeftButtonAt(5, 5)});
  ASSERT_TRUE(delegate->GestureOpen(1));
  log.clear();
  delegate->CloseEditorWindow();
  EXPECT_EQ(log, (Texts{"OnEditorClosing", "EndParamEditFromUI 1", "ClosePlatformWindow", "~gfx", "~ knob"}));
  EXPECT_TRUE(delegate->GestureFaults().empty());
}

TEST_F(GfxEditorDelegateTest, ADelegateDestroyedDuringAnEditClosesWithoutCallingIntoItsGoneParts) {
  delegate->OpenEditorWindow(&parent);
  window->MouseDownAll({test::LeftButtonAt(5, 5)});
  log.clear();
  delegate.reset();
  // The parts that would tell the host are gone already: the edit ends with nobody to tell.
  EXPECT_EQ(Without({"OnEditorClosing"}), (Texts{"ClosePlatformWindow", "~gfx", "~ knob"}));
}

TEST_F(GfxEditorDelegateTest, ParameterValuesReachEverySlotBoundToTheParameter) {
  delegate->OpenEditorWindow(&parent);
  auto* pair = static_cast<LoggingControl*>(window->AttachControl(new ListeningControl("pair", log)));
  pair->SetParamIdx(1, 0);  // bound after it was made, like the knob before it
  auto* other = static_cast<LoggingControl*>(window->AttachControl(new ListeningControl("other", log, 2)));
  log.clear();

  delegate->SendParamValueToUI(1, 0.25, true);
  EXPECT_EQ(knob->GetValue(), 0.25);
  EXPECT_EQ(pair->GetValue(), 0.25);
  EXPECT_EQ(other->GetValue(), 0.0);
  EXPECT_EQ(log, Texts{"ParamChangedUI 1"});
  // A real value is normalized first: 5 of 0..10.
  delegate->SendParamValueToUI(1, 5.0, false);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  // A control that a pointer holds keeps what the user is doing.
  window->CapturePointer(0, knob);
  delegate->SendParamValueToUI(1, 0.9, true);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(pair->GetValue(), 0.9);

  delegate->CloseEditorWindow();
  log.clear();
  delegate->SendParamValueToUI(2, 0.5, true);
  delegate->SendParamValueToUI(99, 0.5, true);
  EXPECT_EQ(log, Texts{"ParamChangedUI 2"});
}

TEST_F(GfxEditorDelegateTest, ControlValuesAndMessagesGoByTagAndMidiToThoseThatWantIt) {
  delegate->OpenEditorWindow(&parent);
  auto* first = static_cast<LoggingControl*>(window->AttachControl(new ListeningControl("first", log)));
  auto* second = static_cast<LoggingControl*>(window->AttachControl(new ListeningControl("second", log)));
  first->SetWantsMidi(true);
  second->SetWantsMidi(true);
  log.clear();

  delegate->SendControlValueToUI(7, 0.75);
  delegate->SendControlValueToUI(8, 0.5);
  EXPECT_EQ(knob->GetValue(), 0.75);
  delegate->SendControlMsgToUI(7, 3, 4, "ping");
  delegate->SendControlMsgToUI(8, 3, 4, "lost");
  MidiMessage note;
  note.status = 0x90;
  delegate->SendMidiMsgToUI(note);
  EXPECT_EQ(log, (Texts{"message 3 ping knob", "OnMidi 144 first", "OnMidi 144 second", "OnMidiUI 144"}));

  delegate->CloseEditorWindow();
  log.clear();
  delegate->SendMidiMsgToUI(note);
  delegate->SendControlValueToUI(7, 0.75);
  delegate->SendControlMsgToUI(7, 3, 4, "ping");
  EXPECT_EQ(log, Texts{"OnMidiUI 144"});
}

// A control that closes the editor when MIDI comes, as a learn-and-close action might.
class ClosingOnMidi : public ListeningControl {
 public:
  ClosingOnMidi(const char* name, Texts& log, IGfxEditorDelegate& delegate)
      : ListeningControl(name, log), delegate_(delegate) {}
  void OnMidi(const MidiMessage& message) override {
    ListeningControl::OnMidi(message);
    delegate_.CloseEditorWindow();
  }

 private:
  IGfxEditorDelegate& delegate_;
};

TEST_F(GfxEditorDelegateTest, AControlThatClosesTheEditorOnMidiEndsTheRoundOfMidi) {
  delegate->OpenEditorWindow(&parent);
  window->AttachControl(new ClosingOnMidi("closer", log, *delegate))->SetWantsMidi(true);
  window->AttachControl(new ListeningControl("after", log))->SetWantsMidi(true);
  log.clear();
  MidiMessage note;
  note.status = 0x90;
  delegate->SendMidiMsgToUI(note);
  // The controls after it hear nothing from an editor that is closing; its graphics go once
  // the round is over, and the delegate still hears the message.
  EXPECT_EQ(Without({"~ "}),
            (Texts{"OnMidi 144 closer", "OnEditorClosing", "ClosePlatformWindow", "~gfx", "OnMidiUI 144"}));
  EXPECT_EQ(delegate->GetUI(), nullptr);
}

TEST_F(GfxEditorDelegateTest, HostKeysGoToTheControlUnderTheMouseThenTheKeyHandler) {
  KeyEvent key;
  key.keyCode = 0x41;
  EXPECT_FALSE(delegate->OnKeyDown(key));  // closed
  delegate->OpenEditorWindow(&parent);
  auto* keys = static_cast<LoggingControl*>(
      window->AttachControl(new LoggingControl("keys", log, Rect(20, 20, 30, 30))));
  keys->keyAnswer = true;
  window->SetKeyHandler([this](const KeyEvent& k, bool isKeyUp) {
    log.push_back(std::string("handler ") + (isKeyUp ? "up " : "down ") + std::to_string(k.keyCode));
    return false;
  });
  log.clear();
  window->mouseX = 25.f;
  window->mouseY = 25.f;
  EXPECT_TRUE(delegate->OnKeyDown(key));
  EXPECT_TRUE(delegate->OnKeyUp(key));
  window->mouseX = 100.f;
  EXPECT_FALSE(delegate->OnKeyUp(key));
  EXPECT_EQ(log, (Texts{"OnKeyDown 65 keys", "OnKeyUp 65 keys", "handler up 65"}));
}

TEST_F(GfxEditorDelegateTest, AParentResizeTakesTheParentsPixelsAtScaleOne) {
  delegate->HandleParentResize(1800, 1200);  // closed: nothing to resize
  delegate->OpenEditorWindow(&parent);
  window->ResizeEditor(400, 300, 1.25f, true);
  window->platformWindowScale = 1.5f;
  log.clear();
  delegate->HandleParentResize(1800, 1200);
  EXPECT_EQ(window->Width(), 1200);
  EXPECT_EQ(window->Height(), 800);
  EXPECT_EQ(window->GetDrawScale(), 1.f);
  EXPECT_EQ(log[0], "ResizeFromUI 1800 1200");
  window->platformWindowScale = std::numeric_limits<float>::quiet_NaN();
  delegate->HandleParentResize(900, 600);
  EXPECT_EQ(window->Width(), 1200);
}

TEST_F(GfxEditorDelegateTest, AScreenScaleReachesOnlyAnOpenEditor) {
  delegate->SetScreenScale(2.f);
  delegate->OpenEditorWindow(&parent);
  EXPECT_EQ(window->GetScreenScale(), 1.f);
  delegate->SetScreenScale(1.5f);
  EXPECT_EQ(window->GetScreenScale(), 1.5f);
}

std::vector<uint8_t> BytesOf(const HeapBuffer& chunk) {
  return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

HeapBuffer ChunkOf(std::initializer_list<uint8_t> bytes) {
  HeapBuffer chunk;
  const std::vector<uint8_t> data(bytes);
  chunk.Append(data.data(), static_cast<int32_t>(data.size()));
  return chunk;
}

TEST_F(GfxEditorDelegateTest, TheEditorSizeTravelsAsTwoIntegersAndAFloatLittleEndian) {
  HeapBuffer chunk;
  ASSERT_TRUE(delegate->SerializeEditorSize(chunk));  // closed, nothing remembered yet
  EXPECT_EQ(BytesOf(chunk), std::vector<uint8_t>(12, 0));

  delegate->OpenEditorWindow(&parent);
  window->ResizeEditor(500, 400, 1.5f, true);
  HeapBuffer open;
  open.Append("head", 4);
  ASSERT_TRUE(delegate->SerializeEditorSize(open));
  EXPECT_EQ(BytesOf(open),
            (std::vector<uint8_t>{'h', 'e', 'a', 'd', 0xf4, 0x01, 0, 0, 0x90, 0x01, 0, 0, 0, 0, 0xc0, 0x3f}));

  // Open: a usable size resizes the editor; the position moves past the 12 bytes.
  const HeapBuffer wide = ChunkOf({0x58, 0x02, 0, 0, 0x2c, 0x01, 0, 0, 0, 0, 0x80, 0x3f});  // 600, 300, 1.0
  EXPECT_EQ(delegate->UnserializeEditorSize(wide, 0), 12);
  EXPECT_EQ(window->Width(), 600);
  EXPECT_EQ(window->GetDrawScale(), 1.f);

  delegate->CloseEditorWindow();
  EXPECT_EQ(delegate->UnserializeEditorSize(open, 4), 16);
  EXPECT_EQ(delegate->StoredWidth(), 500);
  EXPECT_EQ(delegate->StoredHeight(), 400);
  EXPECT_EQ(delegate->StoredScale(), 1.5f);
}

TEST_F(GfxEditorDelegateTest, ASizeThatIsShortOrUnusableLeavesTheDefaultSize) {
  struct Case {
    const char* what;
    HeapBuffer chunk;
    int32_t start;
    int32_t end;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  uint8_t nanBytes[4];
  std::memcpy(nanBytes, &nan, 4);
  Case cases[] = {
      {"8 bytes", ChunkOf({0xf4, 0x01, 0, 0, 0x90, 0x01, 0, 0}), 0, -1},
      {"position -1", ChunkOf({0xf4, 0x01, 0, 0, 0x90, 0x01, 0, 0, 0, 0, 0xc0, 0x3f}), -1, -1},
      {"NaN scale",
       ChunkOf({0xf4, 0x01, 0, 0, 0x90, 0x01, 0, 0, nanBytes[0], nanBytes[1], nanBytes[2], nanBytes[3]}), 0,
       12},
      {"negative width", ChunkOf({0xff, 0xff, 0xff, 0xff, 0x90, 0x01, 0, 0, 0, 0, 0xc0, 0x3f}), 0, 12},
      {"zero scale", ChunkOf({0xf4, 0x01, 0, 0, 0x90, 0x01, 0, 0, 0, 0, 0, 0}), 0, 12},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A size remembered from an earlier close is replaced by none.
    delegate->OpenEditorWindow(&parent);
    window->ResizeEditor(500, 400, 1.5f, true);
    delegate->CloseEditorWindow();
    EXPECT_EQ(delegate->UnserializeEditorSize(c.chunk, c.start), c.end);
    EXPECT_EQ(delegate->StoredWidth(), 0);
    EXPECT_EQ(delegate->StoredScale(), 0.f);
    // The next open keeps the size the graphics were made with, and an open editor is not
    // resized by them either.
    delegate->OpenEditorWindow(&parent);
    EXPECT_EQ(window->Width(), 300);
    EXPECT_EQ(delegate->UnserializeEditorSize(c.chunk, c.start), c.end);
    EXPECT_EQ(window->Width(), 300);
    EXPECT_EQ(window->GetDrawScale(), 1.f);
    delegate->CloseEditorWindow();
  }
}

}  // namespace
}  // namespace plugfw::gfx
