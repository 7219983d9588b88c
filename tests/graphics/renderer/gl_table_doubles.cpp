#include "tests/graphics/renderer/gl_table_doubles.h"

#include <cstring>

namespace plugfw::gfx::test {
namespace {

struct Withholding {
  const GLFunctions* from;
  const char* withheld;
};

void* ResolveFromTable(const char* name, void* user) {
  const auto* withholding = static_cast<const Withholding*>(user);
  if (withholding->withheld != nullptr && std::strcmp(name, withholding->withheld) == 0) return nullptr;
#define HALCYRA_GL_LOOKUP(ret, entry, params) \
  if (std::strcmp(name, "gl" #entry) == 0) return reinterpret_cast<void*>(withholding->from->entry);
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_LOOKUP)
#undef HALCYRA_GL_LOOKUP
  return nullptr;
}

std::vector<std::string>* gCallLog = nullptr;
GLFunctions gPassThrough;

#define HALCYRA_GL_NAME(ret, entry, params) constexpr char kName##entry[] = "gl" #entry;
HALCYRA_GL_FUNCTIONS(HALCYRA_GL_NAME)
#undef HALCYRA_GL_NAME

template <typename F>
struct LoggingEntry;

template <typename R, typename... A>
struct LoggingEntry<R (*)(A...)> {
  template <R (*GLFunctions::*Member)(A...), const char* Name>
  static R Call(A... args) {
    if (gCallLog != nullptr) gCallLog->push_back(Name);
    return (gPassThrough.*Member)(args...);
  }
};

GLUploadCounts* gCounts = nullptr;
GLFunctions gCounted;

void HALCYRA_GLAPI CountProgramBind(GLuint program) {
  if (program != 0) ++gCounts->programBinds;
  gCounted.UseProgram(program);
}

void HALCYRA_GLAPI CountUpload(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
  if (data != nullptr && target == GL_ARRAY_BUFFER) ++gCounts->vertexUploads;
  if (data != nullptr && target == GL_ELEMENT_ARRAY_BUFFER) ++gCounts->indexUploads;
  gCounted.BufferData(target, size, data, usage);
}

}  // namespace

const char* LoadGLFunctionsFrom(GLFunctions& table, const GLFunctions& from, const char* withheld) {
  const GLFunctions copy = from;  // the load empties table, which may be from, when it fails
  Withholding withholding{&copy, withheld};
  return LoadGLFunctions(table, &ResolveFromTable, &withholding);
}

GLCallLog::GLCallLog(GLFunctions& table) : table_(table) {
  gPassThrough = table;
  gCallLog = &calls;
#define HALCYRA_GL_LOGGING(ret, entry, params) \
  table.entry = &LoggingEntry<decltype(table.entry)>::template Call<&GLFunctions::entry, kName##entry>;
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_LOGGING)
#undef HALCYRA_GL_LOGGING
}

GLCallLog::~GLCallLog() {
  table_ = gPassThrough;
  gCallLog = nullptr;
}

GLUploadCounts::GLUploadCounts(GLFunctions& table) : table_(table), saved_(table) {
  gCounted = table;
  gCounts = this;
  table.UseProgram = CountProgramBind;
  table.BufferData = CountUpload;
}

GLUploadCounts::~GLUploadCounts() {
  table_ = saved_;
  gCounts = nullptr;
}

int GLCallLog::Count(const std::string& name) const {
  int count = 0;
  for (const std::string& call : calls) count += call == name ? 1 : 0;
  return count;
}

}  // namespace plugfw::gfx::test
