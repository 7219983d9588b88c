// Times the in-editor text entry on a 256-character text whose widths are measured with the
// glyph cache on the embedded font, as the renderer measures them, and prints one line per
// case (median of several batches; target: a keystroke under 1 ms):
//   case=text_entry_keystroke_256 us=<x>
//     one key typed through the graphics context's key dispatch with the caret in the
//     middle of the text: the edit, the widths it touches measured again; half the
//     keystrokes type a digit, half take it back with Backspace, so the text stays 256 long.
//   case=text_entry_keystroke_and_draw_256 us=<x>
//     the same keystroke and then the entry drawn (box, text and caret) into a back end
//     that records nothing.
//   case=text_entry_begin_256 us=<x>
//     an entry begun on the text: every width measured from scratch.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_font.h"
#include "bench/bench_timing.h"
#include "graphics/renderer/glyph_cache.h"
#include "graphics/text_entry_control.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kTextLength = 256;
constexpr int kBatches = 15;
constexpr int kKeystrokesPerBatch = 400;
constexpr int kBeginsPerBatch = 40;

// Measures text with the glyph cache and records nothing, so the timing is the entry's own.
class MeasuringGfx : public test::RecordingGfx {
 public:
  MeasuringGfx(IGfxEditorDelegate& delegate, const std::vector<uint8_t>& font)
      : RecordingGfx(delegate, 1180, 800),
        cache_(GlyphCacheCreate({kGlyphAtlasFirstSize, kGlyphAtlasFirstSize, kGlyphCacheOriginTopLeft})) {
    GlyphCacheAddFont(cache_, kDefaultFontId, font.data(), static_cast<int32_t>(font.size()), 0, false);
  }
  ~MeasuringGfx() override {
    RemoveAllControls();
    GlyphCacheDelete(cache_);
  }

  float DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) override {
    GlyphCacheSetFont(cache_, 0);
    GlyphCacheSetSize(cache_, style.size);
    float box[4] = {};
    const float width = GlyphCacheTextBounds(cache_, bounds.left, bounds.top, text, nullptr, box);
    bounds = Rect(box[0], box[1], box[2], box[3]);
    return width;
  }
  void DoDrawText(const TextStyle&, const char*, const Rect&, const Blend*) override {}
  void PathClear() override {}
  void PathClose() override {}
  void PathMoveTo(float, float) override {}
  void PathLineTo(float, float) override {}
  void PathFill(const FillPattern&, const FillOptions&, const Blend*) override {}

 private:
  GlyphCache* cache_;
};

class Unbound : public IControl {
 public:
  Unbound() : IControl(Rect(0, 0, 400, 40)) {}
  void Draw(IGfx&) override {}
};

KeyEvent Key(int32_t keyCode, const char* text) {
  KeyEvent key;
  key.keyCode = keyCode;
  std::snprintf(key.utf8, sizeof key.utf8, "%s", text);
  return key;
}

std::string SampleText() {
  std::string text;
  const char* words = "Chorus depth 12.5 ms, rate 0.35 Hz, AVAWAY Tatty kerning; ";
  while (static_cast<int32_t>(text.size()) < kTextLength) text += words;
  text.resize(kTextLength);
  return text;
}

struct Entry {
  explicit Entry(const std::vector<uint8_t>& font) : gfx(delegate, font) {
    gfx.AttachTextEntry();
    gfx.AttachControl(edited);
    entry = gfx.GetTextEntryControl();
  }
  void Begin(const std::string& text) {
    gfx.CreateTextEntry(edited, DefaultTextStyle, Rect(10, 10, 410, 30), text.c_str(), -1);
  }
  test::GfxTestDelegate delegate{1};
  MeasuringGfx gfx;
  Unbound* edited = new Unbound();
  ITextEntryControl* entry = nullptr;
};

void Keystrokes(const std::vector<uint8_t>& font, bool draw, const char* name) {
  Entry e(font);
  e.Begin(SampleText());
  e.gfx.OnKeyDown(0, 0, Key(0x23, ""));  // end
  for (int i = 0; i < kTextLength / 2; ++i) e.gfx.OnKeyDown(0, 0, Key(0x25, ""));
  const KeyEvent digit = Key('7', "7");
  const KeyEvent backspace = Key(0x08, "\b");
  // Each keystroke must edit, or the figure would time nothing.
  e.gfx.OnKeyDown(0, 0, digit);
  const bool typed = e.entry->GetTextUtf16().size() == static_cast<size_t>(kTextLength + 1);
  e.gfx.OnKeyDown(0, 0, backspace);
  if (!typed || e.entry->GetCursor() != kTextLength / 2) {
    std::fprintf(stderr, "text_entry_bench: the keystrokes do not edit the text\n");
    return;
  }
  std::vector<double> perKey;
  for (int batch = 0; batch < kBatches; ++batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kKeystrokesPerBatch; ++i) {
      e.gfx.OnKeyDown(0, 0, i % 2 == 0 ? digit : backspace);
      if (draw) e.entry->Draw(e.gfx);
    }
    perKey.push_back(plugfw::bench::MicrosecondsSince(start) / kKeystrokesPerBatch);
  }
  if (e.entry->GetTextUtf16().size() != static_cast<size_t>(kTextLength)) {
    std::fprintf(stderr, "text_entry_bench: the text changed length\n");
  }
  std::printf("case=%s us=%.2f\n", name, plugfw::bench::Median(perKey));
}

void Begins(const std::vector<uint8_t>& font) {
  Entry e(font);
  const std::string text = SampleText();
  std::vector<double> perBegin;
  for (int batch = 0; batch < kBatches; ++batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBeginsPerBatch; ++i) e.Begin(text);
    perBegin.push_back(plugfw::bench::MicrosecondsSince(start) / kBeginsPerBatch);
  }
  std::printf("case=text_entry_begin_256 us=%.2f\n", plugfw::bench::Median(perBegin));
}

bool Wanted(const std::string& only, const char* name) {
  return only.empty() || std::string(name).find(only) != std::string::npos;
}

}  // namespace
}  // namespace plugfw::gfx

int main(int argc, char** argv) {
  using namespace plugfw::gfx;
  const std::string only = argc > 1 ? argv[1] : "";
  const std::vector<uint8_t> font = ReadBenchFont();
  if (font.empty()) {
    std::fprintf(stderr, "text_entry_bench: cannot read %s\n", kBenchFontFile);
    return 1;
  }
  if (Wanted(only, "text_entry_keystroke_256")) Keystrokes(font, false, "text_entry_keystroke_256");
  if (Wanted(only, "text_entry_keystroke_and_draw_256"))
    Keystrokes(font, true, "text_entry_keystroke_and_draw_256");
  if (Wanted(only, "text_entry_begin_256")) Begins(font);
  return 0;
}
