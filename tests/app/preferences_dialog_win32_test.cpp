// The preferences dialog under Wine, driven through its control identifiers inside its own modal
// loop (a thread timer runs the script; a watchdog ends a dialog the script left open) against
// the standalone host with fake devices.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/preferences_dialog.h"
#include "app/standalone_host.h"
#include "resources/resource_ids.h"
#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

using Texts = std::vector<std::string>;
constexpr UINT kScriptPollMs = 20;
constexpr UINT kWatchdogMs = 20000;
constexpr INT_PTR kLeftOpen = -3;
const char* const kUsbMic =
    "Micr\xC3\xB3"
    "fono USB \xE2\x80\x94 Stereo";  // as the device reports it

std::function<void(HWND)>& Script() {
  static std::function<void(HWND)> script;
  return script;
}

HWND FindPreferences() { return FindWindowW(L"#32770", L"Preferences"); }

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindPreferences();
  if (dialog == nullptr || !Script()) return;
  KillTimer(nullptr, timer);
  const std::function<void(HWND)> script = std::move(Script());
  Script() = nullptr;
  script(dialog);
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (HWND dialog = FindPreferences()) EndDialog(dialog, kLeftOpen);
}

Texts ComboTexts(HWND dialog, int id) {
  Texts texts;
  const LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT got =
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    texts.push_back(text);
  }
  return texts;
}

int Selected(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

// What a user's pick in the drop-down list does: the selection moves, the dialog is told.
void Choose(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class PreferencesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.audio.devices = {test::FakeDevice("Primary Sound Driver", 0, 2, {44100, 48000}, true),
                           test::FakeDevice("Speakers", 0, 8, {44100, 48000, 96000}),
                           test::FakeDevice("Capture: Line In", 2, 0, {44100, 48000}, true),
                           test::FakeDevice(kUsbMic, 4, 0, {48000})};
    test::SaveStudioChoices(state);
  }
  void TearDown() override { StandaloneHost::Destroy(); }

  // As the program starts: the stream runs unless the devices refuse every stream.
  void Start() {
    host = StandaloneHost::Create(std::make_unique<test::FakeHostEnvironment>(state));
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->Init());
    ASSERT_EQ(host->ApplyAudioSettings(), state.audio.openSucceeds);
  }

  // Opens the dialog modally and runs the script inside its loop; the dialog's result.
  INT_PTR RunDialog(std::function<void(HWND)> script) {
    Script() = std::move(script);
    const UINT_PTR poll = SetTimer(nullptr, 0, kScriptPollMs, &RunScript);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, kWatchdogMs, &Watchdog);
    const INT_PTR result = RunPreferencesDialog(GetModuleHandleW(nullptr), nullptr, *host);
    KillTimer(nullptr, poll);
    KillTimer(nullptr, watchdog);
    EXPECT_FALSE(Script()) << "the dialog ended before its script ran";
    Script() = nullptr;
    return result;
  }
  DeviceSettings& Settings() { return host->CurrentSettings(); }

  test::FakeEnvironmentState state;
  StandaloneHost* host = nullptr;
};

TEST_F(PreferencesDialogTest, ListsAndChannelRulesThroughTheControls) {
  Start();
  const INT_PTR result = RunDialog([&](HWND dialog) {
    EXPECT_EQ(ComboTexts(dialog, IDC_DRIVER), Texts{"DirectSound"});
    EXPECT_EQ(Selected(dialog, IDC_DRIVER), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_AUDIO_INPUT_DEVICE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_DRIVER_CONFIG)));
    EXPECT_EQ(ComboTexts(dialog, IDC_BUFFER_SIZE),
              (Texts{"32", "64", "96", "128", "192", "256", "512", "1024", "2048", "4096", "8192"}));
    EXPECT_EQ(Selected(dialog, IDC_BUFFER_SIZE), 6);
    Choose(dialog, IDC_BUFFER_SIZE, 7);
    EXPECT_EQ(Settings().bufferSize, 1024);

    // Line In (2 channels) and Speakers (8): rates both offer.
    EXPECT_EQ(ComboTexts(dialog, IDC_AUDIO_INPUT_DEVICE), (Texts{"Line In", kUsbMic}));
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"44100", "48000"}));
    Choose(dialog, IDC_SAMPLE_RATE, 0);
    EXPECT_EQ(Settings().sampleRate, 44100);
    EXPECT_EQ(ComboTexts(dialog, IDC_FIRST_INPUT_CHANNEL), Texts{"1"});
    EXPECT_EQ(ComboTexts(dialog, IDC_SECOND_INPUT_CHANNEL), (Texts{"1", "2"}));

    // The four-channel microphone, named outside the code page, keeps its name to the byte.
    Choose(dialog, IDC_AUDIO_INPUT_DEVICE, 1);
    EXPECT_EQ(std::string(Settings().audioInputDevice.Get()), kUsbMic);
    EXPECT_EQ(Selected(dialog, IDC_AUDIO_INPUT_DEVICE), 1);
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), Texts{"48000"});
    EXPECT_EQ(Selected(dialog, IDC_SAMPLE_RATE), -1);  // 44100 is gone with the device
    EXPECT_EQ(ComboTexts(dialog, IDC_FIRST_INPUT_CHANNEL), (Texts{"1", "2", "3"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_SECOND_INPUT_CHANNEL), (Texts{"1", "2", "3", "4"}));
    Choose(dialog, IDC_FIRST_INPUT_CHANNEL, 2);
    EXPECT_EQ(Settings().firstInputChannel, 3);
    EXPECT_EQ(Settings().secondInputChannel, 4);
    EXPECT_EQ(Selected(dialog, IDC_SECOND_INPUT_CHANNEL), 3);
    Choose(dialog, IDC_SECOND_INPUT_CHANNEL, 0);  // the second follows the first
    EXPECT_EQ(Selected(dialog, IDC_SECOND_INPUT_CHANNEL), 3);
    EXPECT_EQ(Settings().secondInputChannel, 4);

    // The output pair: 40017 is the first channel, 40016 the second.
    EXPECT_EQ(ComboTexts(dialog, IDC_FIRST_OUTPUT_CHANNEL).size(), 7u);
    EXPECT_EQ(ComboTexts(dialog, IDC_SECOND_OUTPUT_CHANNEL).size(), 8u);
    Choose(dialog, 40017, 4);
    EXPECT_EQ(Settings().firstOutputChannel, 5);
    EXPECT_EQ(Settings().secondOutputChannel, 6);
    EXPECT_EQ(Selected(dialog, 40016), 5);
    Choose(dialog, 40016, 7);
    EXPECT_EQ(Selected(dialog, 40016), 5);
    EXPECT_EQ(Settings().secondOutputChannel, 6);

    EXPECT_EQ(ComboTexts(dialog, IDC_MIDI_INPUT_PORT), (Texts{"off", "Keys"}));
    EXPECT_EQ(Selected(dialog, IDC_MIDI_INPUT_PORT), 1);
    EXPECT_EQ(ComboTexts(dialog, IDC_MIDI_OUTPUT_CHANNEL).size(), 17u);
    Choose(dialog, IDC_MIDI_OUTPUT_CHANNEL, 16);
    EXPECT_EQ(Settings().midiOutputChannel, 16);
    Press(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(std::string(Settings().audioInputDevice.Get()), "Line In");
  EXPECT_EQ(Settings().bufferSize, 512);
  EXPECT_EQ(Settings().sampleRate, 48000);
  EXPECT_EQ(Settings().firstOutputChannel, 1);
  EXPECT_EQ(Settings().midiOutputChannel, 0);
}

TEST_F(PreferencesDialogTest, CancelRestoresTheAppliedAudioAndTheChangedMidiPorts) {
  Start();
  const int32_t rewrites = state.settings.rewrites;
  const INT_PTR result = RunDialog([&](HWND dialog) {
    Choose(dialog, IDC_BUFFER_SIZE, 8);
    Press(dialog, IDC_APPLY);
    EXPECT_EQ(state.audio.lastRequest.bufferFrames, 2048u);
    Choose(dialog, IDC_MIDI_INPUT_PORT, 0);
    Choose(dialog, IDC_MIDI_OUTPUT_PORT, 1);
    EXPECT_EQ(state.midi.openInputPort, -1);
    EXPECT_EQ(state.midi.openOutputPort, 0);
    Press(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 512u);
  EXPECT_TRUE(host->IsStreamRunning());
  EXPECT_EQ(state.midi.openInputPort, 0);
  EXPECT_EQ(state.midi.openOutputPort, -1);
  EXPECT_TRUE(host->LastAppliedSettings().Equals(Settings()));
  EXPECT_EQ(state.settings.rewrites, rewrites);  // Cancel saves nothing
}

TEST_F(PreferencesDialogTest, OkWithNoChangeKeepsTheStreamAndAFailedOkGoesBackToWhatWorked) {
  Start();
  const int32_t opens = state.audio.opens;
  EXPECT_EQ(RunDialog([&](HWND dialog) { Press(dialog, IDOK); }), kPreferencesAccepted);
  EXPECT_EQ(state.audio.opens, opens);
  EXPECT_EQ(state.audio.aborts, 0);

  state.audio.refuses = [](const AudioStreamRequest& request) { return request.bufferFrames == 96; };
  const INT_PTR result = RunDialog([&](HWND dialog) {
    Choose(dialog, IDC_BUFFER_SIZE, 2);
    Choose(dialog, IDC_MIDI_INPUT_CHANNEL, 5);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(result, kPreferencesAccepted);
  EXPECT_EQ(state.errors, Texts{"Error: The audio devices could not be opened with these settings"});
  EXPECT_EQ(Settings().bufferSize, 512);
  EXPECT_EQ(Settings().midiInputChannel, 5);
  EXPECT_TRUE(host->IsStreamRunning());
}

TEST_F(PreferencesDialogTest, WhereNoAudioOpensOkAndCancelEndTheDialogAndTellNothingTwice) {
  state.audio.openSucceeds = false;
  Start();
  ASSERT_EQ(state.errors.size(), 1u);  // the start's own report

  INT_PTR result = RunDialog([&](HWND dialog) {
    Choose(dialog, IDC_MIDI_OUTPUT_PORT, 1);
    Choose(dialog, IDC_BUFFER_SIZE, 7);
    Press(dialog, IDC_APPLY);
    EXPECT_EQ(state.errors.size(), 2u);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(result, kPreferencesAccepted);
  EXPECT_EQ(state.errors.size(), 2u);
  EXPECT_EQ(Settings().bufferSize, 512);
  EXPECT_STREQ(Settings().midiOutputPort.Get(), "Synth");

  result = RunDialog([&](HWND dialog) {
    Choose(dialog, IDC_BUFFER_SIZE, 8);
    Press(dialog, IDC_APPLY);
    Press(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(state.errors.size(), 3u) << "the Apply of 2048 frames, and nothing from Cancel";
  EXPECT_EQ(Settings().bufferSize, 512);
}

TEST_F(PreferencesDialogTest, WithoutMidiObjectsTheMidiListsStayEmptyAndDisabled) {
  state.midi.createFails = true;
  Start();
  const INT_PTR result = RunDialog([&](HWND dialog) {
    for (int id :
         {IDC_MIDI_INPUT_PORT, IDC_MIDI_OUTPUT_PORT, IDC_MIDI_INPUT_CHANNEL, IDC_MIDI_OUTPUT_CHANNEL}) {
      EXPECT_TRUE(ComboTexts(dialog, id).empty()) << id;
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    }
    Press(dialog, IDOK);
  });
  EXPECT_EQ(result, kPreferencesAccepted);
}

}  // namespace
}  // namespace plugfw
