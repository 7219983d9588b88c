// Resource lookup in a test executable whose embedded resources are named as the
// deliverables name theirs (resources_test.rc), the file fallback with non-ASCII
// paths, the UTF-8/UTF-16 conversions and the DPI scale, under Wine (the scale also at
// 144 DPI).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/resources.h"

namespace plugfw {
namespace {

constexpr int32_t kFontBytes = 31;
constexpr int32_t kLogoBytes = 111;

struct LocateCase {
  const char* name;
  const char* type;
  ResourceLocation expected;
  const char* storedName;
};

TEST(LocateResource, FindsEmbeddedResourcesByNameWhateverTheirCase) {
  const LocateCase cases[] = {
      {"roboto-regular.ttf", "ttf", ResourceLocation::kModuleResource, "ROBOTO-REGULAR.TTF"},
      {"Roboto-Regular.ttf", "TTF", ResourceLocation::kModuleResource, "ROBOTO-REGULAR.TTF"},
      {"logo.svg", "svg", ResourceLocation::kModuleResource, "LOGO.SVG"},
      {"quoted.svg", "SVG", ResourceLocation::kModuleResource, "\"QUOTED.SVG\""},
      // Cutting the first and last character off an unquoted stored name would match these.
      {"ogo.sv", "svg", ResourceLocation::kNotFound, nullptr},
      {"logo.svg", "ttf", ResourceLocation::kNotFound, nullptr},
      {"missing.svg", "svg", ResourceLocation::kNotFound, nullptr},
      {"", "svg", ResourceLocation::kNotFound, nullptr},
      {nullptr, "svg", ResourceLocation::kNotFound, nullptr},
  };
  for (const LocateCase& c : cases) {
    HeapString stored("untouched");
    const char* label = c.name != nullptr ? c.name : "(null)";
    EXPECT_EQ(LocateResource(c.name, c.type, &stored, nullptr), c.expected) << label;
    EXPECT_STREQ(stored.Get(), c.storedName != nullptr ? c.storedName : "untouched") << label;
  }
}

TEST(ResourceModule, DefaultsToTheRunningImageAndTakesAHandOver) {
  EXPECT_EQ(ResourceModule(), GetModuleHandleW(nullptr));

  // A module without our resources, handed over as a DLL entry would hand its own.
  SetResourceModule(GetModuleHandleW(L"kernel32.dll"));
  HeapString stored;
  EXPECT_EQ(LocateResource("logo.svg", "svg", &stored, nullptr), ResourceLocation::kNotFound);
  EXPECT_EQ(LocateResource("logo.svg", "svg", &stored, GetModuleHandleW(nullptr)),
            ResourceLocation::kModuleResource);

  SetResourceModule(nullptr);
  EXPECT_EQ(ResourceModule(), GetModuleHandleW(nullptr));
  EXPECT_EQ(LocateResource("logo.svg", "svg", &stored, nullptr), ResourceLocation::kModuleResource);
}

TEST(FindResourceData, HandsOutTheEmbeddedBytes) {
  int32_t size = -1;
  const uint8_t* font = FindResourceData("ROBOTO-REGULAR.TTF", "ttf", &size, nullptr);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(size, kFontBytes);
  EXPECT_EQ(std::memcmp(font, "\x00\x01\x00\x00HALCYRA", 11), 0);

  HeapString stored;
  ASSERT_EQ(LocateResource("quoted.svg", "svg", &stored, nullptr), ResourceLocation::kModuleResource);
  const uint8_t* logo = FindResourceData(stored.Get(), "svg", &size, nullptr);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(size, kLogoBytes);
  EXPECT_EQ(std::memcmp(logo, "<svg", 4), 0);
}

TEST(FindResourceData, TreatsTinyAndMissingResourcesAsMissing) {
  int32_t size = -1;
  EXPECT_EQ(FindResourceData("TINY.SVG", "SVG", &size, nullptr), nullptr);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(FindResourceData("NOPE.SVG", "SVG", &size, nullptr), nullptr);
  EXPECT_EQ(FindResourceData("LOGO.SVG", "TTF", &size, nullptr), nullptr);
  EXPECT_EQ(FindResourceData(nullptr, "SVG", &size, nullptr), nullptr);
  EXPECT_EQ(size, -1);
}

// A fresh folder under the temporary path with a non-ASCII name, removed afterwards.
class NonAsciiFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"halcyra-r\u00E9sources-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    HeapString utf8;
    Utf16ToUtf8(folder_.c_str(), &utf8);
    folderUtf8_ = utf8.Get();
  }
  void TearDown() override {
    DeleteFileW((folder_ + L"\\logo \u00FC\u20AC.svg").c_str());
    RemoveDirectoryW((folder_ + L"\\sub.svg").c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  std::wstring folder_;
  std::string folderUtf8_;
};

TEST_F(NonAsciiFolder, FallsBackToAnExistingFileButNotAFolder) {
  const std::string file = folderUtf8_ + "\\logo \xC3\xBC\xE2\x82\xAC.svg";
  HANDLE handle = CreateFileW((folder_ + L"\\logo \u00FC\u20AC.svg").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  HeapString out;
  EXPECT_EQ(LocateResource(file.c_str(), "svg", &out, nullptr), ResourceLocation::kFile);
  EXPECT_EQ(out.Get(), file);

  ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\sub.svg").c_str(), nullptr));
  HeapString untouched("untouched");
  EXPECT_EQ(LocateResource((folderUtf8_ + "\\sub.svg").c_str(), "svg", &untouched, nullptr),
            ResourceLocation::kNotFound);
  EXPECT_STREQ(untouched.Get(), "untouched");
}

TEST(Utf8ToUtf16, ConvertsAndRoundTrips) {
  const HeapBuffer empty = Utf8ToUtf16("");
  ASSERT_EQ(empty.Size(), 2);
  EXPECT_EQ(reinterpret_cast<const wchar_t*>(empty.Data())[0], L'\0');
  EXPECT_EQ(empty.Granularity(), HeapBuffer::kBlockGranularity);

  const char* text = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5";
  const HeapBuffer wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.Size(), 2 * 10);  // C a f é space € space, a surrogate pair, the terminator
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(wide.Data())), L"Caf\u00E9 \u20AC \U0001F3B5");
  HeapString back;
  Utf16ToUtf8(reinterpret_cast<const wchar_t*>(wide.Data()), &back);
  EXPECT_STREQ(back.Get(), text);
}

TEST(Utf8ToUtf16, GivesEmptyTextForWhatCannotBeConverted) {
  const HeapBuffer broken = Utf8ToUtf16("caf\xE9");
  ASSERT_EQ(broken.Size(), 2);
  EXPECT_EQ(reinterpret_cast<const wchar_t*>(broken.Data())[0], L'\0');
  EXPECT_EQ(Utf8ToUtf16(nullptr).Size(), 2);

  HeapString out("previous");
  const wchar_t unpaired[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
  Utf16ToUtf8(unpaired, &out);
  EXPECT_STREQ(out.Get(), "");
  out.Set("previous");
  Utf16ToUtf8(nullptr, &out);
  EXPECT_STREQ(out.Get(), "");
}

TEST(WindowDpiScale, IsTheScreenDpiOver96) {
  EXPECT_EQ(WindowDpiScale(nullptr), 1.0f);
  HWND window = CreateWindowExW(0, L"STATIC", L"dpi", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  HDC screen = GetDC(nullptr);
  const int screenDpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_FLOAT_EQ(WindowDpiScale(window), static_cast<float>(screenDpi) / 96.0f);
  // At 96 DPI that is also the answer without a query at all: so the test runs once more in a
  // prefix whose display has the DPI this names.
  wchar_t expected[8] = {};
  if (GetEnvironmentVariableW(L"HALCYRA_TEST_SCREEN_DPI", expected, 8) > 0) {
    EXPECT_EQ(screenDpi, _wtoi(expected));
    EXPECT_FLOAT_EQ(WindowDpiScale(window), static_cast<float>(_wtoi(expected)) / 96.0f);
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace plugfw
