# Static libraries of the installed dependencies for the Windows build: RtAudio on
# DirectSound and RtMidi on WinMM (the VST3 SDK subset: vst3_sdk.cmake). Their sources
# live outside the repository (scripts/deps.sh unpacks them); they compile with their
# own warnings left as they are.

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
