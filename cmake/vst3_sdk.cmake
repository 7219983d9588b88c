# The VST3 SDK subset of Debian's juce-modules-source-data (its VST3_SDK folder only), compiled
# from where scripts/deps.sh installed it, with its own warnings left as they are. The Windows
# build takes everything the module needs; the native build only the portable base - the object
# model, reference counting and interface identifiers that a control needs to be a host
# context-menu target - so that the VST3 kind of the graphics framework runs under the
# sanitizers too.

set(vst3 ${HALCYRA_VST3_SDK_DIR})
if(NOT EXISTS ${vst3}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST3 SDK subset not found in ${vst3}: run scripts/deps.sh")
endif()
set(vst3_base_sources
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
if(WIN32)
  add_library(vst3_sdk STATIC
    ${vst3_base_sources}
    ${vst3}/base/source/fbuffer.cpp
    ${vst3}/base/source/fstreamer.cpp
    ${vst3}/public.sdk/source/common/memorystream.cpp
    ${vst3}/public.sdk/source/common/pluginview.cpp
    ${vst3}/public.sdk/source/vst/vstbus.cpp
    ${vst3}/public.sdk/source/vst/vstcomponent.cpp
    ${vst3}/public.sdk/source/vst/vstcomponentbase.cpp
    ${vst3}/public.sdk/source/vst/vsteditcontroller.cpp
    ${vst3}/public.sdk/source/vst/vstparameters.cpp
  )
  target_link_libraries(vst3_sdk PUBLIC ole32)
else()
  find_package(Threads REQUIRED)
  add_library(vst3_sdk STATIC EXCLUDE_FROM_ALL ${vst3_base_sources})
  target_link_libraries(vst3_sdk PUBLIC Threads::Threads)
endif()
target_include_directories(vst3_sdk SYSTEM PUBLIC ${vst3})
target_compile_definitions(vst3_sdk PUBLIC RELEASE=1)
target_compile_options(vst3_sdk PRIVATE -w)
