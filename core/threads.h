#pragma once
// The words every entry point uses to say who may call it. The comment on an entry point, or the
// comment that opens a group of declarations (it covers them up to the next blank line), starts
// with one of them; nothing else names threads.
//
//   "Audio thread": the host's processing thread, or the device thread of the standalone
//     program. Real time: no allocation, no lock of the program's own, no I/O, no waiting.
//     Only one audio thread calls a given plug-in at a time.
//   "UI thread": the thread that runs the host's or the program's message loop - the editor
//     window, the framework's timers, dialogs, the settings file, and the host's controller and
//     state calls. May allocate, lock and block briefly; never while the audio thread waits for
//     it. It may run while the audio thread processes, so what both touch is atomic.
//   "Set-up": the UI thread while no block is being processed (construction, initialisation,
//     activation, sample-rate, block-size and bus changes). It may replace what the audio thread
//     uses, which is why the wrappers refuse such calls while the plug-in is active.
//   "Any thread": safe from any of the above at any time; the comment says how (atomic,
//     lock-free, pure, or a lock that the audio thread never takes).
//   "Any thread, one at a time": a value (buffer, string, list, record) that belongs to whoever
//     holds it; it is never changed by two threads at once.
//
// A library's own thread is named where it enters: "MIDI input thread" (the MIDI library's
// input callback), "vertical-blank thread" (the editor's frame pacing).
