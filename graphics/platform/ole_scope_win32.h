#pragma once
// OLE for one scope of the calling thread, undone only when it was done: a failed
// OleInitialize (the thread already uses another model) is not balanced by an
// OleUninitialize, which would tear down someone else's OLE. Windows-only header.

#include <ole2.h>

namespace plugfw::gfx {

class OleScope {
 public:
  OleScope() : result_(OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

  bool Ready() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace plugfw::gfx
