#pragma once
// Texts that the editor hands to the shell and the common dialogs: which web
// addresses may be opened, the file manager's reveal argument, file-chooser
// filters and the folder parts of chosen paths. UTF-8 in and out; the Windows
// side converts. Any thread: no shared state.

#include <string>

namespace plugfw::gfx {

// Only web pages and mail links are handed to the shell: http://, https:// and
// mailto: addresses (the scheme in any case). Anything else could start a program
// or open a file.
bool IsOpenableWebAddress(const char* address);
// A mail link opens the mail program, which works offline too.
bool WebAddressNeedsConnection(const char* address);

// The file manager's argument for path: "\"path\"", or with select
// "/select,\"path\"" so that the file is shown selected in its folder.
std::string RevealArguments(const std::string& path, bool select);

// The one filter entry of the file chooser for a space-separated extension list:
// "*.wav;*.aif" for "wav aif". Patterns that would take the filter past
// kMaxFilterLength are left out whole rather than cut; an empty pattern means no
// filter. The default extension is the first one, or none when it is longer than
// kMaxDefaultExtensionLength.
struct FileDialogFilter {
  std::string pattern;
  std::string defaultExtension;
};
constexpr size_t kMaxFilterLength = 255;
constexpr size_t kMaxDefaultExtensionLength = 15;
FileDialogFilter FileDialogFilterFor(const char* extensions);

// The folder of a chosen file: its drive and directory, ending in a separator
// ("C:\\audio\\" for "C:\\audio\\take.wav"); empty when the path has neither.
std::string FolderOfPath(const std::string& path);

// A chosen folder as the folder road stores it, ending in one backslash: "C:\\"
// stays "C:\\", "C:\\audio" becomes "C:\\audio\\". Empty stays empty.
std::string FolderWithSeparator(const std::string& folder);

}  // namespace plugfw::gfx
