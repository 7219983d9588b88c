#pragma once
// A host environment that is the platform's in everything but where its errors go: the
// program shows them in a box on its main window, an unattended run (a screenshot, no devices,
// a test) prints them to standard error instead, so that no box waits for someone to close it.
// Portable.

#include <memory>

#include "app/host_environment.h"

namespace plugfw {

// Receives every error the host would show. UI thread.
using ErrorSink = void (*)(const char* text, const char* title);

// Any thread. Writes "title: text" and a line break to standard error.
void PrintErrorToStandardError(const char* text, const char* title);

// UI thread, before the host is made; the result is used where the platform's would be.
std::unique_ptr<HostEnvironment> WithErrorSink(std::unique_ptr<HostEnvironment> platform, ErrorSink sink);

}  // namespace plugfw
