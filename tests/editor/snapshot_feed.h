#pragma once
// SnapshotFeed: a published block that a test fills with crafted records and that the
// measurement controls read through the same sequence-locked hand-off as the engine's. It can
// also hold the block mid-publication, so that every read attempt fails as it does when the
// audio thread keeps overtaking the reader. UI thread, in tests.

#include "editor/snapshot_reader.h"
#include "effect/snapshots.h"

namespace halcyra::test {

class SnapshotFeed {
 public:
  void Publish(const DisplaySnapshot& display, const MeterSnapshot& meters = MeterSnapshot()) {
    PublishSnapshots(block_, display, meters);
  }
  // Leaves the counter odd until ReleaseWriting.
  void HoldWriting() { block_.BeginWrite(); }
  void ReleaseWriting() { block_.EndWrite(); }

  SnapshotReader Reader() {
    return [this](DisplaySnapshot& display, MeterSnapshot& meters) {
      return TryReadSnapshots(block_, display, meters);
    };
  }

 private:
  SnapshotBlock block_;
};

}  // namespace halcyra::test
