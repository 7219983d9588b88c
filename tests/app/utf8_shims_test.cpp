// The UTF-8 shims under Wine: paths with non-ASCII names and over 260 characters,
// profile files, folders, time formatting and the combo box subclass.

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <ctime>
#include <string>

#include "app/utf8_shims.h"
#include "core/resources.h"

namespace plugfw {
namespace {

std::wstring WideOf(const HeapBuffer& wide) { return reinterpret_cast<const wchar_t*>(wide.Data()); }

std::string Utf8Of(const std::wstring& wide) {
  HeapString utf8;
  Utf16ToUtf8(wide.c_str(), &utf8);
  return utf8.Get();
}

TEST(WidePathFromUtf8, PrefixesLongPathsAfterMakingThemAbsolute) {
  const std::string tail(280, 'x');
  HeapBuffer wide;
  ASSERT_TRUE(WidePathFromUtf8(("C:/halcyra/" + tail).c_str(), PathUse::kFile, &wide));
  EXPECT_EQ(WideOf(wide), L"\\\\?\\C:\\halcyra\\" + std::wstring(280, L'x'));

  ASSERT_TRUE(WidePathFromUtf8(("\\\\server\\share\\" + tail).c_str(), PathUse::kFile, &wide));
  EXPECT_EQ(WideOf(wide), L"\\\\?\\UNC\\server\\share\\" + std::wstring(280, L'x'));

  wchar_t current[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  std::wstring expected = L"\\\\?\\" + std::wstring(current);
  if (expected.back() != L'\\') expected += L'\\';
  ASSERT_TRUE(WidePathFromUtf8(("sub/../" + tail).c_str(), PathUse::kFile, &wide));
  EXPECT_EQ(WideOf(wide), expected + std::wstring(280, L'x'));

  const std::string verbatim = "\\\\?\\C:\\a/b\\" + tail;
  ASSERT_TRUE(WidePathFromUtf8(verbatim.c_str(), PathUse::kFile, &wide));
  EXPECT_EQ(Utf8Of(WideOf(wide)), verbatim);
}

TEST(WidePathFromUtf8, UsesTheDirectoryLimitAndLeavesLibraryNamesRelative) {
  const std::string path = "C:\\" + std::string(247, 'd');  // 250 characters
  HeapBuffer wide;
  ASSERT_TRUE(WidePathFromUtf8(path.c_str(), PathUse::kDirectory, &wide));
  EXPECT_EQ(WideOf(wide).rfind(L"\\\\?\\C:\\", 0), 0u);
  ASSERT_TRUE(WidePathFromUtf8(path.c_str(), PathUse::kFile, &wide));
  EXPECT_EQ(Utf8Of(WideOf(wide)), path);

  ASSERT_TRUE(WidePathFromUtf8("biblioth\xC3\xA8que.dll", PathUse::kLibrary, &wide));
  EXPECT_EQ(WideOf(wide), L"biblioth\u00E8que.dll");
  EXPECT_FALSE(WidePathFromUtf8("caf\xE9", PathUse::kFile, &wide));
}

// A fresh folder with a non-ASCII name under the temporary path; the tests below
// build their long paths inside it. Removed with everything in it.
class ShimFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    root_ = std::wstring(temp) + L"halcyra-shims-\u00E9\u20AC-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    rootUtf8_ = Utf8Of(root_);
  }
  void TearDown() override { RemoveTree(L"\\\\?\\" + root_); }

  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  int EntriesIn(const std::wstring& folder) const {
    int count = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") ++count;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return count;
  }

  // Nested folders named with component until the path passes minLength bytes.
  std::string MakeDeepFolder(const std::string& component, size_t minLength) {
    std::string path = rootUtf8_;
    while (path.size() < minLength) {
      path += "\\" + component;
      EXPECT_TRUE(CreateDirectoryUtf8(path.c_str(), nullptr)) << path.size();
    }
    return path;
  }

  std::wstring root_;
  std::string rootUtf8_;
};

struct DeepPathCase {
  const char* label;
  const char* component;
};

TEST_F(ShimFolder, WritesReadsAndStatsFilesInDeepFolders) {
  const DeepPathCase cases[] = {
      {"non-ASCII names", "Ger\xC3\xA4t-\xE2\x82\xAC-\xF0\x9F\x8E\xB5-0123456789"},
      {"7-bit names", "folder-0123456789-abcdefghij"},
  };
  for (const DeepPathCase& c : cases) {
    const std::string folder = MakeDeepFolder(c.component, 300);
    const std::string file = folder + "\\d\xC3\xA9j\xC3\xA0 vu.bin";
    ASSERT_GT(file.size(), 300u) << c.label;

    FILE* out = FopenUtf8(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << c.label;
    EXPECT_EQ(std::fwrite("halcyra", 1, 7, out), 7u);
    std::fclose(out);

    FILE* in = FopenUtf8(file.c_str(), "rb");
    ASSERT_NE(in, nullptr) << c.label;
    char read[8] = {};
    EXPECT_EQ(std::fread(read, 1, 7, in), 7u);
    std::fclose(in);
    EXPECT_STREQ(read, "halcyra") << c.label;

    struct _stat64 info = {};
    ASSERT_EQ(StatUtf8(file.c_str(), &info), 0) << c.label;
    EXPECT_EQ(info.st_size, 7) << c.label;
    ASSERT_EQ(StatUtf8(folder.c_str(), &info), 0) << c.label;
    EXPECT_NE(info.st_mode & _S_IFDIR, 0) << c.label;
    EXPECT_EQ(StatUtf8((folder + "\\missing").c_str(), &info), -1) << c.label;
  }
}

TEST_F(ShimFolder, AFailedWriteOpenNeverCreatesAMangledName) {
  // The UTF-8 name is a folder, so the wide open fails; the narrow call would have
  // created a file named by the bytes as the code page reads them.
  const std::string taken = rootUtf8_ + "\\dossier-\xC3\xA9t\xC3\xA9";
  ASSERT_TRUE(CreateDirectoryUtf8(taken.c_str(), nullptr));
  EXPECT_EQ(FopenUtf8(taken.c_str(), "wb"), nullptr);
  EXPECT_EQ(FopenUtf8(taken.c_str(), "a+"), nullptr);
  EXPECT_EQ(EntriesIn(root_), 1);
  EXPECT_FALSE(CreateDirectoryUtf8(taken.c_str(), nullptr));
}

TEST_F(ShimFolder, TextInTheCodePageTakesTheNarrowCall) {
  // Temporary folders are 7-bit apart from ours; reach it through its short form.
  wchar_t shortRoot[MAX_PATH];
  ASSERT_GT(GetShortPathNameW(root_.c_str(), shortRoot, MAX_PATH), 0u);
  const std::string narrowName = Utf8Of(shortRoot) + "\\caf\xE9.txt";
  FILE* out = FopenUtf8(narrowName.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fclose(out);
  HANDLE created = CreateFileW((root_ + L"\\caf\u00E9.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(created, INVALID_HANDLE_VALUE);
  if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
  FILE* in = FopenUtf8(narrowName.c_str(), "r");
  EXPECT_NE(in, nullptr);
  if (in != nullptr) std::fclose(in);
}

TEST_F(ShimFolder, ProfileFilesWithNonAsciiNamesRoundTrip) {
  const std::string file = rootUtf8_ + "\\r\xC3\xA9glages.ini";
  ASSERT_TRUE(WritePrivateProfileStringUtf8("audio", "device", "Caf\xC3\xA9 Out", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringUtf8("audio", "rate", "48000", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringUtf8("midi", "in", "x", file.c_str()));

  char out[64];
  EXPECT_EQ(GetPrivateProfileStringUtf8("audio", "device", "", out, sizeof(out), file.c_str()), 9u);
  EXPECT_STREQ(out, "Caf\xC3\xA9 Out");
  EXPECT_EQ(GetPrivateProfileIntUtf8("audio", "rate", 0, file.c_str()), 48000u);
  EXPECT_EQ(GetPrivateProfileIntUtf8("audio", "missing", 7, file.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileStringUtf8("audio", "missing", "d\xC3\xA9", out, sizeof(out), file.c_str()), 3u);
  EXPECT_STREQ(out, "d\xC3\xA9");

  std::memset(out, 'z', sizeof(out));
  const DWORD keys = GetPrivateProfileStringUtf8("audio", nullptr, "", out, sizeof(out), file.c_str());
  EXPECT_EQ(keys, 12u);
  EXPECT_EQ(std::string(out, keys + 1), std::string("device\0rate\0\0", 13));

  // Cut on a character boundary: "Caf" and a terminator fit in five bytes, "é" does not.
  std::memset(out, 'z', sizeof(out));
  EXPECT_EQ(GetPrivateProfileStringUtf8("audio", "device", "", out, 5, file.c_str()), 3u);
  EXPECT_EQ(std::string(out, 4), std::string("Caf\0", 4));
  std::memset(out, 'z', sizeof(out));
  EXPECT_EQ(GetPrivateProfileStringUtf8(nullptr, nullptr, "", out, 1, file.c_str()), 0u);
  EXPECT_EQ(out[0], '\0');

  ASSERT_TRUE(WritePrivateProfileStringUtf8("audio", "device", nullptr, file.c_str()));
  EXPECT_EQ(GetPrivateProfileStringUtf8("audio", "device", "gone", out, sizeof(out), file.c_str()), 4u);
  EXPECT_STREQ(out, "gone");
}

TEST(GetSpecialFolderPathUtf8, GivesTheWholePathOrNothing) {
  char path[1024];
  ASSERT_TRUE(GetSpecialFolderPathUtf8(nullptr, path, sizeof(path), CSIDL_LOCAL_APPDATA, false));
  wchar_t wide[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, wide, CSIDL_LOCAL_APPDATA, FALSE));
  EXPECT_EQ(path, Utf8Of(wide));
  char tiny[4] = "abc";
  EXPECT_FALSE(GetSpecialFolderPathUtf8(nullptr, tiny, sizeof(tiny), CSIDL_LOCAL_APPDATA, false));
}

TEST(StrftimeUtf8, FormatsUtf8AndCutsOnACharacter) {
  struct tm time = {};
  time.tm_year = 2024 - 1900;
  time.tm_mon = 4;
  time.tm_mday = 17;
  char out[64];
  EXPECT_EQ(StrftimeUtf8(out, sizeof(out), "%Y-%m-%d \xE2\x80\x93 \xC3\xA9t\xC3\xA9", &time), 20u);
  EXPECT_STREQ(out, "2024-05-17 \xE2\x80\x93 \xC3\xA9t\xC3\xA9");
  // Room for 12 bytes: the dash's three bytes would need 14.
  EXPECT_EQ(StrftimeUtf8(out, 13, "%Y-%m-%d \xE2\x80\x93", &time), 11u);
  EXPECT_STREQ(out, "2024-05-17 ");
  EXPECT_EQ(StrftimeUtf8(out, sizeof(out), "", &time), 0u);
  EXPECT_STREQ(out, "");
}

TEST(LoadLibraryUtf8, LoadsByNameAndFailsForMissingFiles) {
  HMODULE kernel = LoadLibraryUtf8("kernel32.dll");
  EXPECT_EQ(kernel, GetModuleHandleW(L"kernel32.dll"));
  if (kernel != nullptr) FreeLibrary(kernel);
  EXPECT_EQ(LoadLibraryUtf8("C:\\nowhere\\biblioth\xC3\xA8que.dll"), nullptr);
}

// A drop-down combo made as the preferences dialog makes its device combos.
class SubclassedCombo : public ::testing::Test {
 protected:
  void SetUp() override {
    combo_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_OVERLAPPED | CBS_DROPDOWN | CBS_HASSTRINGS, 0, 0, 200,
                             200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo_, nullptr);
    edit_ = FindWindowExW(combo_, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit_, nullptr);
    SubclassWindowUtf8(combo_);
  }
  void TearDown() override {
    if (combo_ != nullptr) DestroyWindow(combo_);
  }

  HWND combo_ = nullptr;
  HWND edit_ = nullptr;
};

constexpr char kDeviceName[] = "Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9";  // "Café € Ω", 8 UTF-16 units

TEST_F(SubclassedCombo, StoresUtf16AndHandsBackUtf8) {
  for (HWND window : {combo_, edit_}) {
    EXPECT_NE(GetPropW(window, L"UTF8ShimOldProc"), nullptr);
    EXPECT_NE(GetPropW(window, L"UTF8ShimOldProcW"), nullptr);
  }
  ASSERT_EQ(SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("plain")), 0);
  ASSERT_EQ(SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDeviceName)), 1);

  // Read past the shim: the list holds the real characters.
  auto wideProc = reinterpret_cast<WNDPROC>(GetPropW(combo_, L"UTF8ShimOldProcW"));
  wchar_t stored[32] = {};
  ASSERT_EQ(CallWindowProcW(wideProc, combo_, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(stored)), 8);
  EXPECT_STREQ(stored, L"Caf\u00E9 \u20AC \u03A9");

  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXTLEN, 1, 0), 8 * 4 + 32);
  char utf8[8 * 4 + 32 + 1] = {};
  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(utf8)),
            static_cast<LRESULT>(std::strlen(kDeviceName)));
  EXPECT_STREQ(utf8, kDeviceName);
  EXPECT_EQ(SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(kDeviceName)),
            1);
  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(utf8)), CB_ERR);
}

TEST_F(SubclassedCombo, TheEditShowsTheSelectedItemsRealCharacters) {
  ASSERT_EQ(SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDeviceName)), 0);
  SendMessageA(combo_, CB_SETCURSEL, 0, 0);
  // Read past the shim: through it the edit's text comes back by the code page.
  auto editWideProc = reinterpret_cast<WNDPROC>(GetPropW(edit_, L"UTF8ShimOldProcW"));
  wchar_t shown[32] = {};
  CallWindowProcW(editWideProc, edit_, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"Caf\u00E9 \u20AC \u03A9");

  // Text that is not the selected item is set as given.
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
  CallWindowProcW(editWideProc, edit_, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"typed");
}

TEST_F(SubclassedCombo, IsUndoneWhenTheWindowGoes) {
  SubclassWindowUtf8(combo_);  // a second call changes nothing
  const LONG_PTR shimProc = GetWindowLongPtrA(combo_, GWLP_WNDPROC);
  SubclassWindowUtf8(combo_);
  EXPECT_EQ(GetWindowLongPtrA(combo_, GWLP_WNDPROC), shimProc);
  DestroyWindow(combo_);
  combo_ = nullptr;
  EXPECT_FALSE(IsWindow(edit_));
}

}  // namespace
}  // namespace plugfw
