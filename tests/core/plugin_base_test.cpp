#include "core/plugin_base.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "core/heap_buffer.h"
#include "core/plugin_config.h"
#include "tests/core/failing_allocator.h"
#include "tests/core/test_plugin.h"

namespace plugfw {
namespace {

using test::MakeTestConfig;
using test::TestPlugin;
using Calls = std::vector<std::string>;

PluginConfig ConfigWith(int32_t nParams, int32_t nPresets) {
  PluginConfig config = MakeTestConfig();
  config.paramCount = nParams;
  config.presetCount = nPresets;
  return config;
}

// Parameters -1000..1000 (linear, step 0.01) holding 0.5, 1.5, 2.5, ... by index.
void GiveDistinctValues(IPluginBase& plugin) {
  for (int32_t i = 0; i < plugin.NParams(); ++i) {
    plugin.GetParam(i)->InitDoubleParam("P", 0, -1000, 1000, 0.01);
    plugin.GetParam(i)->Set(i + 0.5);
  }
}

HeapBuffer BytesOf(const std::vector<uint8_t>& bytes) {
  HeapBuffer buffer;
  buffer.Append(bytes.data(), static_cast<int32_t>(bytes.size()));
  return buffer;
}

std::vector<uint8_t> LittleEndianDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  return bytes;
}

TEST(PluginBaseConfig, CopiesTheConfigurationIntoTheBases) {
  TestPlugin plugin(MakeTestConfig(), kApiKindVST3);
  EXPECT_STREQ(plugin.PluginName(), "Test Plug");
  EXPECT_STREQ(plugin.ProductName(), "Test Product");
  EXPECT_STREQ(plugin.MakerName(), "Test Maker");
  EXPECT_STREQ(plugin.ExtraTextA(), "first");
  EXPECT_STREQ(plugin.ExtraTextB(), "second");
  EXPECT_EQ(plugin.UniqueId(), 0x54737431);  // "Tst1"
  EXPECT_EQ(plugin.MakerId(), FourCharCode("Tsmk"));
  EXPECT_EQ(plugin.VersionNumber(), 0x30A02);
  EXPECT_EQ(plugin.ApiKind(), kApiKindVST3);
  EXPECT_EQ(plugin.StateFlag(), 1);
  EXPECT_TRUE(plugin.HasEditor());
  EXPECT_FALSE(plugin.HostMayResizeEditor());
  EXPECT_EQ(plugin.EditorWidth(), 600);
  EXPECT_EQ(plugin.EditorHeight(), 400);
  // The configuration gives each pair larger first.
  EXPECT_EQ(plugin.MinEditorWidth(), 300);
  EXPECT_EQ(plugin.MaxEditorWidth(), 1200);
  EXPECT_EQ(plugin.MinEditorHeight(), 200);
  EXPECT_EQ(plugin.MaxEditorHeight(), 800);
  EXPECT_EQ(plugin.NParams(), 4);
  EXPECT_EQ(plugin.GetHost(), kHostUninit);
  EXPECT_EQ(plugin.HostVersion(), 0);
  EXPECT_EQ(plugin.CurrentPresetIndex(), 0);
}

TEST(PluginBaseConfig, NamesKeepAtMost128Characters) {
  const std::string longName(200, 'n');
  PluginConfig config = MakeTestConfig();
  config.pluginName = longName.c_str();
  config.productName = nullptr;
  TestPlugin plugin(config);
  EXPECT_EQ(std::string(plugin.PluginName()), longName.substr(0, 128));
  EXPECT_STREQ(plugin.ProductName(), "");
}

TEST(PluginBaseConfig, ConstrainEditorSizeUsesTheConfiguredBounds) {
  struct Case {
    int32_t width, height;
    bool fits;
    int32_t expectedWidth, expectedHeight;
  };
  const Case cases[] = {
      {600, 400, true, 600, 400},  {300, 800, true, 300, 800},   {299, 400, false, 300, 400},
      {600, 801, false, 600, 800}, {5, 200000, false, 300, 800}, {2000, 100, false, 1200, 200},
  };
  TestPlugin plugin;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    int32_t width = c.width;
    int32_t height = c.height;
    EXPECT_EQ(plugin.ConstrainEditorSize(width, height), c.fits);
    EXPECT_EQ(width, c.expectedWidth);
    EXPECT_EQ(height, c.expectedHeight);
  }
}

TEST(PluginBaseVersion, PacksAndGivesTheDecimalForm) {
  EXPECT_EQ(PackVersion(3, 10, 2), 0x30A02);
  EXPECT_EQ(IPluginBase::VersionNumber(0x30A02, true), 31002);
  EXPECT_EQ(IPluginBase::VersionNumber(0x30A02, false), 0x30A02);
  EXPECT_EQ(PackVersion(0, 1, 0), 256);
  EXPECT_EQ(IPluginBase::VersionNumber(256, true), 100);
  EXPECT_EQ(FourCharCode("Hlcy"), 0x486C6379);

  TestPlugin plugin;
  EXPECT_EQ(plugin.VersionNumber(true), 31002);
}

TEST(PluginBasePresets, AFreshBaseHasEveryPresetSlotEmpty) {
  TestPlugin plugin(ConfigWith(0, 40));
  ASSERT_EQ(plugin.NPresets(), 40);
  for (int32_t i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const PluginPreset* preset = plugin.GetPreset(i);
    ASSERT_NE(preset, nullptr);
    EXPECT_FALSE(preset->initialised);
    EXPECT_STREQ(preset->name, "empty");
    EXPECT_EQ(preset->chunk.Size(), 0);
  }
  EXPECT_EQ(plugin.GetPreset(40), nullptr);
  EXPECT_EQ(plugin.GetPreset(-1), nullptr);
}

TEST(PluginBasePresets, StoringFillsSlotsInOrderAndDropsWhatDoesNotFit) {
  TestPlugin plugin(ConfigWith(0, 2));
  EXPECT_TRUE(plugin.StorePresetChunk("First", BytesOf({1, 2, 3})));
  EXPECT_TRUE(plugin.StorePresetChunk("Second", BytesOf({4})));
  EXPECT_FALSE(plugin.StorePresetChunk("Third", BytesOf({5, 6})));

  const PluginPreset* first = plugin.GetPreset(0);
  const PluginPreset* second = plugin.GetPreset(1);
  EXPECT_TRUE(first->initialised);
  EXPECT_STREQ(first->name, "First");
  ASSERT_EQ(first->chunk.Size(), 3);
  EXPECT_EQ(std::memcmp(first->chunk.Data(), "\x01\x02\x03", 3), 0);
  EXPECT_STREQ(second->name, "Second");
  EXPECT_EQ(second->chunk.Size(), 1);
}

TEST(PluginBasePresets, LongNamesAreCutBelow256BytesWithoutSplittingACharacter) {
  TestPlugin plugin(ConfigWith(0, 2));
  const std::string ascii(300, 'a');
  // 254 bytes, then a two-byte character that would end at byte 256.
  const std::string wide = std::string(254, 'b') + "\xC3\xA9" + "tail";
  ASSERT_TRUE(plugin.StorePresetChunk(ascii.c_str(), BytesOf({0})));
  ASSERT_TRUE(plugin.StorePresetChunk(wide.c_str(), BytesOf({0})));
  EXPECT_EQ(std::string(plugin.GetPreset(0)->name), ascii.substr(0, 255));
  EXPECT_EQ(std::string(plugin.GetPreset(1)->name), wide.substr(0, 254));
}

TEST(PluginBasePresets, ASlotWhoseChunkCannotBeCopiedStaysFree) {
  TestPlugin plugin(ConfigWith(0, 2));
  {
    test::FailingAllocatorScope refuse;
    EXPECT_TRUE(plugin.StorePresetChunk("Blank", BytesOf({})));  // an empty chunk needs no storage
  }
  EXPECT_TRUE(plugin.GetPreset(0)->initialised);

  const HeapBuffer chunk = BytesOf({7, 8});
  {
    test::FailingAllocatorScope refuse;
    EXPECT_FALSE(plugin.StorePresetChunk("Refused", chunk));
  }
  EXPECT_FALSE(plugin.GetPreset(1)->initialised);
  EXPECT_STREQ(plugin.GetPreset(1)->name, "empty");
  EXPECT_TRUE(plugin.StorePresetChunk("Kept", chunk));
  EXPECT_STREQ(plugin.GetPreset(1)->name, "Kept");
}

TEST(PluginBaseParams, SerialisesEachValueAsALittleEndianDoubleAfterWhatIsThere) {
  TestPlugin plugin(ConfigWith(2, 0));
  GiveDistinctValues(plugin);
  plugin.GetParam(1)->Set(-2.25);
  HeapBuffer chunk = BytesOf({0xAA});
  ASSERT_TRUE(plugin.SerializeParams(chunk));

  std::vector<uint8_t> expected{0xAA};
  for (double value : {0.5, -2.25}) {
    const std::vector<uint8_t> bytes = LittleEndianDouble(value);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  ASSERT_EQ(chunk.Size(), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size()), expected);
  // 0.5 is 0x3FE0000000000000: the sign and exponent byte comes last.
  EXPECT_EQ(chunk.Data()[8], 0x3F);
  EXPECT_EQ(chunk.Data()[7], 0xE0);
}

TEST(PluginBaseParams, RoundTripsAFullParameterSetFromAnyPosition) {
  TestPlugin writer(ConfigWith(128, 0));
  GiveDistinctValues(writer);
  HeapBuffer chunk = BytesOf({1, 2, 3, 4, 5});
  ASSERT_TRUE(writer.WriteState(chunk));
  ASSERT_EQ(chunk.Size(), 5 + 1024);

  TestPlugin reader(ConfigWith(128, 0));
  GiveDistinctValues(reader);
  for (int32_t i = 0; i < 128; ++i) reader.GetParam(i)->Set(-1);
  EXPECT_EQ(reader.ReadState(chunk, 5), 5 + 1024);
  for (int32_t i = 0; i < 128; ++i) EXPECT_DOUBLE_EQ(reader.GetParam(i)->Value(), i + 0.5) << i;
}

TEST(PluginBaseParams, WithNoParametersNothingIsWrittenOrRead) {
  TestPlugin plugin(ConfigWith(0, 0));
  HeapBuffer chunk;
  EXPECT_TRUE(plugin.SerializeParams(chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(plugin.UnserializeParams(chunk, 0), 0);
}

TEST(PluginBaseParams, ReadValuesAreClamped) {
  TestPlugin plugin(ConfigWith(3, 0));
  GiveDistinctValues(plugin);
  plugin.GetParam(2)->InitDoubleParam("P", 42, -1000, 1000, 0.01);
  std::vector<uint8_t> bytes;
  for (double value : {5000.0, -1e300, std::numeric_limits<double>::quiet_NaN()}) {
    const std::vector<uint8_t> encoded = LittleEndianDouble(value);
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  }
  EXPECT_EQ(plugin.UnserializeParams(BytesOf(bytes), 0), 24);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 1000);
  EXPECT_EQ(plugin.GetParam(1)->Value(), -1000);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 42);  // not a number: the default
}

// A chunk that does not hold every value from the position on is refused before any value is
// written: no parameter changes and no change hook runs.
TEST(PluginBaseParams, ShortChunksAndBadPositionsAreRefusedWithMinusOneChangingNothing) {
  struct Case {
    const char* what;
    int32_t chunkSize;
    int32_t startPos;
  };
  const Case cases[] = {
      {"8 bytes short", 1024 - 8, 0},          {"1 byte short", 1024 - 1, 0},
      {"start past the last value", 1024, 8},  {"empty chunk", 0, 0},
      {"start beyond the end", 1024, 2000},    {"negative start", 1024, -1},
      {"large negative start", 1024, -100000}, {"start near the largest position", 1024, INT32_MAX - 4},
  };
  TestPlugin writer(ConfigWith(128, 0));
  GiveDistinctValues(writer);
  HeapBuffer full;
  ASSERT_TRUE(writer.SerializeParams(full));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeapBuffer chunk;
    chunk.Append(full.Data(), c.chunkSize);
    TestPlugin reader(ConfigWith(128, 0));
    GiveDistinctValues(reader);
    for (int32_t i = 0; i < 128; ++i) reader.GetParam(i)->Set(-1);
    reader.calls.clear();

    EXPECT_EQ(reader.UnserializeParams(chunk, c.startPos), -1);
    for (int32_t i = 0; i < 128; ++i) ASSERT_EQ(reader.GetParam(i)->Value(), -1) << i;
    EXPECT_TRUE(reader.calls.empty()) << reader.calls.front();
  }
}

TEST(PluginBaseParams, AChunkWithRoomToSpareIsReadFromThePositionOn) {
  TestPlugin writer(ConfigWith(128, 0));
  GiveDistinctValues(writer);
  HeapBuffer chunk;
  const uint8_t header[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  chunk.Append(header, 8);
  ASSERT_TRUE(writer.SerializeParams(chunk));
  chunk.Append(header, 8);  // what follows the values is the caller's business

  TestPlugin reader(ConfigWith(128, 0));
  GiveDistinctValues(reader);
  for (int32_t i = 0; i < 128; ++i) reader.GetParam(i)->Set(-1);
  reader.calls.clear();
  EXPECT_EQ(reader.UnserializeParams(chunk, 8), 8 + 1024);
  for (int32_t i = 0; i < 128; ++i) ASSERT_EQ(reader.GetParam(i)->Value(), writer.GetParam(i)->Value()) << i;
  ASSERT_EQ(reader.calls.size(), 3u * 128);
  EXPECT_EQ(reader.calls.front(), "OnParamChange(0,Preset,-1)");
  EXPECT_EQ(reader.calls.back(), "ParamChangedUI(127,Preset)");
}

TEST(PluginBaseParams, AFailedGrowthIsReportedAndLeavesTheChunkAsItWas) {
  TestPlugin plugin(ConfigWith(4, 0));
  GiveDistinctValues(plugin);

  HeapBuffer empty;
  {
    test::FailingAllocatorScope refuse;
    EXPECT_FALSE(plugin.SerializeParams(empty));
  }
  EXPECT_EQ(empty.Size(), 0);

  // Room for one more value within the storage it has: the first append succeeds and
  // the second needs growth, so a check for an empty chunk alone would miss this.
  HeapBuffer partlyFull;
  partlyFull.Resize(1);
  const int32_t fillerSize = partlyFull.Capacity() - 12;
  partlyFull.Resize(fillerSize);  // within the storage it has
  {
    test::FailingAllocatorScope refuse;
    EXPECT_FALSE(plugin.SerializeParams(partlyFull));
    EXPECT_FALSE(plugin.WriteState(partlyFull));
  }
  EXPECT_EQ(partlyFull.Size(), fillerSize);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(HostIdentification, EverySubstringOfTheTableGivesItsCodeInAnyCase) {
  struct Row {
    const char* substring;
    int32_t code;
  };
  const Row rows[] = {
      {"reaper", 1},         {"protools", 2},
      {"cubase", 3},         {"nuendo", 4},
      {"cakewalk", 5},       {"vegas", 6},
      {"fruity", 7},         {"samplitude", 8},
      {"live", 9},           {"tracktion", 10},
      {"ntracks", 11},       {"melodyne", 12},
      {"vstmanlib", 13},     {"aulab", 14},
      {"forte", 15},         {"chainer", 16},
      {"audition", 17},      {"orion", 18},
      {"bias", 19},          {"sawstudio", 20},
      {"logic", 21},         {"garageband", 22},
      {"digital", 23},       {"audiomulch", 25},
      {"presonus", 26},      {"vst3plugintesthost", 27},
      {"ardour", 28},        {"renoise", 29},
      {"openmpt", 30},       {"wavelab elements", 32},
      {"wavelab", 31},       {"twistedwave", 33},
      {"bitwig studio", 34}, {"reason", 36},
      {"gwvst", 37},         {"waveform", 38},
      {"audacity", 39},      {"acoustica", 40},
      {"plugindoctor", 41},  {"izotope rx", 42},
      {"savihost", 43},      {"blue cat's vst host", 44},
      {"mixbus", 45},        {"standalone", 24},
      {"www", 35},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.substring);
    EXPECT_EQ(IPluginBase::ClassifyHostName(row.substring), row.code);
    EXPECT_EQ(IPluginBase::ClassifyHostName(("My " + Upper(row.substring) + " 9").c_str()), row.code);
  }
}

TEST(HostIdentification, OrderDecidesOverlapsAndUnlistedNamesAreUnknown) {
  struct Case {
    const char* name;
    int32_t code;
  };
  const Case cases[] = {
      {"REAPER", kHostReaper},
      {"Ableton Live 12", kHostLive},
      {"WaveLab Elements 12", kHostWaveLabElements},
      {"WaveLab Pro", kHostWaveLab},
      {"Bitwig Studio", kHostBitwig},
      {"Studio One (PreSonus)", kHostPreSonus},
      {"Reason Live Rack", kHostLive},     // "live" is tested before "reason"
      {"Cubase standalone", kHostCubase},  // product names before "standalone"
      {"standalone www player", kHostStandalone},
      {"www.example.com", kHostWWW},
      {"Bitwig", kHostUnknown},  // only "bitwig studio" is listed
      {"FL Studio", kHostUnknown},
      {"", kHostUnknown},
      {nullptr, kHostUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    EXPECT_EQ(IPluginBase::ClassifyHostName(c.name), c.code);
  }
  // No length limit: the name is searched to its end.
  const std::string longName = std::string(300, 'x') + "Reaper";
  EXPECT_EQ(IPluginBase::ClassifyHostName(longName.c_str()), kHostReaper);
}

TEST(HostIdentification, SetHostStoresTheHostThenRunsBothHooks) {
  TestPlugin plugin;
  plugin.SetHost("Cubase Pro", PackVersion(13, 0, 41));
  EXPECT_STREQ(plugin.HostName(), "Cubase Pro");
  EXPECT_EQ(plugin.GetHost(), kHostCubase);
  EXPECT_EQ(plugin.HostVersion(), PackVersion(13, 0, 41));
  EXPECT_EQ(plugin.HostVersion(true), 130041);
  // The first hook already sees the classified host.
  EXPECT_EQ(plugin.calls, (Calls{"OnHostIdentified(3)", "OnHostSettled"}));

  plugin.SetHost("standalone", plugin.VersionNumber());
  EXPECT_EQ(plugin.GetHost(), kHostStandalone);
}

// The audio thread reads parameter values, the host code and the preset index while the
// UI thread writes them; under ThreadSanitizer a plain field here would be reported.
TEST(PluginBaseThreads, AudioSideReadsRaceWithUIWritesSafely) {
  TestPlugin plugin(ConfigWith(2, 2));
  GiveDistinctValues(plugin);
  std::atomic<bool> done{false};
  std::atomic<int32_t> outOfRange{0};

  std::thread audio([&] {
    while (!done.load()) {
      const double value = plugin.GetParam(0)->Value();
      const int32_t host = plugin.GetHost();
      const int32_t preset = plugin.CurrentPresetIndex();
      if (value < -1000 || value > 1000 || host < kHostUninit || preset < 0 || preset > 1) ++outOfRange;
    }
  });
  for (int32_t i = 0; i < 2000; ++i) {
    plugin.SetParamFromUI(0, (i % 100) / 100.0);
    plugin.SetCurrentPresetIndex(i % 2);
    if (i % 100 == 0) plugin.SetHost(i % 200 ? "REAPER" : "Ableton Live", 0);
    plugin.calls.clear();
  }
  done.store(true);
  audio.join();
  EXPECT_EQ(outOfRange.load(), 0);
}

}  // namespace
}  // namespace plugfw
