# Tests of a cross build: GoogleTest is built for the target from Debian's
# source package, and each test program is one test, run through the
# emulator (wine), which sees the root of the build machine as drive Z:.
set(TROVEX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TROVEX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set(TROVEX_TARGET_PATH_PREFIX "Z:")
