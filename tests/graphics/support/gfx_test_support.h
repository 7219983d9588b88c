#pragma once
// Test support for anything drawn through IGfx: RecordingGfx (every back-end and platform
// operation appends to an ordered call log), GfxTestDelegate (real parameter records),
// LoggingControl and a replaceable clock.
//
// To use it, link `gfx_test_support`, make a GfxTestDelegate and a RecordingGfx on it,
// attach your controls, drive them, and compare gfx.log (or the LoggingControls' log).

#include "tests/graphics/support/gfx_test_delegate.h"
#include "tests/graphics/support/logging_control.h"
#include "tests/graphics/support/recording_gfx.h"
#include "tests/graphics/support/test_clock.h"
