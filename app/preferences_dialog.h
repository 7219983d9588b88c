#pragma once
// The preferences dialog (resource IDD_PREFERENCES): driver, audio devices, buffer size,
// sampling rate, channel pairs, MIDI ports and channels, edited in the standalone host's current
// settings at once, with Apply, OK and Cancel as PreferencesSession rules them. Windows-only
// header.

#include <windows.h>

namespace plugfw {

class StandaloneHost;

// Ended by OK; the caller then saves the settings.
constexpr INT_PTR kPreferencesAccepted = IDOK;
// Ended because a procedure met an exception; the program cannot rely on its state any more.
constexpr INT_PTR kPreferencesFailed = -2;

// UI thread. Runs the dialog modally over owner: kPreferencesAccepted, IDCANCEL, kPreferencesFailed, or -1
// when the dialog could not be made.
INT_PTR RunPreferencesDialog(HINSTANCE module, HWND owner, StandaloneHost& host);

// UI thread. The dialog procedure; the host arrives as the creation parameter.
INT_PTR CALLBACK PreferencesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plugfw
