// Windows fonts under Wine, on the Roboto files only: installed privately from memory and
// from file, found by family after a private installation of the file, and read back
// through GDI. No system font is relied on.
#include "graphics/platform/win_font_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/graphics/platform/font_fixtures.h"

namespace plugfw::gfx {
namespace {

using test::Bytes;

std::string RobotoPath(const char* file) { return std::string(HALCYRA_TEST_FONT_DIR) + "/" + file; }

Bytes BytesOf(const FontData& data) { return Bytes(data.Bytes(), data.Bytes() + data.Size()); }

// Each test is one editor window's life: the caches count it in and clear when it goes.
class WinFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddPlatformFontCacheUser();
    regular = test::ReadRobotoFile("Roboto-Regular.ttf");
    ASSERT_FALSE(regular.empty()) << "the Roboto font package is missing";
  }
  void TearDown() override {
    RemovePlatformFontCacheUser();
    EXPECT_EQ(SharedInstalledFontCache().Count(), 0);
    EXPECT_EQ(SharedPlatformFontHandleCache().Count(), 0);
  }
  Bytes regular;
};

TEST_F(WinFontTest, AMemoryFontReadsBackAsTheFileThroughGdi) {
  std::unique_ptr<PlatformFont> font =
      LoadPlatformFontFromMemory("Roboto-Regular", regular.data(), static_cast<int32_t>(regular.size()));
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(font->IsSystem());
  EXPECT_NE(font->GetNativeHandle(), nullptr);
  std::unique_ptr<FontData> data = font->GetFontData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(BytesOf(*data), regular);
  EXPECT_EQ(data->FaceIndex(), 0);
  EXPECT_TRUE(data->IsUsable());
  EXPECT_STREQ(data->Reader().FamilyName().Get(), "Roboto");
  EXPECT_EQ(SharedInstalledFontCache().Count(), 1);
}

TEST_F(WinFontTest, AFontFileLoadsLikeItsBytes) {
  std::unique_ptr<PlatformFont> font =
      LoadPlatformFontFromFile("Roboto-Bold", RobotoPath("Roboto-Bold.ttf").c_str(), nullptr);
  ASSERT_NE(font, nullptr);
  std::unique_ptr<FontData> data = font->GetFontData();
  EXPECT_EQ(BytesOf(*data), test::ReadRobotoFile("Roboto-Bold.ttf"));
  EXPECT_STREQ(data->Reader().StyleName().Get(), "Bold");
  EXPECT_EQ(LoadPlatformFontFromFile("Missing", RobotoPath("Roboto-Missing.ttf").c_str(), nullptr), nullptr);
}

// Windows gives a collection's face as the whole collection (size and bytes asked with the
// same tag, the face index pointing into them); Wine gives the face alone, as a font file
// of its own. Either must come out whole and usable. The collection is installed from a
// file, as a system collection would be.
TEST_F(WinFontTest, ACollectionComesBackWholeWithItsFaceIndex) {
  Bytes collection = test::WrapInCollection(regular, 2);
  wchar_t folder[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  std::wstring path = std::wstring(folder) + L"halcyra_font_test.ttc";
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, collection.data(), static_cast<DWORD>(collection.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, collection.size());
  ASSERT_GT(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 0);
  std::unique_ptr<PlatformFont> font = LoadPlatformFontByName("Collection", "Roboto", kFontStyleRegular);
  ASSERT_NE(font, nullptr);
  std::unique_ptr<FontData> data = font->GetFontData();
  Bytes bytes = BytesOf(*data);
  EXPECT_TRUE(bytes == collection || bytes == regular) << bytes.size() << " bytes";
  EXPECT_EQ(data->FaceIndex(), 0);
  EXPECT_TRUE(data->IsUsable());
  EXPECT_STREQ(data->Reader().StyleName().Get(), "Regular");
  font.reset();
  RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
  DeleteFileW(path.c_str());
}

TEST_F(WinFontTest, DataTheSystemRefusesGivesNoFont) {
  Bytes garbage(4096, 0x41);
  EXPECT_EQ(LoadPlatformFontFromMemory("Garbage", garbage.data(), static_cast<int32_t>(garbage.size())),
            nullptr);
  EXPECT_EQ(LoadPlatformFontFromMemory("Empty", regular.data(), 0), nullptr);
  EXPECT_EQ(SharedInstalledFontCache().Count(), 0);
}

TEST_F(WinFontTest, LoadingAnIdentifierTwiceKeepsBothInstallationsUntilTheCacheClears) {
  for (int i = 0; i < 2; ++i) {
    EXPECT_NE(
        LoadPlatformFontFromMemory("Roboto-Regular", regular.data(), static_cast<int32_t>(regular.size())),
        nullptr);
  }
  EXPECT_EQ(SharedInstalledFontCache().Count(), 2);
  // A second window keeps them; TearDown's departure of the first clears them.
  AddPlatformFontCacheUser();
  RemovePlatformFontCacheUser();
  EXPECT_EQ(SharedInstalledFontCache().Count(), 2);
}

// Roboto installed for this process from its file, then asked for by family.
class InstalledRobotoTest : public WinFontTest {
 protected:
  void SetUp() override {
    WinFontTest::SetUp();
    for (const char* file : {"Roboto-Regular.ttf", "Roboto-Bold.ttf"}) {
      std::wstring path;
      for (char c : RobotoPath(file)) path += static_cast<wchar_t>(c == '/' ? '\\' : c);
      paths.push_back(path);
      ASSERT_GT(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 0);
    }
  }
  void TearDown() override {
    for (const std::wstring& path : paths) RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
    WinFontTest::TearDown();
  }
  std::vector<std::wstring> paths;
};

TEST_F(InstalledRobotoTest, AFamilyInBoldGivesTheBoldFaceAndItsBytes) {
  std::unique_ptr<PlatformFont> bold = LoadPlatformFontByName("Roboto-Bold", "Roboto", kFontStyleBoldFace);
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->IsSystem());
  EXPECT_STREQ(static_cast<WinFont*>(bold.get())->StyleName().Get(), "Bold");
  std::unique_ptr<FontData> data = bold->GetFontData();
  EXPECT_EQ(BytesOf(*data), test::ReadRobotoFile("Roboto-Bold.ttf"));
  EXPECT_EQ(data->FaceIndex(), 0);
  EXPECT_EQ(data->Reader().StyleBits() & kFontStyleBold, kFontStyleBold);

  std::unique_ptr<PlatformFont> regularFace = LoadPlatformFontByName("Roboto", "Roboto", kFontStyleRegular);
  ASSERT_NE(regularFace, nullptr);
  EXPECT_EQ(BytesOf(*regularFace->GetFontData()), regular);
}

TEST_F(InstalledRobotoTest, AFamilyThatIsNotInstalledGivesNoFont) {
  EXPECT_EQ(LoadPlatformFontByName("Nope", "No Such Family Anywhere", kFontStyleRegular), nullptr);
  // A name past LOGFONTW's 31 units is cut, not left unterminated, and matches nothing.
  EXPECT_EQ(FindInstalledFontFace("Roboto Roboto Roboto Roboto Roboto Roboto", 400, false, false, 0, false),
            nullptr);
  void* face = FindInstalledFontFace("Roboto", 400, false, false, 0, true);
  ASSERT_NE(face, nullptr);
  DeleteObject(static_cast<HFONT>(face));
}

TEST_F(InstalledRobotoTest, TheEditBoxHandleIsCachedOncePerIdentifier) {
  std::unique_ptr<PlatformFont> font = LoadPlatformFontByName("Roboto-Regular", "Roboto", kFontStyleRegular);
  ASSERT_NE(font, nullptr);
  CachePlatformFontHandle("Roboto-Regular", *font);
  CachePlatformFontHandle("Roboto-Regular", *font);
  ASSERT_EQ(SharedPlatformFontHandleCache().Count(), 1);
  PlatformFontHandle* handle = SharedPlatformFontHandleCache().Find("Roboto-Regular", 1.0);
  ASSERT_NE(handle, nullptr);
  EXPECT_NE(handle->Get(), font->GetNativeHandle());  // a copy: the load's font is deleted by its owner
  LOGFONTW copied{};
  ASSERT_NE(GetObjectW(static_cast<HFONT>(handle->Get()), sizeof copied, &copied), 0);
  EXPECT_STREQ(copied.lfFaceName, L"Roboto");
}

}  // namespace
}  // namespace plugfw::gfx
