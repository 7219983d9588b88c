#pragma once
// Doubles of a driver's GL table for tests: a table loaded as from a driver that lacks an entry
// point, and a table whose calls are recorded, for tests that must see what reaches GL, or that
// nothing does. UI thread, like the calls.

#include <string>
#include <vector>

#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx::test {

// Loads table from the entries of from, as from a driver without the entry point named
// withheld (null: without none). Answers what LoadGLFunctions answers. table may be from.
const char* LoadGLFunctionsFrom(GLFunctions& table, const GLFunctions& from, const char* withheld = nullptr);

// Replaces every entry of the table with one that records and passes on; puts the table back
// when it goes. One log at a time.
class GLCallLog {
 public:
  explicit GLCallLog(GLFunctions& table);
  ~GLCallLog();
  GLCallLog(const GLCallLog&) = delete;
  GLCallLog& operator=(const GLCallLog&) = delete;
  std::vector<std::string> calls;
  int Count(const std::string& name) const;

 private:
  GLFunctions& table_;
};

// Counts the binds of a program through the table (not the unbind that ends a flush) and the
// uploads of vertices and of their index lists (not the release of their storage, which
// carries no data); puts the table back when it goes. One at a time; over a GLCallLog it
// counts what the log passes on.
class GLUploadCounts {
 public:
  explicit GLUploadCounts(GLFunctions& table);
  ~GLUploadCounts();
  GLUploadCounts(const GLUploadCounts&) = delete;
  GLUploadCounts& operator=(const GLUploadCounts&) = delete;
  int programBinds = 0;
  int vertexUploads = 0;
  int indexUploads = 0;

 private:
  GLFunctions& table_;
  GLFunctions saved_;
};

}  // namespace plugfw::gfx::test
