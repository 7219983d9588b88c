#include "editor/snapshot_reader.h"

#include "editor/plugin_access.h"

namespace halcyra {

SnapshotReader EngineSnapshotReader(plugfw::gfx::IGfxEditorDelegate* plugin) {
  if (plugin == nullptr) return [](DisplaySnapshot&, MeterSnapshot&) { return false; };
  const ChorusEngine& engine = PluginOf(*plugin).Engine();
  return [&engine](DisplaySnapshot& display, MeterSnapshot& meters) {
    return engine.TryReadSnapshots(display, meters);
  };
}

}  // namespace halcyra
