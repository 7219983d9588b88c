#pragma once
// How the measurement controls take the engine's records: both at once and in place, so that a
// read that loses all its attempts to the audio thread leaves the previous frame's records
// standing instead of flickering to the idle ones. UI thread.

#include <functional>

#include "effect/snapshots.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

// UI thread: true when both records now hold one whole publication; false leaves them as they
// were.
using SnapshotReader = std::function<bool(DisplaySnapshot& display, MeterSnapshot& meters)>;

// UI thread: the reader of the plug-in's engine; for a null plug-in, one that never reads.
SnapshotReader EngineSnapshotReader(plugfw::gfx::IGfxEditorDelegate* plugin);

}  // namespace halcyra
