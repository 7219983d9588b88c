#include "graphics/platform/drag_and_drop_win32.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "graphics/platform/drop_files_block.h"
#include "graphics/platform/global_memory_win32.h"
#include "graphics/platform/ole_scope_win32.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace DragAndDropHelpers {
namespace {

// Answers IUnknown and the object's own interface with the object, counted.
template <typename Interface>
HRESULT Answer(Interface* self, REFIID iid, const IID& own, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
    *object = self;
    self->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// A format copied into memory that its receiver frees: the target device record
// is the only part held by pointer.
HRESULT CopyFormat(const FORMATETC& source, FORMATETC* target) {
  *target = source;
  if (source.ptd == nullptr) return S_OK;
  target->ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(source.ptd->tdSize));
  if (target->ptd == nullptr) return E_OUTOFMEMORY;
  std::memcpy(target->ptd, source.ptd, source.ptd->tdSize);
  return S_OK;
}

}  // namespace

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

DataObject::DataObject(const FORMATETC& format, std::wstring path) : format_(format), path_(std::move(path)) {
  format_.ptd = nullptr;  // the offer is for any device
}

HRESULT DataObject::QueryInterface(REFIID iid, void** object) {
  return Answer(this, iid, IID_IDataObject, object);
}

bool DataObject::Offers(const FORMATETC& format) const {
  return (format.tymed & TYMED_HGLOBAL) != 0 && format.dwAspect == DVASPECT_CONTENT &&
         format.cfFormat == format_.cfFormat;
}

HRESULT DataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (format == nullptr || medium == nullptr) return E_INVALIDARG;
  if (!Offers(*format)) return DV_E_FORMATETC;
  const std::vector<uint8_t> block =
      BuildDropFilesBlock({std::u16string(path_.begin(), path_.end())}, DropBlockForm::kDragSource);
  HGLOBAL memory = GlobalCopyOf(block.data(), block.size());
  if (memory == nullptr) return E_OUTOFMEMORY;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT DataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT DataObject::QueryGetData(FORMATETC* format) {
  if (format == nullptr) return E_INVALIDARG;
  return Offers(*format) ? S_OK : DV_E_FORMATETC;
}

HRESULT DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* canonical) {
  if (canonical != nullptr) canonical->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT DataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT DataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *enumerator = new (std::nothrow) EnumFORMATETC(format_);
  return *enumerator != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT DataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }
HRESULT DataObject::DUnadvise(DWORD) { return E_NOTIMPL; }
HRESULT DataObject::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

HRESULT DropSource::QueryInterface(REFIID iid, void** object) {
  return Answer(this, iid, IID_IDropSource, object);
}

HRESULT DropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if ((keyState & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT DropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

EnumFORMATETC::EnumFORMATETC(const FORMATETC& format, ULONG position) : format_(format), position_(position) {
  format_.ptd = nullptr;
}

HRESULT EnumFORMATETC::QueryInterface(REFIID iid, void** object) {
  return Answer(this, iid, IID_IEnumFORMATETC, object);
}

HRESULT EnumFORMATETC::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
  if (fetched != nullptr) *fetched = 0;
  if (fetched == nullptr && count != 1) return S_FALSE;
  if (position_ >= 1 || count == 0 || formats == nullptr) return S_FALSE;
  const HRESULT copied = CopyFormat(format_, formats);
  if (FAILED(copied)) return copied;
  position_ = 1;
  if (fetched != nullptr) *fetched = 1;
  return count == 1 ? S_OK : S_FALSE;  // fewer than asked for
}

HRESULT EnumFORMATETC::Skip(ULONG count) {
  const ULONG remaining = 1 - position_;
  if (count > remaining) {
    position_ = 1;
    return S_FALSE;
  }
  position_ += count;
  return S_OK;
}

HRESULT EnumFORMATETC::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT EnumFORMATETC::Clone(IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = new (std::nothrow) EnumFORMATETC(format_, position_);
  return *enumerator != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace DragAndDropHelpers

bool DragFileOut(const char* path) {
  std::wstring wide;
  if (!WideFromUtf8Strict(path, &wide) || wide.empty()) return false;
  OleScope ole;
  if (!ole.Ready()) return false;
  const FORMATETC format = DragAndDropHelpers::FileListFormat();
  auto* data = new (std::nothrow) DragAndDropHelpers::DataObject(format, std::move(wide));
  auto* source = new (std::nothrow) DragAndDropHelpers::DropSource();
  HRESULT result = E_OUTOFMEMORY;
  if (data != nullptr && source != nullptr) {
    DWORD effect = DROPEFFECT_NONE;
    result = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
  }
  if (data != nullptr) data->Release();
  if (source != nullptr) source->Release();
  return SUCCEEDED(result);
}

}  // namespace plugfw::gfx
