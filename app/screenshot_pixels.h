#pragma once
// The pixel and name work of a screenshot that needs no platform: turning a capture's
// blue-green-red-x pixels into opaque red-green-blue-alpha for the PNG encoder, telling a black
// capture (what a GL window gives when the system cannot read it) from a picture, and the
// time-stamped file name of the Save Screenshot command. Portable.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plugfw {

// Any thread (no shared state). In place: the first and third byte of every 4-byte pixel swapped, the fourth
// set to 255.
void BgrxToOpaqueRgba(uint8_t* pixels, size_t pixelCount);

// Any thread. True when no pixel has any red, green or blue (the fourth byte is not looked at); also for no
// pixels at all.
bool AllBlack(const uint8_t* pixels, size_t pixelCount);

// Any thread. "<folder><product>_screenshot_<time>.png", the folder ending in its separator. Built as a
// string, so no folder or time text can overflow it.
std::string ScreenshotFileName(const std::string& folder, const char* product, const char* timeText);

}  // namespace plugfw
