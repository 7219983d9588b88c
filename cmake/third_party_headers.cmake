# Header-only dependencies of the graphics code, the same for the native and the Windows
# build: stb from Debian's libstb-dev, nanosvg.h from the SDL2_image source package that
# scripts/deps.sh unpacks. Neither is copied into the repository.

if(NOT EXISTS /usr/include/stb/stb_image.h)
  message(FATAL_ERROR "stb not found in /usr/include/stb: run scripts/deps.sh")
endif()
if(NOT EXISTS ${HALCYRA_DEPS_DIR}/sdl2-image/nanosvg.h)
  message(FATAL_ERROR "nanosvg.h not found in ${HALCYRA_DEPS_DIR}/sdl2-image: run scripts/deps.sh")
endif()

add_library(stb INTERFACE)
target_include_directories(stb SYSTEM INTERFACE /usr/include/stb)
# The SDL2_image folder also holds SDL's own stb_image.h, which must never stand in for stb's:
# code that links the graphics framework sees nanosvg.h alone, copied into the build tree.
configure_file(${HALCYRA_DEPS_DIR}/sdl2-image/nanosvg.h ${CMAKE_BINARY_DIR}/nanosvg/nanosvg.h COPYONLY)
add_library(nanosvg INTERFACE)
target_include_directories(nanosvg SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/nanosvg)
