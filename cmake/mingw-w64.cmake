# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread
# model). Programs are linked statically (libstdc++, libgcc, winpthread,
# zlib) so that an .exe runs alone, and run through wine where the build
# runs them (tests).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TROVEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TROVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TROVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TROVEX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TROVEX_MINGW_TRIPLE})
# The libraries that scripts/build-windows-deps built into the folder
# TROVEX_WINDOWS_DEPS, each in a folder of its own that a stamp marks as
# complete.
if(TROVEX_WINDOWS_DEPS)
  file(GLOB trovex_dependency_stamps ${TROVEX_WINDOWS_DEPS}/*/stamp)
  foreach(stamp IN LISTS trovex_dependency_stamps)
    get_filename_component(prefix ${stamp} DIRECTORY)
    list(APPEND CMAKE_FIND_ROOT_PATH ${prefix})
  endforeach()
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# zlib's static archive rather than the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
# mingw-w64's own printf family, which knows the C99 formats (%zu, %lld);
# and GCC 12 warns falsely of overlapping copies in inlined string joins.
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-restrict")
