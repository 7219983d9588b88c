// The preferences dialog's rules over the standalone host with fake devices: the lists it shows,
// what a choice stores, and when Apply, OK and Cancel reopen the stream and the MIDI ports.

#include "app/preferences_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

using Texts = std::vector<std::string>;

class PreferencesSessionTest : public ::testing::Test {
 protected:
  enum Input { kCapture, kLineIn, kMonoMic };
  enum Output { kPrimary, kSpeakers };

  void SetUp() override {
    state.audio.devices = {test::FakeDevice("Primary Sound Driver", 0, 2, {44100, 48000}, true),
                           test::FakeDevice("Speakers", 0, 8, {48000, 96000}),
                           test::FakeDevice("Primary Sound Capture Driver", 2, 0, {44100, 48000}, true),
                           test::FakeDevice("Capture: Line In", 2, 0, {44100, 48000}),
                           test::FakeDevice("Mono Mic", 1, 0, {48000})};
    test::SaveStudioChoices(state);
  }
  void TearDown() override { StandaloneHost::Destroy(); }

  // The host started as the program starts it, with its stream running (unless the devices
  // refuse every stream), and the dialog opened.
  PreferencesSession& Open() {
    host = StandaloneHost::Create(std::make_unique<test::FakeHostEnvironment>(state));
    EXPECT_NE(host, nullptr);
    EXPECT_TRUE(host->Init());
    EXPECT_EQ(host->ApplyAudioSettings(), state.audio.openSucceeds);
    session = std::make_unique<PreferencesSession>(*host);
    session->Begin();
    return *session;
  }
  DeviceSettings& Settings() { return host->CurrentSettings(); }

  test::FakeEnvironmentState state;
  StandaloneHost* host = nullptr;
  std::unique_ptr<PreferencesSession> session;
};

TEST_F(PreferencesSessionTest, ChannelListsOfferPairsWithinTheSelectedDevices) {
  PreferencesSession& s = Open();
  EXPECT_EQ(s.InputDevices().texts, (Texts{"Primary Sound Capture Driver", "Line In", "Mono Mic"}));
  EXPECT_EQ(s.InputDevices().selected, kLineIn);
  EXPECT_EQ(s.FirstInputChannels().texts, Texts{"1"});
  EXPECT_EQ(s.SecondInputChannels().texts, (Texts{"1", "2"}));
  EXPECT_EQ(s.SecondInputChannels().selected, 1);
  EXPECT_EQ(s.FirstOutputChannels().texts.size(), 7u);
  EXPECT_EQ(s.SecondOutputChannels().texts.size(), 8u);

  s.ChooseFirstOutputChannel(2);
  EXPECT_EQ(Settings().firstOutputChannel, 3);
  EXPECT_EQ(Settings().secondOutputChannel, 4);
  EXPECT_EQ(s.SecondOutputChannels().selected, 3);
  s.ChooseFirstOutputChannel(7);  // not in the list: nothing changes
  EXPECT_EQ(Settings().firstOutputChannel, 3);

  // A mono device still shows its one channel as the first of the pair.
  s.ChooseInputDevice(kMonoMic);
  EXPECT_EQ(std::string(Settings().audioInputDevice.Get()), "Mono Mic");
  EXPECT_EQ(s.FirstInputChannels().texts, Texts{"1"});
  EXPECT_EQ(s.FirstInputChannels().selected, 0);
  EXPECT_EQ(s.SecondInputChannels().texts, Texts{"1"});
  EXPECT_EQ(s.SecondInputChannels().selected, -1);
}

TEST_F(PreferencesSessionTest, RatesAreThoseBothDevicesOfferAndBufferSizesTheElevenChoices) {
  PreferencesSession& s = Open();
  EXPECT_EQ(s.SampleRates().texts, Texts{"48000"});
  EXPECT_EQ(s.SampleRates().selected, 0);
  s.ChooseOutputDevice(kPrimary);
  EXPECT_EQ(s.SampleRates().texts, (Texts{"44100", "48000"}));
  s.ChooseSampleRate(0);
  EXPECT_EQ(Settings().sampleRate, 44100);
  s.ChooseOutputDevice(kSpeakers);
  EXPECT_EQ(s.SampleRates().selected, -1);  // the stored rate is not offered

  EXPECT_EQ(s.BufferSizes().texts,
            (Texts{"32", "64", "96", "128", "192", "256", "512", "1024", "2048", "4096", "8192"}));
  EXPECT_EQ(s.BufferSizes().selected, 6);
  s.ChooseBufferSize(10);
  EXPECT_EQ(Settings().bufferSize, 8192);
}

TEST_F(PreferencesSessionTest, AMissingMidiPortBecomesOffAndIsSavedBeforeTheCancelCopy) {
  state.settings.Set("midi", "outdev", "Unplugged Synth");
  state.midi.inputPorts.clear();  // "Keys" has gone too
  Open();
  // Start-up already replaced them; a port that goes while the program runs is caught here.
  Settings().midiOutputPort.Set("Gone Meanwhile");
  const int32_t rewrites = state.settings.rewrites;
  session->Begin();
  EXPECT_EQ(std::string(Settings().midiOutputPort.Get()), "off");
  EXPECT_EQ(std::string(host->DialogSettings().midiOutputPort.Get()), "off");
  EXPECT_EQ(state.settings.rewrites, rewrites + 1);
  EXPECT_EQ(state.settings.Get("midi", "outdev"), "off");
  EXPECT_EQ(session->MidiPorts(MidiDirection::kOutput).selected, 0);
}

TEST_F(PreferencesSessionTest, ApplyAndOkReopenOnlyForChangedAudioOrAStoppedStream) {
  PreferencesSession& s = Open();
  const int32_t opens = state.audio.opens;
  EXPECT_EQ(s.Apply(), ApplyOutcome::kUnchanged);
  // A MIDI-only change takes effect at once and leaves the stream running.
  s.ChooseMidiPort(MidiDirection::kOutput, 1);
  EXPECT_EQ(state.midi.openOutputPort, 0);
  s.ChooseMidiChannel(MidiDirection::kInput, 5);
  EXPECT_EQ(s.Ok(), ApplyOutcome::kUnchanged);
  EXPECT_EQ(state.audio.opens, opens);
  EXPECT_EQ(state.audio.aborts, 0);

  s.ChooseBufferSize(7);
  EXPECT_EQ(s.Ok(), ApplyOutcome::kOpened);
  EXPECT_EQ(state.audio.opens, opens + 1);
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 1024u);

  // A stream that stopped is opened again even with the settings it had.
  state.audio.running = false;
  EXPECT_EQ(s.Apply(), ApplyOutcome::kOpened);
  EXPECT_EQ(state.audio.opens, opens + 2);
}

TEST_F(PreferencesSessionTest, AFailedOkIsToldOnceAndGoesBackToTheAudioThatWorked) {
  PreferencesSession& s = Open();
  state.audio.refuses = [](const AudioStreamRequest& request) { return request.bufferFrames == 32; };
  s.ChooseBufferSize(0);
  s.ChooseMidiChannel(MidiDirection::kInput, 5);
  EXPECT_EQ(s.Apply(), ApplyOutcome::kFailed);
  EXPECT_EQ(s.Ok(), ApplyOutcome::kFailed);
  EXPECT_EQ(state.errors, Texts{"Error: The audio devices could not be opened with these settings"});
  // The 32 frames that failed are not kept; the stream runs again on the 512 that worked.
  EXPECT_EQ(Settings().bufferSize, 512);
  EXPECT_EQ(Settings().midiInputChannel, 5);
  EXPECT_TRUE(host->IsStreamRunning());
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 512u);

  // Devices that have gone are the host's own report, not a second one.
  state.errors.clear();
  state.audio.devices.clear();
  host->ProbeAudioDevices();
  s.ChooseBufferSize(7);
  EXPECT_EQ(s.Apply(), ApplyOutcome::kFailed);
  EXPECT_EQ(state.errors, Texts{"Error: Please check the audio settings"});
}

TEST_F(PreferencesSessionTest, WhereNoAudioOpensOkStillSavesWhatWorksAndNoFailureIsToldTwice) {
  state.audio.openSucceeds = false;
  PreferencesSession& s = Open();
  const Texts startUp = {"Error: The audio devices could not be opened with these settings"};
  EXPECT_EQ(state.errors, startUp);

  // Nothing but MIDI changed: OK tries the stream again without telling the same failure.
  s.ChooseMidiPort(MidiDirection::kOutput, 1);
  EXPECT_EQ(s.Ok(), ApplyOutcome::kFailed);
  EXPECT_EQ(state.errors, startUp);

  // Other audio settings fail too: told once, by Apply; Cancel going back does not tell again.
  session->Begin();
  s.ChooseBufferSize(7);
  EXPECT_EQ(s.Apply(), ApplyOutcome::kFailed);
  EXPECT_EQ(state.errors.size(), 2u);
  s.Cancel();
  EXPECT_EQ(state.errors.size(), 2u);

  // Nor does OK, which keeps the audio settings of the opening moment and the rest as chosen.
  session->Begin();
  s.ChooseBufferSize(7);
  s.ChooseMidiChannel(MidiDirection::kOutput, 3);
  EXPECT_EQ(s.Ok(), ApplyOutcome::kFailed);
  ASSERT_TRUE(host->WriteSettings());  // as the main window does after OK
  EXPECT_EQ(state.settings.Get("audio", "buffer"), "512");
  EXPECT_EQ(state.settings.Get("midi", "outdev"), "Synth");
  EXPECT_EQ(state.settings.Get("midi", "outchan"), "3");
  EXPECT_EQ(state.errors.size(), 2u);
}

TEST_F(PreferencesSessionTest, CancelPutsBackTheOpeningSettingsAndReopensWhatChanged) {
  PreferencesSession& s = Open();
  const int32_t opens = state.audio.opens;
  const int32_t creations = state.audioCreations;
  s.Cancel();
  EXPECT_EQ(state.audio.opens, opens);
  EXPECT_EQ(state.audioCreations, creations);

  // A change that was never applied: the old settings come back, the stream reopens with them.
  session->Begin();
  s.ChooseBufferSize(9);
  s.Cancel();
  EXPECT_EQ(Settings().bufferSize, 512);
  EXPECT_EQ(state.audio.opens, opens + 1);
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 512u);

  // Applied, then chosen back in the lists: the settings equal the opening ones, the stream does
  // not, and it is reopened all the same.
  session->Begin();
  s.ChooseBufferSize(9);
  ASSERT_EQ(s.Apply(), ApplyOutcome::kOpened);
  s.ChooseBufferSize(6);
  s.Cancel();
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 512u);
  EXPECT_TRUE(host->LastAppliedSettings().Equals(Settings()));
}

TEST_F(PreferencesSessionTest, CancelReopensTheMidiPortsItChangedAndLeavesTheStream) {
  PreferencesSession& s = Open();
  ASSERT_EQ(state.midi.openInputPort, 0);
  const int32_t opens = state.audio.opens;
  s.ChooseMidiPort(MidiDirection::kInput, 0);  // "off"
  s.ChooseMidiPort(MidiDirection::kOutput, 1);
  EXPECT_EQ(state.midi.openInputPort, -1);
  EXPECT_EQ(state.midi.openOutputPort, 0);
  s.Cancel();
  EXPECT_EQ(state.midi.openInputPort, 0);
  EXPECT_EQ(state.midi.openOutputPort, -1);
  EXPECT_EQ(std::string(Settings().midiInputPort.Get()), "Keys");
  EXPECT_EQ(state.audio.opens, opens);
  EXPECT_EQ(state.audio.aborts, 0);
}

TEST_F(PreferencesSessionTest, AMidiPortThatDoesNotOpenIsReportedAndOffIsChosen) {
  PreferencesSession& s = Open();
  state.midi.openFails = true;
  s.ChooseMidiPort(MidiDirection::kOutput, 1);
  EXPECT_EQ(state.errors, Texts{"Error: The MIDI port could not be opened"});
  EXPECT_EQ(std::string(Settings().midiOutputPort.Get()), "off");
  EXPECT_EQ(s.MidiPorts(MidiDirection::kOutput).selected, 0);
}

}  // namespace
}  // namespace plugfw
