#pragma once
// Dragging one file out of the editor through OLE: a data object that offers the
// file as a file list (CF_HDROP), a drop source that follows the left button and
// Escape, and an enumerator of the one format. The objects live for one drag and
// are used on the thread that drags.
// Windows-only header. UI thread.

#include <windows.h>

#include <ole2.h>

#include <string>

namespace plugfw::gfx {

namespace DragAndDropHelpers {

// The one transfer format: a file list in global memory, for its content.
FORMATETC FileListFormat();

// The reference count of one object of interface Interface: a plain integer, since
// the object stays on the dragging thread; the last Release deletes it.
template <typename Interface>
class Counted : public Interface {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Counted() = default;

 private:
  ULONG references_ = 1;
};

class DataObject final : public Counted<IDataObject> {
 public:
  // Keeps its own copy of format; path is the file offered, as UTF-16.
  DataObject(const FORMATETC& format, std::wstring path);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumerator) override;

 private:
  ~DataObject() override = default;
  bool Offers(const FORMATETC& format) const;

  FORMATETC format_;
  std::wstring path_;
};

class DropSource final : public Counted<IDropSource> {
 public:
  DropSource() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  ~DropSource() override = default;
};

class EnumFORMATETC final : public Counted<IEnumFORMATETC> {
 public:
  // Keeps its own copy of format; position 0 is before it, 1 after it.
  EnumFORMATETC(const FORMATETC& format, ULONG position = 0);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** enumerator) override;

 private:
  ~EnumFORMATETC() override = default;

  FORMATETC format_;
  ULONG position_;
};

}  // namespace DragAndDropHelpers

// Runs a drag of the file at path (UTF-8) that may only be copied. True when the
// drag ran, whether it was dropped or cancelled; false when the path is empty or
// not UTF-8, or OLE could not start it.
bool DragFileOut(const char* path);

}  // namespace plugfw::gfx
