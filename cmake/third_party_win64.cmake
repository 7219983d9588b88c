# Static libraries of the installed dependencies for the Windows build: the VST3
# SDK subset, RtAudio on DirectSound and RtMidi on WinMM. Their sources live
# outside the repository (scripts/deps.sh unpacks them); they compile with
# their own warnings left as they are.

set(vst3 ${HALCYRA_VST3_SDK_DIR})
if(NOT EXISTS ${vst3}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST3 SDK subset not found in ${vst3}: run scripts/deps.sh")
endif()
add_library(vst3_sdk STATIC
  ${vst3}/base/source/baseiids.cpp
  ${vst3}/base/source/fbuffer.cpp
  ${vst3}/base/source/fdebug.cpp
  ${vst3}/base/source/fobject.cpp
  ${vst3}/base/source/fstreamer.cpp
  ${vst3}/base/source/fstring.cpp
  ${vst3}/base/source/updatehandler.cpp
  ${vst3}/base/thread/source/flock.cpp
  ${vst3}/pluginterfaces/base/conststringtable.cpp
  ${vst3}/pluginterfaces/base/coreiids.cpp
  ${vst3}/pluginterfaces/base/funknown.cpp
  ${vst3}/pluginterfaces/base/ustring.cpp
  ${vst3}/public.sdk/source/common/memorystream.cpp
  ${vst3}/public.sdk/source/common/pluginview.cpp
  ${vst3}/public.sdk/source/vst/vstbus.cpp
  ${vst3}/public.sdk/source/vst/vstcomponent.cpp
  ${vst3}/public.sdk/source/vst/vstcomponentbase.cpp
  ${vst3}/public.sdk/source/vst/vsteditcontroller.cpp
  ${vst3}/public.sdk/source/vst/vstinitiids.cpp
  ${vst3}/public.sdk/source/vst/vstparameters.cpp
)
target_include_directories(vst3_sdk SYSTEM PUBLIC ${vst3})
target_compile_definitions(vst3_sdk PUBLIC RELEASE=1)
target_compile_options(vst3_sdk PRIVATE -w)
target_link_libraries(vst3_sdk PUBLIC ole32)

set(rtaudio ${HALCYRA_DEPS_DIR}/rtaudio)
set(rtmidi ${HALCYRA_DEPS_DIR}/rtmidi)
foreach(dir ${rtaudio} ${rtmidi})
  if(NOT EXISTS ${dir})
    message(FATAL_ERROR "${dir} is missing: run scripts/deps.sh")
  endif()
endforeach()

add_library(rtaudio STATIC ${rtaudio}/RtAudio.cpp)
target_include_directories(rtaudio SYSTEM PUBLIC ${rtaudio})
target_compile_definitions(rtaudio PUBLIC __WINDOWS_DS__)
target_compile_options(rtaudio PRIVATE -w)
target_link_libraries(rtaudio PUBLIC dsound ole32 winmm ksuser mfplat mfuuid wmcodecdspuuid)

add_library(rtmidi STATIC ${rtmidi}/RtMidi.cpp)
target_include_directories(rtmidi SYSTEM PUBLIC ${rtmidi})
target_compile_definitions(rtmidi PUBLIC __WINDOWS_MM__)
target_compile_options(rtmidi PRIVATE -w)
target_link_libraries(rtmidi PUBLIC winmm)

# The libraries are built by default, so every build proves they compile.
add_custom_target(third_party ALL DEPENDS vst3_sdk rtaudio rtmidi)
