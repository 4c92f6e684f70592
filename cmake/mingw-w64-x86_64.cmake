# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX
# thread model, for std::thread), every program linked statically.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZELTLOG_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELTLOG_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELTLOG_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELTLOG_MINGW}-windres)

# Headers and libraries only from the mingw tree (and the builds of the
# libraries named below); programs such as wx-config from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELTLOG_MINGW})
if(wxWidgets_CONFIG_EXECUTABLE)
  # The wxWidgets build's prefix (its bin/wx-config) is a root of its own.
  get_filename_component(ZELTLOG_WX_PREFIX "${wxWidgets_CONFIG_EXECUTABLE}" DIRECTORY)
  get_filename_component(ZELTLOG_WX_PREFIX "${ZELTLOG_WX_PREFIX}" DIRECTORY)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZELTLOG_WX_PREFIX})
endif()
# The static builds of GEOS and libzip (scripts/build-windows), by their
# prefixes.
list(APPEND CMAKE_FIND_ROOT_PATH ${ZELTLOG_WINDOWS_LIBRARIES})
# cairo and what it needs (the PDF record), when the build has them.
list(APPEND CMAKE_FIND_ROOT_PATH ${ZELTLOG_PDF_LIBRARIES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CLI11 and nlohmann-json are header-only: their package files here take
# just their own header folders from the host's /usr/include, never
# /usr/include itself (that would bring in the host's C library headers).
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-packages)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-packages)
