// The preferences dialog's procedure: fills the combo boxes from PreferencesSession's lists and
// hands every choice and button to it. Device and port names are UTF-8, so their combo boxes go
// through the UTF-8 combo shim and every item text is passed as narrow (UTF-8) text.

#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "app/preferences_dialog.h"
#include "app/preferences_session.h"
#include "app/utf8_shims.h"
#include "resources/resource_ids.h"

namespace plugfw {

namespace {

constexpr int kNameCombos[] = {IDC_AUDIO_INPUT_DEVICE, IDC_AUDIO_OUTPUT_DEVICE, IDC_MIDI_INPUT_PORT,
                               IDC_MIDI_OUTPUT_PORT};
constexpr int kMidiCombos[] = {IDC_MIDI_INPUT_PORT, IDC_MIDI_OUTPUT_PORT, IDC_MIDI_INPUT_CHANNEL,
                               IDC_MIDI_OUTPUT_CHANNEL};

PreferencesSession* SessionOf(HWND dialog) {
  return reinterpret_cast<PreferencesSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SelectEntry(HWND dialog, int id, int32_t index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void FillCombo(HWND dialog, int id, const ChoiceList& list, const std::vector<int32_t>* itemData = nullptr) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < list.texts.size(); ++i) {
    const LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.texts[i].c_str()));
    if (at >= 0 && itemData != nullptr && i < itemData->size()) {
      SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>((*itemData)[i]));
    }
  }
  SelectEntry(dialog, id, list.selected);
}

int32_t Selection(HWND dialog, int id) {
  return static_cast<int32_t>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void FillAudioLists(HWND dialog, const PreferencesSession& session) {
  EnableWindow(GetDlgItem(dialog, IDC_AUDIO_INPUT_DEVICE), session.InputDeviceSelectable());
  EnableWindow(GetDlgItem(dialog, IDC_DRIVER_CONFIG), session.DriverConfigAvailable());
  FillCombo(dialog, IDC_AUDIO_INPUT_DEVICE, session.InputDevices());
  FillCombo(dialog, IDC_AUDIO_OUTPUT_DEVICE, session.OutputDevices());
  FillCombo(dialog, IDC_FIRST_INPUT_CHANNEL, session.FirstInputChannels());
  FillCombo(dialog, IDC_SECOND_INPUT_CHANNEL, session.SecondInputChannels());
  FillCombo(dialog, IDC_FIRST_OUTPUT_CHANNEL, session.FirstOutputChannels());
  FillCombo(dialog, IDC_SECOND_OUTPUT_CHANNEL, session.SecondOutputChannels());
  const std::vector<int32_t> rates = session.SampleRateValues();
  FillCombo(dialog, IDC_SAMPLE_RATE, session.SampleRates(), &rates);
  FillCombo(dialog, IDC_BUFFER_SIZE, session.BufferSizes());
}

void FillMidiLists(HWND dialog, const PreferencesSession& session) {
  const bool midi = session.HasMidi();
  for (int id : kMidiCombos) EnableWindow(GetDlgItem(dialog, id), midi);
  if (!midi) return;
  FillCombo(dialog, IDC_MIDI_INPUT_PORT, session.MidiPorts(MidiDirection::kInput));
  FillCombo(dialog, IDC_MIDI_OUTPUT_PORT, session.MidiPorts(MidiDirection::kOutput));
  FillCombo(dialog, IDC_MIDI_INPUT_CHANNEL, session.MidiChannels(MidiDirection::kInput));
  FillCombo(dialog, IDC_MIDI_OUTPUT_CHANNEL, session.MidiChannels(MidiDirection::kOutput));
}

INT_PTR OpenDialog(HWND dialog, StandaloneHost* host) {
  if (host == nullptr) {
    EndDialog(dialog, -1);
    return TRUE;
  }
  auto session = std::make_unique<PreferencesSession>(*host);
  for (int id : kNameCombos) SubclassWindowUtf8(GetDlgItem(dialog, id));
  FillCombo(dialog, IDC_DRIVER, session->Drivers());
  // Begin first: a saved MIDI port that has gone is "off" in the lists and in the Cancel copy.
  session->Begin();
  FillAudioLists(dialog, *session);
  FillMidiLists(dialog, *session);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(session.release()));
  return TRUE;
}

void ChooseInCombo(HWND dialog, PreferencesSession& session, int id) {
  const int32_t index = Selection(dialog, id);
  switch (id) {
    case IDC_DRIVER:
      session.ChooseDriver(index);
      FillAudioLists(dialog, session);
      break;
    case IDC_AUDIO_INPUT_DEVICE:
      session.ChooseInputDevice(index);
      FillAudioLists(dialog, session);
      break;
    case IDC_AUDIO_OUTPUT_DEVICE:
      session.ChooseOutputDevice(index);
      FillAudioLists(dialog, session);
      break;
    case IDC_BUFFER_SIZE:
      session.ChooseBufferSize(index);
      break;
    case IDC_SAMPLE_RATE:
      session.ChooseSampleRate(index);
      break;
    case IDC_FIRST_INPUT_CHANNEL:
      session.ChooseFirstInputChannel(index);
      SelectEntry(dialog, IDC_SECOND_INPUT_CHANNEL, session.SecondInputChannels().selected);
      break;
    case IDC_SECOND_INPUT_CHANNEL:  // follows the first channel: a choice of its own is put back
      SelectEntry(dialog, IDC_SECOND_INPUT_CHANNEL, session.SecondInputChannels().selected);
      break;
    case IDC_FIRST_OUTPUT_CHANNEL:
      session.ChooseFirstOutputChannel(index);
      SelectEntry(dialog, IDC_SECOND_OUTPUT_CHANNEL, session.SecondOutputChannels().selected);
      break;
    case IDC_SECOND_OUTPUT_CHANNEL:
      SelectEntry(dialog, IDC_SECOND_OUTPUT_CHANNEL, session.SecondOutputChannels().selected);
      break;
    case IDC_MIDI_INPUT_PORT:
      session.ChooseMidiPort(MidiDirection::kInput, index);
      SelectEntry(dialog, id, session.MidiPorts(MidiDirection::kInput).selected);
      break;
    case IDC_MIDI_OUTPUT_PORT:
      session.ChooseMidiPort(MidiDirection::kOutput, index);
      SelectEntry(dialog, id, session.MidiPorts(MidiDirection::kOutput).selected);
      break;
    case IDC_MIDI_INPUT_CHANNEL:
      session.ChooseMidiChannel(MidiDirection::kInput, index);
      break;
    case IDC_MIDI_OUTPUT_CHANNEL:
      session.ChooseMidiChannel(MidiDirection::kOutput, index);
      break;
    default:
      break;
  }
}

void PressButton(HWND dialog, PreferencesSession& session, int id) {
  switch (id) {
    case IDC_APPLY:
      session.Apply();
      break;
    case IDOK:
      // Ends even when the audio failed: the session has put back audio settings that worked.
      session.Ok();
      EndDialog(dialog, kPreferencesAccepted);
      break;
    case IDCANCEL:
      session.Cancel();
      EndDialog(dialog, IDCANCEL);
      break;
    default:  // "Config..." has nothing to configure with the one driver
      break;
  }
}

INT_PTR HandleCommand(HWND dialog, WPARAM wParam) {
  PreferencesSession* session = SessionOf(dialog);
  if (session == nullptr) return TRUE;
  const int id = LOWORD(wParam);
  const bool isCombo = id >= IDC_DRIVER && id <= IDC_MIDI_OUTPUT_CHANNEL;
  if (isCombo) {
    if (HIWORD(wParam) == CBN_SELCHANGE) ChooseInCombo(dialog, *session, id);
  } else if (HIWORD(wParam) == BN_CLICKED) {
    PressButton(dialog, *session, id);
  }
  return TRUE;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OpenDialog(dialog, reinterpret_cast<StandaloneHost*>(lParam));
    case WM_COMMAND:
      return HandleCommand(dialog, wParam);
    case WM_NCDESTROY:
      delete SessionOf(dialog);
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

// Exceptions cannot cross the system's frames around a dialog procedure: they end the dialog
// here, and the caller ends the program.
INT_PTR CALLBACK PreferencesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(dialog, message, wParam, lParam);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "HALCYRA: the preferences failed: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "HALCYRA: the preferences failed\n");
  }
  EndDialog(dialog, kPreferencesFailed);
  return TRUE;
}

INT_PTR RunPreferencesDialog(HINSTANCE module, HWND owner, StandaloneHost& host) {
  return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_PREFERENCES), owner, &PreferencesProc,
                         reinterpret_cast<LPARAM>(&host));
}

}  // namespace plugfw
