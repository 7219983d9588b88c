// The settings file's rules: every key checked on read with its own fallback, the written form
// and order, a rewrite that fails part-way, and the comparisons of settings records.

#include "app/device_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

using test::FakeSettingsFile;
using test::FakeSettingsStore;

DeviceSettings ReadFrom(FakeSettingsFile& file) {
  FakeSettingsStore store(file);
  DeviceSettings settings;
  ReadDeviceSettings(store, settings);
  return settings;
}

TEST(ReadDeviceSettings, MissingKeysGiveTheFileDefaults) {
  FakeSettingsFile file;
  file.Set("audio", "sr", "48000");
  const DeviceSettings settings = ReadFrom(file);
  EXPECT_EQ(settings.sampleRate, 48000);
  EXPECT_STREQ(settings.audioInputDevice.Get(), "Built-in Input");
  EXPECT_STREQ(settings.audioOutputDevice.Get(), "Built-in Output");
  EXPECT_STREQ(settings.midiInputPort.Get(), "no input");
  EXPECT_STREQ(settings.midiOutputPort.Get(), "no output");
  EXPECT_EQ(settings.bufferSize, 512);
  EXPECT_EQ(settings.driver, 0);
  EXPECT_EQ(settings.firstInputChannel, 1);
  EXPECT_EQ(settings.secondInputChannel, 2);
  EXPECT_EQ(settings.firstOutputChannel, 1);
  EXPECT_EQ(settings.secondOutputChannel, 2);
  EXPECT_EQ(settings.midiInputChannel, 0);
  EXPECT_EQ(settings.midiOutputChannel, 0);
}

struct NumberCase {
  const char* section;
  const char* key;
  const char* value;
  int32_t DeviceSettings::*field;
  int32_t expected;
};

TEST(ReadDeviceSettings, EveryNumberIsCheckedAndFallsBackAlone) {
  const NumberCase cases[] = {
      {"audio", "sr", "48000", &DeviceSettings::sampleRate, 48000},
      {"audio", "sr", "8000", &DeviceSettings::sampleRate, 8000},
      {"audio", "sr", "384000", &DeviceSettings::sampleRate, 384000},
      {"audio", "sr", "7999", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "384001", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "0", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "-48000", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "48k", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "99999999999999999999", &DeviceSettings::sampleRate, 44100},
      {"audio", "sr", "", &DeviceSettings::sampleRate, 44100},
      {"audio", "buffer", "1024", &DeviceSettings::bufferSize, 1024},
      {"audio", "buffer", "32", &DeviceSettings::bufferSize, 32},
      {"audio", "buffer", "8192", &DeviceSettings::bufferSize, 8192},
      {"audio", "buffer", "500", &DeviceSettings::bufferSize, 512},
      {"audio", "buffer", "0", &DeviceSettings::bufferSize, 512},
      {"audio", "buffer", "1000000000", &DeviceSettings::bufferSize, 512},
      {"audio", "buffer", "garbage", &DeviceSettings::bufferSize, 512},
      {"audio", "driver", "0", &DeviceSettings::driver, 0},
      {"audio", "driver", "3", &DeviceSettings::driver, 0},
      {"audio", "in1", "3", &DeviceSettings::firstInputChannel, 3},
      {"audio", "in1", "0", &DeviceSettings::firstInputChannel, 1},
      {"audio", "in2", "x", &DeviceSettings::secondInputChannel, 2},
      {"audio", "out1", "0", &DeviceSettings::firstOutputChannel, 1},
      {"audio", "out2", "4294967295", &DeviceSettings::secondOutputChannel, 2},
      {"midi", "inchan", "16", &DeviceSettings::midiInputChannel, 16},
      {"midi", "inchan", "17", &DeviceSettings::midiInputChannel, 0},
      {"midi", "outchan", "5", &DeviceSettings::midiOutputChannel, 5},
      {"midi", "outchan", "-1", &DeviceSettings::midiOutputChannel, 0},
  };
  for (const NumberCase& c : cases) {
    FakeSettingsFile file;
    file.Set(c.section, c.key, c.value);
    file.Set("audio", "sr", c.key == std::string("sr") ? c.value : "96000");  // a valid neighbour
    const DeviceSettings settings = ReadFrom(file);
    EXPECT_EQ(settings.*c.field, c.expected) << c.section << "/" << c.key << " = '" << c.value << "'";
    if (std::string(c.key) != "sr") {
      EXPECT_EQ(settings.sampleRate, 96000) << c.key;
    }
  }
}

struct NameCase {
  const char* label;
  std::string value;
  std::string expected;
};

TEST(ReadDeviceSettings, NamesKeepUtf8AndRefuseWhatNoDeviceCanBear) {
  const std::string longName(3000, 'n');
  const NameCase cases[] = {
      {"plain", "Speakers (USB)", "Speakers (USB)"},
      {"non-ASCII", "Lautsprecher (Realtek\xC2\xAE Audio) \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC",
       "Lautsprecher (Realtek\xC2\xAE Audio) \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC"},
      {"120 bytes survive whole", std::string(120, 'a'), std::string(120, 'a')},
      {"overlong cut to the buffer", longName, std::string(kSettingsTextBytes - 1, 'n')},
      {"empty", "", "Built-in Input"},
      {"malformed UTF-8", "Bad \xC3 name", "Built-in Input"},
      {"control character", "Bad\x01name", "Built-in Input"},
  };
  for (const NameCase& c : cases) {
    FakeSettingsFile file;
    file.Set("audio", "indev", c.value);
    EXPECT_EQ(ReadFrom(file).audioInputDevice.Get(), c.expected) << c.label;
  }
}

TEST(ReadDeviceSettings, UnknownKeysAndSectionsAreIgnored) {
  FakeSettingsFile file;
  file.Set("audio", "volume", "11");
  file.Set("video", "sr", "22050");
  file.Set("audio", "buffer", "256");
  const DeviceSettings settings = ReadFrom(file);
  EXPECT_EQ(settings.bufferSize, 256);
  EXPECT_EQ(settings.sampleRate, 44100);
}

TEST(WriteDeviceSettings, WritesAllThirteenKeysInFileOrderAndReadsBackTheSame) {
  DeviceSettings written;
  written.audioInputDevice.Set(
      "Mikrofon (\xC3\x9C"
      "ber)");
  written.audioOutputDevice.Set("Speakers");
  written.midiInputPort.Set("Keys 1");
  written.sampleRate = 96000;
  written.bufferSize = 128;
  written.midiOutputChannel = 16;
  written.secondInputChannel = 7;
  FakeSettingsFile file;
  FakeSettingsStore store(file);
  ASSERT_TRUE(WriteDeviceSettings(store, written));
  const std::vector<std::pair<std::string, std::string>> order = {
      {"audio", "driver"}, {"audio", "indev"}, {"audio", "outdev"}, {"audio", "in1"}, {"audio", "in2"},
      {"audio", "out1"},   {"audio", "out2"},  {"audio", "buffer"}, {"audio", "sr"},  {"midi", "indev"},
      {"midi", "outdev"},  {"midi", "inchan"}, {"midi", "outchan"}};
  EXPECT_EQ(file.writeOrder, order);
  EXPECT_EQ(file.Get("audio", "sr"), "96000");
  EXPECT_EQ(file.Get("midi", "outdev"), "off");
  EXPECT_TRUE(ReadFrom(file).Equals(written));
}

TEST(WriteDeviceSettings, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
  FakeSettingsFile file;
  FakeSettingsStore store(file);
  DeviceSettings good;
  good.audioInputDevice.Set("Line In");
  good.sampleRate = 96000;
  ASSERT_TRUE(WriteDeviceSettings(store, good));
  const auto before = file.values;

  DeviceSettings changed;
  changed.audioInputDevice.Set("USB Mic");
  changed.sampleRate = 22050;
  for (int32_t failing : {0, 1, 5, 12}) {
    file.failingWrite = failing;
    EXPECT_FALSE(WriteDeviceSettings(store, changed)) << failing;
    EXPECT_EQ(file.values, before) << "a write failing at key " << failing;
  }
  EXPECT_EQ(file.rewrites, 1);
  const DeviceSettings read = ReadFrom(file);
  EXPECT_STREQ(read.audioInputDevice.Get(), "Line In");
  EXPECT_EQ(read.sampleRate, 96000);
}

TEST(ParseSettingsNumber, AcceptsOnlyPlainDecimals) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {{"0", true, 0},           {"  42 ", true, 42}, {"2147483647", true, INT32_MAX},
                        {"2147483648", false, 0}, {"+5", false, 0},    {"-5", false, 0},
                        {"5x", false, 0},         {"0x10", false, 0},  {"", false, 0},
                        {"  ", false, 0},         {"1 2", false, 0}};
  for (const Case& c : cases) {
    int32_t value = -7;
    EXPECT_EQ(ParseSettingsNumber(c.text, value), c.ok) << "'" << c.text << "'";
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(SettingsComparison, AudioAndMidiHalvesAreComparedApart) {
  DeviceSettings a;
  DeviceSettings b;
  EXPECT_TRUE(a.Equals(b));
  b.midiInputChannel = 3;
  EXPECT_TRUE(AudioSettingsEqual(a, b));
  EXPECT_FALSE(MidiSettingsEqual(a, b));
  EXPECT_FALSE(a.Equals(b));
  b = a;
  b.audioOutputDevice.Set("Default Device ");  // exact bytes
  EXPECT_FALSE(AudioSettingsEqual(a, b));
  EXPECT_TRUE(MidiSettingsEqual(a, b));
  b = a;
  b.secondOutputChannel = 5;
  EXPECT_FALSE(AudioSettingsEqual(a, b));
}

}  // namespace
}  // namespace plugfw
