# The portable base of the VST3 SDK subset for the native build: the object model, reference
# counting and interface identifiers that a control needs to be a host context-menu target, so
# that the VST3 kind of the graphics framework runs under the sanitizers too. The Windows build
# compiles the whole subset (third_party_win64.cmake). Sources stay where scripts/deps.sh
# installed them; they compile with their own warnings left as they are.

set(vst3 ${HALCYRA_VST3_SDK_DIR})
if(NOT EXISTS ${vst3}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST3 SDK subset not found in ${vst3}: run scripts/deps.sh")
endif()
find_package(Threads REQUIRED)
add_library(vst3_sdk STATIC EXCLUDE_FROM_ALL
  ${vst3}/base/source/baseiids.cpp
  ${vst3}/base/source/fdebug.cpp
  ${vst3}/base/source/fobject.cpp
  ${vst3}/base/source/fstring.cpp
  ${vst3}/base/source/updatehandler.cpp
  ${vst3}/base/thread/source/flock.cpp
  ${vst3}/pluginterfaces/base/conststringtable.cpp
  ${vst3}/pluginterfaces/base/coreiids.cpp
  ${vst3}/pluginterfaces/base/funknown.cpp
  ${vst3}/pluginterfaces/base/ustring.cpp
  ${vst3}/public.sdk/source/vst/vstinitiids.cpp
)
target_include_directories(vst3_sdk SYSTEM PUBLIC ${vst3})
target_compile_definitions(vst3_sdk PUBLIC RELEASE=1)
target_compile_options(vst3_sdk PRIVATE -w)
target_link_libraries(vst3_sdk PUBLIC Threads::Threads)
