// The settings file on the platform's profile functions: UTF-16 with a byte order mark so that
// non-ASCII names survive, names cut only between characters, and a table of bad files, none of
// which stops a start and each of which is rewritten with every value valid.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/device_settings.h"
#include "app/host_environment.h"
#include "app/standalone_host.h"
#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units - 1) : 0);
  return wide;
}

// The platform's settings file in a folder of the test's own; fake devices, one default each.
class PlatformSettingsEnvironment : public test::FakeHostEnvironment {
 public:
  PlatformSettingsEnvironment(test::FakeEnvironmentState& state, const std::string& folder)
      : FakeHostEnvironment(state), platform_(CreateWin32HostEnvironment(folder.c_str())) {}
  std::unique_ptr<SettingsStore> OpenSettings(std::string& path) override {
    return platform_->OpenSettings(path);
  }

 private:
  std::unique_ptr<HostEnvironment> platform_;
};

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    char utf8[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, temp, -1, utf8, sizeof utf8, nullptr, nullptr);
    folder_ = std::string(utf8) + "halcyra-settings-" + std::to_string(GetCurrentProcessId()) + "\\";
    path_ = folder_ + "settings.ini";
    RemoveAll();
    CreateDirectoryW(Wide(folder_).c_str(), nullptr);
    AudioDeviceInfo input;
    input.name =
        "Mikrofon (\xC3\x9C"
        "SB)";
    input.inputChannels = 2;
    input.isDefaultInput = true;
    AudioDeviceInfo output;
    output.name = "Lautsprecher";
    output.outputChannels = 2;
    output.isDefaultOutput = true;
    state_.audio.devices = {input, output};
  }
  void TearDown() override {
    StandaloneHost::Destroy();
    RemoveAll();
  }
  void RemoveAll() {
    DeleteFileW(Wide(path_).c_str());
    DeleteFileW(Wide(path_ + ".new").c_str());
    RemoveDirectoryW(Wide(folder_).c_str());
  }

  std::unique_ptr<SettingsStore> Store() {
    std::string path;
    return CreateWin32HostEnvironment(folder_.c_str())->OpenSettings(path);
  }
  std::string FileBytes() const {
    std::string bytes;
    HANDLE file =
        CreateFileW(Wide(path_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
  }
  void WriteFileBytes(const std::string& bytes) const {
    HANDLE file = CreateFileW(Wide(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  static std::string Utf16File(const std::wstring& text) {
    std::string bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
  }

  std::string folder_;
  std::string path_;
  test::FakeEnvironmentState state_;
};

TEST_F(SettingsFileTest, NonAsciiNamesSurviveInAUtf16FileWithByteOrderMark) {
  DeviceSettings written;
  written.audioInputDevice.Set(
      "Mikrofon (\xC3\x9C"
      "SB) \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5");
  written.audioOutputDevice.Set("Lautsprecher");
  written.midiInputPort.Set("Clavier \xC3\xA9lectrique");
  written.sampleRate = 48000;
  ASSERT_TRUE(WriteDeviceSettings(*Store(), written));
  EXPECT_EQ(FileBytes().substr(0, 2), "\xFF\xFE");
  DeviceSettings read;
  EXPECT_EQ(ReadDeviceSettings(*Store(), read), 13);
  EXPECT_TRUE(read.Equals(written)) << read.audioInputDevice.Get();
}

TEST_F(SettingsFileTest, AnOverlongNameIsCutBetweenCharacters) {
  std::string longName;
  for (int i = 0; i < 700; ++i) longName += "\xC3\xA9";  // 1400 bytes of two-byte characters
  DeviceSettings written;
  written.audioInputDevice.Set(longName.c_str());
  ASSERT_TRUE(WriteDeviceSettings(*Store(), written));
  DeviceSettings read;
  ReadDeviceSettings(*Store(), read);
  const std::string got = read.audioInputDevice.Get();
  EXPECT_LT(got.size(), static_cast<size_t>(kSettingsTextBytes));
  EXPECT_GE(got.size(), static_cast<size_t>(kSettingsTextBytes - 2));
  EXPECT_EQ(got.size() % 2, 0u);
  EXPECT_EQ(longName.compare(0, got.size(), got), 0);
}

TEST_F(SettingsFileTest, FirstRunCreatesTheFolderAndWritesTheDefaults) {
  RemoveAll();
  auto* host = StandaloneHost::Create(std::make_unique<PlatformSettingsEnvironment>(state_, folder_));
  ASSERT_TRUE(host->Init());
  EXPECT_EQ(host->SettingsPath(), path_);
  DeviceSettings read;
  EXPECT_EQ(ReadDeviceSettings(*Store(), read), 13);
  EXPECT_STREQ(read.audioInputDevice.Get(), "Default Device");
  EXPECT_STREQ(read.midiOutputPort.Get(), "off");
  ASSERT_TRUE(host->ApplyAudioSettings());
  ReadDeviceSettings(*Store(), read);
  EXPECT_STREQ(read.audioInputDevice.Get(),
               "Mikrofon (\xC3\x9C"
               "SB)");
}

// The platform's store, with the write of one key refused, as a full disk would.
class FailingWriteStore : public SettingsStore {
 public:
  FailingWriteStore(std::unique_ptr<SettingsStore> platform, int32_t failingWrite)
      : platform_(std::move(platform)), failingWrite_(failingWrite) {}
  bool Exists() override { return platform_->Exists(); }
  bool ReadText(const char* section, const char* key, char* out, int32_t size) override {
    return platform_->ReadText(section, key, out, size);
  }
  bool BeginWrite() override { return platform_->BeginWrite(); }
  bool WriteText(const char* section, const char* key, const char* value) override {
    return writes_++ != failingWrite_ && platform_->WriteText(section, key, value);
  }
  bool EndWrite() override { return platform_->EndWrite(); }
  void AbandonWrite() override { platform_->AbandonWrite(); }

 private:
  std::unique_ptr<SettingsStore> platform_;
  int32_t failingWrite_;
  int32_t writes_ = 0;
};

TEST_F(SettingsFileTest, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
  DeviceSettings good;
  good.audioInputDevice.Set("Line In");
  good.sampleRate = 96000;
  ASSERT_TRUE(WriteDeviceSettings(*Store(), good));
  const std::string before = FileBytes();

  DeviceSettings changed;
  changed.audioInputDevice.Set("USB Mic");
  changed.sampleRate = 22050;
  FailingWriteStore failing(Store(), 5);
  EXPECT_FALSE(WriteDeviceSettings(failing, changed));
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(GetFileAttributesW(Wide(path_ + ".new").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the abandoned rewrite was left behind";
  DeviceSettings read;
  EXPECT_EQ(ReadDeviceSettings(*Store(), read), 13);
  EXPECT_TRUE(read.Equals(good));
}

struct BadFile {
  const char* label;
  bool present;
  std::string bytes;
  int32_t expectedRate;
  int32_t expectedBuffer;
};

TEST_F(SettingsFileTest, NoBadFileStopsAStartAndEachIsRewrittenValid) {
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const BadFile cases[] = {
      {"missing", false, "", 44100, 512},
      {"empty", true, "", 44100, 512},
      {"byte order mark only", true, "\xFF\xFE", 44100, 512},
      {"binary garbage", true, garbage, 44100, 512},
      {"garbage numbers", true,
       "[audio]\r\ndriver=abc\r\nsr=forty-eight\r\nbuffer=0x200\r\nin1=-1\r\nin2=\r\n[midi]\r\ninchan="
       "300\r\n",
       44100, 512},
      {"absurd rate and buffer", true, "[audio]\r\nsr=999999999\r\nbuffer=7\r\n", 44100, 512},
      {"tiny rate, huge buffer", true, "[audio]\r\nsr=100\r\nbuffer=1048576\r\n", 44100, 512},
      {"valid values kept", true, "[audio]\r\nsr=96000\r\nbuffer=256\r\nwhatever=1\r\n[junk]\r\nx=y\r\n",
       96000, 256},
      {"overlong name", true, "[audio]\r\nindev=" + std::string(5000, 'x') + "\r\nsr=22050\r\n", 22050, 512},
      {"ANSI non-ASCII name", true, "[audio]\r\nindev=Mikrofon (\xDCSB)\r\nsr=48000\r\n", 48000, 512},
      {"UTF-16 garbage numbers", true, Utf16File(L"[audio]\r\nsr=\u00BD\r\nbuffer=512\u00B2\r\n"), 44100,
       512},
      {"no sections", true, "sr=48000\r\nbuffer=64\r\n", 44100, 512},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.label);
    RemoveAll();
    CreateDirectoryW(Wide(folder_).c_str(), nullptr);
    if (c.present) WriteFileBytes(c.bytes);
    StandaloneHost* host =
        StandaloneHost::Create(std::make_unique<PlatformSettingsEnvironment>(state_, folder_));
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->Init());
    EXPECT_TRUE(host->ApplyAudioSettings());
    EXPECT_EQ(state_.audio.lastRequest.sampleRate, c.expectedRate);
    EXPECT_EQ(state_.audio.lastRequest.bufferFrames, static_cast<uint32_t>(c.expectedBuffer));
    StandaloneHost::Destroy();

    EXPECT_EQ(FileBytes().substr(0, 2), "\xFF\xFE");
    DeviceSettings read;
    EXPECT_EQ(ReadDeviceSettings(*Store(), read), 13);
    EXPECT_EQ(read.sampleRate, c.expectedRate);
    EXPECT_EQ(read.bufferSize, c.expectedBuffer);
    EXPECT_STREQ(read.audioInputDevice.Get(),
                 "Mikrofon (\xC3\x9C"
                 "SB)");
    EXPECT_STREQ(read.audioOutputDevice.Get(), "Lautsprecher");
    EXPECT_STREQ(read.midiInputPort.Get(), "off");
    EXPECT_EQ(read.midiInputChannel, 0);
    EXPECT_EQ(read.driver, 0);
  }
}

}  // namespace
}  // namespace plugfw
