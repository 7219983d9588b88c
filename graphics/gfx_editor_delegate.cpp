#include "graphics/gfx_editor_delegate.h"

#include <cmath>
#include <cstring>

#include "core/little_endian.h"
#include "core/param.h"
#include "graphics/control.h"
#include "graphics/editor_scale.h"
#include "graphics/gfx.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kFieldBytes = 4;
constexpr float kParentResizeScale = 1.f;

// The 4 bytes at position as a little-endian word; a read past the end (or from -1) fails,
// gives 0 and leaves the position at -1, so every later read fails as well.
uint32_t ReadLittleEndian32(const HeapBuffer& chunk, int32_t& position) {
  if (position < 0 || chunk.Size() - position < kFieldBytes) {
    position = -1;
    return 0;
  }
  const uint32_t value = GetLittleEndian<uint32_t>(chunk.Data() + position);
  position += kFieldBytes;
  return value;
}

uint32_t FloatBits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float BitsToFloat(uint32_t bits) {
  float value = 0.f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

IGfxEditorDelegate::IGfxEditorDelegate(int32_t nParams) : IEditorDelegate(nParams) {}

IGfxEditorDelegate::~IGfxEditorDelegate() {
  // The hosts close the editor before they let the plug-in go, and a plug-in whose controls
  // reach its own parts closes it in its own destructor. Should it still be open here, its
  // window goes before the controls and the context it draws; the edits the pointers hold end
  // with nobody left to tell.
  if (gfx_) CloseEditorWindow();
}

std::unique_ptr<IGfx> IGfxEditorDelegate::CreateGraphics() {
  return makeGraphics_ ? makeGraphics_() : nullptr;
}

void IGfxEditorDelegate::LayoutUI(IGfx* gfx) {
  if (gfx && layout_) layout_(*gfx);
}

void* IGfxEditorDelegate::OpenEditorWindow(void* parent) {
  if (gfx_) return gfx_->GetPlatformWindow();
  std::unique_ptr<IGfx> made = CreateGraphics();
  if (!made) return nullptr;
  gfx_ = made.release();
  if (storedWidth_ != 0 && storedHeight_ != 0 && storedScale_ != 0.f) {
    gfx_->ResizeEditor(storedWidth_, storedHeight_, storedScale_, true);
  }
  if (!gfx_) return nullptr;  // the host closed the editor while it was being sized
  void* window = gfx_->OpenPlatformWindow(parent);
  if (!window && gfx_) {
    // Nothing is shown, so the editor is not open: no half-open context waits for a
    // close that the host will never send.
    DeleteGraphics();
  }
  return window;
}

void IGfxEditorDelegate::CloseEditorWindow() {
  if (closing_) return;
  closing_ = true;
  OnEditorClosing();
  if (gfx_) {
    RememberEditorSize();
    // Before the window goes: the edits the pointers hold end while the host still
    // listens.
    gfx_->ReleaseMouseCapture();
    gfx_->ClosePlatformWindow();
    DeleteGraphics();
  }
  closing_ = false;
}

void IGfxEditorDelegate::RememberEditorSize() {
  storedWidth_ = gfx_->Width();
  storedHeight_ = gfx_->Height();
  storedScale_ = gfx_->GetDrawScale();
}

void IGfxEditorDelegate::DeleteGraphics() {
  IGfx* gfx = gfx_;
  gfx_ = nullptr;
  IGfx::DeleteSafely(gfx);
}

void IGfxEditorDelegate::HandleParentResize(int32_t width, int32_t height) {
  if (!gfx_) return;
  const float windowScale = gfx_->GetPlatformWindowScale();
  if (!IsUsableScale(windowScale)) return;
  gfx_->ResizeEditor(TruncatedUnits(static_cast<float>(width) / windowScale),
                     TruncatedUnits(static_cast<float>(height) / windowScale), kParentResizeScale, false);
}

bool IGfxEditorDelegate::OnKeyDown(const KeyEvent& key) {
  if (!gfx_) return false;
  float x = 0.f;
  float y = 0.f;
  gfx_->GetMouseLocation(x, y);
  return gfx_->OnKeyDown(x, y, key);
}

bool IGfxEditorDelegate::OnKeyUp(const KeyEvent& key) {
  if (!gfx_) return false;
  float x = 0.f;
  float y = 0.f;
  gfx_->GetMouseLocation(x, y);
  return gfx_->OnKeyUp(x, y, key);
}

void IGfxEditorDelegate::SendControlValueToUI(int32_t controlTag, double normalizedValue) {
  if (!gfx_) return;
  if (IControl* control = gfx_->GetControlWithTag(controlTag))
    control->SetValueFromDelegate(normalizedValue, 0);
}

void IGfxEditorDelegate::SendControlMsgToUI(int32_t controlTag, int32_t messageTag, int32_t dataSize,
                                            const void* data) {
  if (!gfx_) return;
  if (IControl* control = gfx_->GetControlWithTag(controlTag)) {
    IGfx::ControlWalk walk(*gfx_);
    control->OnMessageFromDelegate(messageTag, dataSize, data);
  }
}

void IGfxEditorDelegate::SendMidiMsgToUI(const MidiMessage& message) {
  // The walk stops when a control closes the editor, and holds its deletion until it ends.
  if (gfx_) {
    gfx_->ForAllControls([&message](IControl& control) {
      if (control.GetWantsMidi()) control.OnMidi(message);
    });
  }
  OnMidiUI(message);
}

void IGfxEditorDelegate::SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized) {
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (gfx_) {
    const double normalized = valueIsNormalized ? value : param->ToNormalized(value);
    for (int32_t i = 0; i < gfx_->NControls(); ++i) {
      IControl* control = gfx_->GetControl(i);
      for (int32_t slot = 0; slot < control->NVals(); ++slot) {
        if (control->GetParamIdx(slot) == paramIdx) control->SetValueFromDelegate(normalized, slot);
      }
    }
  }
  ParamChangedUI(paramIdx, ParamSource::kEditorDelegate);
}

bool IGfxEditorDelegate::SerializeEditorSize(HeapBuffer& chunk) const {
  const bool open = gfx_ != nullptr;
  const uint32_t fields[] = {static_cast<uint32_t>(open ? gfx_->Width() : storedWidth_),
                             static_cast<uint32_t>(open ? gfx_->Height() : storedHeight_),
                             FloatBits(open ? gfx_->GetDrawScale() : storedScale_)};
  uint8_t bytes[kEditorSizeBytes];
  for (int32_t i = 0; i < 3; ++i) PutLittleEndian(bytes + i * kFieldBytes, fields[i]);
  const int32_t before = chunk.Size();
  return chunk.Append(bytes, kEditorSizeBytes) == before + kEditorSizeBytes;
}

int32_t IGfxEditorDelegate::UnserializeEditorSize(const HeapBuffer& chunk, int32_t startPos) {
  int32_t position = startPos;
  int32_t width = static_cast<int32_t>(ReadLittleEndian32(chunk, position));
  int32_t height = static_cast<int32_t>(ReadLittleEndian32(chunk, position));
  float scale = BitsToFloat(ReadLittleEndian32(chunk, position));
  // A size or scale no editor can have counts as none, like a read that failed.
  if (width <= 0 || height <= 0 || !IsUsableScale(scale)) {
    width = 0;
    height = 0;
    scale = 0.f;
  }
  if (!gfx_) {
    storedWidth_ = width;
    storedHeight_ = height;
    storedScale_ = scale;
  } else if (width != 0) {
    gfx_->ResizeEditor(width, height, scale, true);
  }
  return position;
}

void IGfxEditorDelegate::SetScreenScale(float scale) {
  if (gfx_) gfx_->SetScreenScale(scale);
}

}  // namespace plugfw::gfx
