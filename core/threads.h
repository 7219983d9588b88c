#pragma once
// The words every entry point uses to say who may call it. Each comment on an entry point
// opens with one of them; nothing else names threads.
//
//   "Audio thread": the host's processing thread, or the device thread of the standalone
//     program. Real time: no allocation, no lock of the program's own, no I/O, no waiting.
//     Only one audio thread calls a given plug-in at a time.
//   "UI thread": the thread that runs the host's or the program's message loop, the editor
//     window, the framework's timers, dialogs and the settings file. May allocate, lock
//     and block briefly; never while the audio thread waits for it.
//   "Set-up": the UI thread while the plug-in is not processing (construction, state
//     restore, sample-rate and block-size changes); the audio thread is not running it.
//   "Any thread": safe from any of the above at any time; says how (atomic, lock-free,
//     or a lock that the audio thread never takes).
//
// A thread of a library (the MIDI input callback, the editor's vertical-blank thread) is
// named where it enters.
