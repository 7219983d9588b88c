// The drag source's COM objects and a whole drag under Wine.

#include "graphics/platform/drag_and_drop_win32.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

namespace plugfw::gfx {
namespace {

using DragAndDropHelpers::DataObject;
using DragAndDropHelpers::DropSource;
using DragAndDropHelpers::EnumFORMATETC;

// The counts and the objects' deletion are checked by releasing each object
// exactly as often as it was referenced.
template <typename Interface>
void ExpectAnswers(Interface* object, const IID& own, const IID& other) {
  void* answered = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &answered), S_OK);
  EXPECT_EQ(answered, static_cast<void*>(object));
  EXPECT_EQ(object->Release(), 1u);
  ASSERT_EQ(object->QueryInterface(own, &answered), S_OK);
  EXPECT_EQ(object->Release(), 1u);
  answered = &answered;
  EXPECT_EQ(object->QueryInterface(other, &answered), E_NOINTERFACE);
  EXPECT_EQ(answered, nullptr);
}

TEST(DragAndDropObjects, AnswerIUnknownAndTheirOwnInterfaceOnly) {
  auto* data = new DataObject(DragAndDropHelpers::FileListFormat(), L"C:\\a.wav");
  ExpectAnswers(data, IID_IDataObject, IID_IDropSource);
  EXPECT_EQ(data->Release(), 0u);
  auto* source = new DropSource();
  ExpectAnswers(source, IID_IDropSource, IID_IDataObject);
  EXPECT_EQ(source->Release(), 0u);
  auto* formats = new EnumFORMATETC(DragAndDropHelpers::FileListFormat());
  ExpectAnswers(formats, IID_IEnumFORMATETC, IID_IDataObject);
  EXPECT_EQ(formats->Release(), 0u);
}

TEST(DataObject, GivesTheFileListAndRefusesOtherFormats) {
  FORMATETC format = DragAndDropHelpers::FileListFormat();
  auto* data = new DataObject(format, L"C:\\Audio\\Caf\u00E9.wav");
  format.cfFormat = CF_TEXT;  // the object keeps its own copy

  STGMEDIUM medium = {};
  FORMATETC asked = DragAndDropHelpers::FileListFormat();
  ASSERT_EQ(data->QueryGetData(&asked), S_OK);
  ASSERT_EQ(data->GetData(&asked, &medium), S_OK);
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  auto drop = static_cast<HDROP>(medium.hGlobal);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
  wchar_t path[MAX_PATH] = {};
  DragQueryFileW(drop, 0, path, MAX_PATH);
  EXPECT_STREQ(path, L"C:\\Audio\\Caf\u00E9.wav");
  ReleaseStgMedium(&medium);

  struct Case {
    CLIPFORMAT format;
    DWORD aspect, tymed;
  };
  const Case refused[] = {
      {CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL},
      {CF_HDROP, DVASPECT_CONTENT, TYMED_ISTREAM},
      {CF_HDROP, DVASPECT_ICON, TYMED_HGLOBAL},
  };
  for (const Case& c : refused) {
    FORMATETC other = {c.format, nullptr, c.aspect, -1, c.tymed};
    EXPECT_EQ(data->GetData(&other, &medium), DV_E_FORMATETC) << c.format << " " << c.tymed;
    EXPECT_EQ(data->QueryGetData(&other), DV_E_FORMATETC) << c.format << " " << c.tymed;
  }
  FORMATETC either = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
  EXPECT_EQ(data->QueryGetData(&either), S_OK);
  EXPECT_EQ(data->GetData(nullptr, &medium), E_INVALIDARG);
  EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);
  EXPECT_EQ(data->SetData(&asked, &medium, FALSE), E_NOTIMPL);
  EXPECT_EQ(data->Release(), 0u);
}

TEST(DataObject, EnumeratesItsOwnFormatOnlyForGetting) {
  FORMATETC format = DragAndDropHelpers::FileListFormat();
  auto* data = new DataObject(format, L"C:\\a.wav");
  format.cfFormat = CF_TEXT;
  IEnumFORMATETC* formats = reinterpret_cast<IEnumFORMATETC*>(&format);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
  EXPECT_EQ(formats, nullptr);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_GET, nullptr), E_POINTER);
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  FORMATETC listed = {};
  ULONG fetched = 0;
  ASSERT_EQ(formats->Next(1, &listed, &fetched), S_OK);
  EXPECT_EQ(listed.cfFormat, CF_HDROP);
  EXPECT_EQ(listed.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(formats->Release(), 0u);
  EXPECT_EQ(data->Release(), 0u);
}

TEST(EnumFORMATETC, ListsTheOneFormatOnceAndSkipsByTheEnumeratorContract) {
  auto* formats = new EnumFORMATETC(DragAndDropHelpers::FileListFormat());
  FORMATETC listed[2] = {};
  ULONG fetched = 7;
  ASSERT_EQ(formats->Next(1, listed, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0].cfFormat, CF_HDROP);
  EXPECT_EQ(formats->Next(1, listed, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ASSERT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Next(2, listed, &fetched), S_FALSE) << "fewer than asked for";
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Next(2, listed, nullptr), S_FALSE) << "no count to report into";

  struct Step {
    bool resetFirst;
    ULONG count;
    HRESULT result;
  };
  const Step steps[] = {
      {true, 0, S_OK},      // nothing to skip
      {true, 1, S_OK},      // the one format
      {false, 1, S_FALSE},  // nothing left
      {true, 2, S_FALSE},   // more than there is
      {false, 0, S_OK},
  };
  for (const Step& step : steps) {
    if (step.resetFirst) formats->Reset();
    EXPECT_EQ(formats->Skip(step.count), step.result)
        << step.count << (step.resetFirst ? " from the start" : "");
  }
  EXPECT_EQ(formats->Next(1, listed, &fetched), S_FALSE) << "a skip past the end leaves it at the end";

  formats->Reset();
  IEnumFORMATETC* clone = nullptr;
  ASSERT_EQ(formats->Clone(&clone), S_OK);
  ASSERT_EQ(formats->Next(1, listed, &fetched), S_OK);
  EXPECT_EQ(clone->Next(1, listed, &fetched), S_OK) << "the clone has its own position";
  EXPECT_EQ(formats->Clone(nullptr), E_POINTER);
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(formats->Release(), 0u);
}

TEST(DropSource, DropsOnReleaseAndCancelsOnEscape) {
  auto* source = new DropSource();
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_EQ(source->Release(), 0u);
}

TEST(DragFileOut, RunsADragThatEndsWhenNoButtonIsHeld) {
  // No button is down, so the drop source ends the drag at once: it ran.
  EXPECT_TRUE(DragFileOut("C:\\Audio\\take.wav"));
  EXPECT_FALSE(DragFileOut(""));
  EXPECT_FALSE(DragFileOut("caf\xE9.wav"));
}

}  // namespace
}  // namespace plugfw::gfx
