#pragma once
// Placeholder: a plain panel marking where a control of a later stage will stand (the signal
// display, the voice field); it says what it stands for and ignores the mouse. UI thread.

#include "graphics/control.h"

namespace halcyra {

class Placeholder : public plugfw::gfx::IControl {
 public:
  Placeholder(const plugfw::gfx::Rect& bounds, const char* label);
  ~Placeholder() override;

  void Draw(plugfw::gfx::IGfx& g) override;
  const char* Label() const { return label_; }

 private:
  const char* label_;
};

}  // namespace halcyra
