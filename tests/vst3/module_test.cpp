// The module as a host first meets it: the bundle, the entry points and their counter, the
// factory and its one class, instance creation and the interfaces of the component, and a
// second load in the same process.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

// A fixed text field as the module must fill it: the text, then zeros to the field's end.
template <size_t N, typename Char>
void ExpectFixedField(const Char (&field)[N], const std::basic_string<Char>& text, const char* what) {
  ASSERT_LT(text.size(), N) << what;
  std::vector<Char> expected(N, Char(0));
  std::copy(text.begin(), text.end(), expected.begin());
  EXPECT_EQ(0, std::memcmp(field, expected.data(), sizeof(field)))
      << what << " is not \"" << std::string(text.begin(), text.end()) << "\" followed by zeros";
}

std::wstring BundleFolder() {
  std::wstring path = PluginDllPath();
  return path.substr(0, path.find_last_of(L"/\\"));
}

TEST(Vst3Bundle, DllSitsAloneInTheArchitectureFolderOfTheBundle) {
  const std::wstring path = PluginDllPath();
  EXPECT_NE(std::wstring::npos, path.find(L"HALCYRA.vst3/Contents/x86_64-win/HALCYRA.vst3"))
      << ToUtf8(path.c_str());

  std::vector<std::wstring> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((BundleFolder() + L"/*").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") entries.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  ASSERT_EQ(1u, entries.size()) << "something lies beside the DLL, so loading it proves nothing";
  EXPECT_EQ(L"HALCYRA.vst3", entries[0]);
}

TEST(Vst3Module, LoadsAndResolvesTheThreeEntryPoints) {
  PluginModule module(PluginDllPath());
  ASSERT_NE(nullptr, module.Handle()) << "LoadLibrary failed with error " << GetLastError();
  ASSERT_TRUE(module.Loaded());
  EXPECT_TRUE(module.InitResult());
}

TEST(Vst3Module, UseCounterBalancesInitAndExitAndRefusesAnExtraExit) {
  PluginModule module(PluginDllPath());
  ASSERT_TRUE(module.Loaded());                               // counter 1
  EXPECT_TRUE(module.InitDll());                              // 2
  EXPECT_TRUE(module.ExitDll());                              // 1
  EXPECT_TRUE(module.ExitDll());                              // 0
  EXPECT_FALSE(module.ExitDll()) << "more exits than inits";  // -1
  EXPECT_TRUE(module.InitDll());                              // 0
  EXPECT_TRUE(module.InitDll());  // 1, balanced again for the module's own ExitDll

  IPluginFactory* factory = module.GetFactory();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(1, factory->countClasses());
  factory->release();
}

// The reference count an object has: what addRef answers, less the probe's own reference.
uint32 ReferenceCount(FUnknown* object) {
  const uint32 count = object->addRef() - 1;
  object->release();
  return count;
}

TEST(Vst3Factory, SecondCallReturnsTheSameFactoryWithOneMoreReference) {
  PluginModule module(PluginDllPath());
  ASSERT_TRUE(module.Loaded());
  IPluginFactory* first = module.GetFactory();
  ASSERT_NE(nullptr, first);
  const uint32 before = ReferenceCount(first);
  IPluginFactory* second = module.GetFactory();
  EXPECT_EQ(first, second);
  EXPECT_EQ(before + 1, ReferenceCount(first));
  second->release();
  first->release();
}

TEST(Vst3Factory, StaysUsableAfterTheHostReleasedEveryReference) {
  PluginModule module(PluginDllPath());
  ASSERT_TRUE(module.Loaded());
  IPluginFactory* factory = module.GetFactory();
  ASSERT_NE(nullptr, factory);
  factory->release();

  // A host that drops the factory and asks again must get a live one, not a dangling pointer.
  factory = module.GetFactory();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(1, factory->countClasses());
  PFactoryInfo info;
  EXPECT_EQ(kResultOk, factory->getFactoryInfo(&info));
  EXPECT_EQ("KESTRALYN", FixedText(info.vendor, sizeof(info.vendor)));
  HostApplication host;
  {
    PluginInstance plugin(factory, &host);
    EXPECT_TRUE(plugin.Ready());
  }
  factory->release();
}

class Vst3FactoryInfo : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(nullptr, factory_); }

  LoadedFactory loaded_;
  IPluginFactory* factory_ = loaded_.Factory();
};

TEST_F(Vst3FactoryInfo, NamesTheMakerAndStringsAreUnicode) {
  PFactoryInfo info;
  std::memset(static_cast<void*>(&info), 0xA5, sizeof(info));  // stale bytes must be overwritten
  ASSERT_EQ(kResultOk, factory_->getFactoryInfo(&info));
  ExpectFixedField(info.vendor, std::string("KESTRALYN"), "vendor");
  EXPECT_EQ(PFactoryInfo::kUnicode, info.flags);
  // The web and mail addresses are the maker's to choose; they must still be terminated texts.
  EXPECT_LT(strnlen(info.url, sizeof(info.url)), sizeof(info.url));
  EXPECT_LT(strnlen(info.email, sizeof(info.email)), sizeof(info.email));
}

TEST_F(Vst3FactoryInfo, OneClassWithItsIdCategoryAndNameByteForByte) {
  ASSERT_EQ(1, factory_->countClasses());
  PClassInfo info;
  std::memset(static_cast<void*>(&info), 0xA5, sizeof(info));  // stale bytes must be overwritten
  ASSERT_EQ(kResultOk, factory_->getClassInfo(0, &info));

  TUID expected;
  ExpectedClassId(expected);
  EXPECT_EQ(0, std::memcmp(info.cid, expected, sizeof(TUID)));
  EXPECT_EQ(PClassInfo::kManyInstances, info.cardinality);
  ExpectFixedField(info.category, std::string("Audio Module Class"), "category");
  ExpectFixedField(info.name, std::string("HALCYRA"), "name");

  PClassInfo beyond;
  EXPECT_NE(kResultOk, factory_->getClassInfo(1, &beyond));
}

TEST_F(Vst3FactoryInfo, ClassIdReadAsAGuidHasTheFourWordsInComOrder) {
  PClassInfo info;
  ASSERT_EQ(kResultOk, factory_->getClassInfo(0, &info));
  GUID guid;
  static_assert(sizeof(guid) == sizeof(TUID), "a class ID is a GUID");
  std::memcpy(&guid, info.cid, sizeof(guid));
  EXPECT_EQ(0x4B455354u, guid.Data1);  // "KEST"
  EXPECT_EQ(0x5241u, guid.Data2);      // "RA"
  EXPECT_EQ(0x4C59u, guid.Data3);      // "LY"
  EXPECT_EQ(0, std::memcmp(guid.Data4, "KstlHlcy", 8));
}

TEST_F(Vst3FactoryInfo, ExtendedClassInfoByteForByte) {
  void* object = nullptr;
  ASSERT_EQ(kResultOk, factory_->queryInterface(IPluginFactory2::iid, &object));
  auto* factory2 = static_cast<IPluginFactory2*>(object);
  PClassInfo2 info;
  std::memset(static_cast<void*>(&info), 0xA5, sizeof(info));  // stale bytes must be overwritten
  ASSERT_EQ(kResultOk, factory2->getClassInfo2(0, &info));

  TUID expected;
  ExpectedClassId(expected);
  EXPECT_EQ(0, std::memcmp(info.cid, expected, sizeof(TUID)));
  EXPECT_EQ(PClassInfo::kManyInstances, info.cardinality);
  ExpectFixedField(info.category, std::string("Audio Module Class"), "category");
  ExpectFixedField(info.name, std::string("HALCYRA"), "name");
  EXPECT_EQ(uint32(kSimpleModeSupported), info.classFlags);
  ExpectFixedField(info.subCategories, std::string("Fx|Modulation"), "subCategories");
  ExpectFixedField(info.vendor, std::string(), "vendor");  // the factory's vendor applies
  ExpectFixedField(info.version, std::string("0.1.0"), "version");
  ExpectFixedField(info.sdkVersion, std::string("VST 3.8.1"), "sdkVersion");
  factory2->release();
}

TEST_F(Vst3FactoryInfo, UnicodeClassInfoWhenOfferedAgreesWithTheClassRecord) {
  void* object = nullptr;
  if (factory_->queryInterface(IPluginFactory3::iid, &object) != kResultOk)
    GTEST_SKIP() << "the factory offers no IPluginFactory3";
  auto* factory3 = static_cast<IPluginFactory3*>(object);
  PClassInfoW info;
  ASSERT_EQ(kResultOk, factory3->getClassInfoUnicode(0, &info));
  EXPECT_EQ("HALCYRA", ToUtf8(info.name));
  EXPECT_EQ("Fx|Modulation", FixedText(info.subCategories, sizeof(info.subCategories)));
  EXPECT_EQ("0.1.0", ToUtf8(info.version));
  EXPECT_EQ("VST 3.8.1", ToUtf8(info.sdkVersion));
  factory3->release();
}

TEST_F(Vst3FactoryInfo, CreatesOnlyItsOwnClass) {
  TUID other;
  ExpectedClassId(other);
  other[15] ^= 0x01;
  void* object = reinterpret_cast<void*>(1);
  EXPECT_NE(kResultOk, factory_->createInstance(other, IComponent::iid, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(Vst3FactoryInfo, CreatedObjectIsTheAudioProcessorToo) {
  TUID cid;
  ExpectedClassId(cid);
  void* object = nullptr;
  ASSERT_EQ(kResultOk, factory_->createInstance(cid, IAudioProcessor::iid, &object));
  ASSERT_NE(nullptr, object);
  auto* processor = static_cast<IAudioProcessor*>(object);
  void* component = nullptr;
  EXPECT_EQ(kResultOk, processor->queryInterface(IComponent::iid, &component));
  if (component) static_cast<IComponent*>(component)->release();
  processor->release();
}

// ---------------------------------------------------------------------------------------------

class Vst3Component : public Vst3FactoryInfo {
 protected:
  HostApplication host_;
};

struct InterfaceCase {
  const char* name;
  const FUID& iid;
};

TEST_F(Vst3Component, AnswersEveryInterfaceOfASingleComponentEffectWithOneIdentity) {
  PluginInstance plugin(factory_, &host_);
  ASSERT_TRUE(plugin.Ready());
  const InterfaceCase cases[] = {
      {"FUnknown", FUnknown::iid},
      {"IPluginBase", IPluginBase::iid},
      {"IComponent", IComponent::iid},
      {"IAudioProcessor", IAudioProcessor::iid},
      {"IEditController", IEditController::iid},
      {"IEditController2", IEditController2::iid},
      {"IUnitInfo", IUnitInfo::iid},
      {"IConnectionPoint", IConnectionPoint::iid},
      {"IProcessContextRequirements", IProcessContextRequirements::iid},
      {"IMidiMapping", IMidiMapping::iid},
      {"ChannelContext::IInfoListener", ChannelContext::IInfoListener::iid},
  };
  void* identity = nullptr;
  ASSERT_EQ(kResultOk, plugin.component->queryInterface(FUnknown::iid, &identity));
  for (const InterfaceCase& c : cases) {
    void* object = nullptr;
    ASSERT_EQ(kResultOk, plugin.component->queryInterface(c.iid, &object)) << c.name;
    ASSERT_NE(nullptr, object) << c.name;
    auto* unknown = static_cast<FUnknown*>(object);
    void* back = nullptr;
    EXPECT_EQ(kResultOk, unknown->queryInterface(FUnknown::iid, &back)) << c.name;
    EXPECT_EQ(identity, back) << c.name << " leads to another object";
    if (back) static_cast<FUnknown*>(back)->release();
    unknown->release();
  }
  static_cast<FUnknown*>(identity)->release();
}

TEST_F(Vst3Component, RefusesHostSideInterfaces) {
  PluginInstance plugin(factory_, &host_);
  ASSERT_TRUE(plugin.Ready());
  for (const FUID* iid : {&IHostApplication::iid, &IComponentHandler::iid, &IBStream::iid}) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(kNoInterface, plugin.component->queryInterface(*iid, &object));
    EXPECT_EQ(nullptr, object);
  }
}

TEST_F(Vst3Component, InitializeAsksTheHostForItsNameAndTerminateLetsGoOfTheHost) {
  RecordingComponentHandler handler;
  {
    PluginInstance plugin(factory_, &host_, &handler);
    ASSERT_TRUE(plugin.Ready());
    EXPECT_GE(host_.NameQueries(), 1);
  }
  EXPECT_EQ(1, host_.References()) << "the plug-in still holds the host context after terminate";
  EXPECT_EQ(1, handler.References()) << "the plug-in still holds the component handler";
}

TEST_F(Vst3Component, ReportsSimpleIoAndSupportsBothSampleSizesOnly) {
  PluginInstance plugin(factory_, &host_);
  ASSERT_TRUE(plugin.Ready());
  EXPECT_EQ(kResultOk, plugin.processor->canProcessSampleSize(kSample32));
  EXPECT_EQ(kResultOk, plugin.processor->canProcessSampleSize(kSample64));
  EXPECT_EQ(kResultFalse, plugin.processor->canProcessSampleSize(2));
  EXPECT_EQ(0u, plugin.processor->getLatencySamples());
}

TEST_F(Vst3Component, InstancesCreatedOnTwoThreadsAtOnceAreIndependent) {
  constexpr int kPerThread = 4;
  std::vector<std::unique_ptr<PluginInstance>> made[2];
  HostApplication hosts[2];
  std::thread threads[2];
  for (int t = 0; t < 2; ++t) {
    threads[t] = std::thread([&, t] {
      for (int i = 0; i < kPerThread; ++i)
        made[t].push_back(std::make_unique<PluginInstance>(factory_, &hosts[t]));
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<FUnknown*> seen;
  for (auto& list : made) {
    for (auto& plugin : list) {
      ASSERT_TRUE(plugin->Ready());
      EXPECT_EQ(129, plugin->controller->getParameterCount());
      seen.push_back(plugin->component);
    }
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen.end(), std::adjacent_find(seen.begin(), seen.end()));
  // One instance's parameter change stays its own.
  ASSERT_EQ(kResultOk, made[0][0]->controller->setParamNormalized(2, 1.0));
  EXPECT_EQ(1.0, made[0][0]->controller->getParamNormalized(2));
  EXPECT_NE(1.0, made[1][0]->controller->getParamNormalized(2));
}

// ---------------------------------------------------------------------------------------------

// One full host session: load, create, initialise, process a block, save state, tear down.
// Returns the state bytes so two sessions can be compared.
std::vector<uint8_t> RunOneSession() {
  std::vector<uint8_t> state;
  PluginModule module(PluginDllPath());
  EXPECT_TRUE(module.Loaded());
  if (!module.Loaded()) return state;
  IPluginFactory* factory = module.GetFactory();
  EXPECT_NE(nullptr, factory);
  if (!factory) return state;
  {
    HostApplication host;
    PluginInstance plugin(factory, &host);
    EXPECT_TRUE(plugin.Ready());
    if (plugin.Ready() && plugin.Start(48000.0, 512)) {
      AudioBlock block(512, 2, 2, kSample32);
      const std::vector<float> sine = Sine(512, 440.0, 48000.0, 0.5);
      block.SetInput(0, 0, sine.data());
      block.SetInput(0, 1, sine.data());
      EXPECT_EQ(kResultOk, plugin.processor->process(block.Data()));
      EXPECT_GT(Rms(block.OutputChannel(0)), 0.0);
      plugin.Stop();
      state = plugin.State();
    }
  }
  factory->release();
  return state;
}

TEST(Vst3Reload, SecondLoadInTheSameProcessBehavesLikeTheFirst) {
  const std::vector<uint8_t> first = RunOneSession();
  EXPECT_EQ(nullptr, GetModuleHandleW(PluginDllPath())) << "the module did not unload";
  const std::vector<uint8_t> second = RunOneSession();
  EXPECT_EQ(nullptr, GetModuleHandleW(PluginDllPath()));
  ASSERT_EQ(1048u, first.size());
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace halcyra_test
