#include "core/file_bytes.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#if defined(_WIN32)
#include "core/resources.h"
#endif

namespace plugfw {
namespace {

// UTF-8 reaches the file system as UTF-16 on Windows; elsewhere the bytes are the name.
std::FILE* OpenForReading(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
#if defined(_WIN32)
  const HeapBuffer wide = Utf8ToUtf16(path);
  if (wide.Size() < 4) return nullptr;
  return _wfopen(reinterpret_cast<const wchar_t*>(wide.Data()), L"rb");
#else
  return std::fopen(path, "rb");
#endif
}

// The size in 64 bits, so a file past 2 GiB is seen as what it is rather than a wrapped
// count; -1 when the file cannot be measured. The position ends at the start.
int64_t FileSize(std::FILE* file) {
#if defined(_WIN32)
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
  return size;
}

class FileCloser {
 public:
  explicit FileCloser(std::FILE* file) : file_(file) {}
  ~FileCloser() {
    if (file_) std::fclose(file_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  std::FILE* file_;
};

}  // namespace

bool ReadFileBytes(const char* path, HeapBuffer& bytes) {
  bytes.Resize(0);
  std::FILE* file = OpenForReading(path);
  if (!file) return false;
  const FileCloser closer(file);
  const int64_t size = FileSize(file);
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) return false;
  if (size == 0) return true;
  const int32_t count = static_cast<int32_t>(size);
  if (!bytes.Resize(count)) return false;
  if (std::fread(bytes.Data(), 1, static_cast<size_t>(count), file) != static_cast<size_t>(count)) {
    bytes.Resize(0);
    return false;
  }
  return true;
}

}  // namespace plugfw
