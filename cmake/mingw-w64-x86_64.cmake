# Cross build for 64-bit Windows with mingw-w64 (Debian's g++-mingw-w64-x86-64).
#
# The -posix compilers use the POSIX thread model, which std::thread, std::mutex and std::call_once
# need; the plain names are the win32 thread model without them. The runtime (libgcc, libstdc++,
# winpthreads) is linked statically (cmake/KrbCommon.cmake), so the built DLL needs only system DLLs.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KRB_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${KRB_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KRB_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KRB_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KRB_MINGW_TRIPLE})
# Build tools come from the build machine; headers, libraries and packages only from the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under wine (CTest, and the test lists of gtest_discover_tests); the test folders
# add where their tests are listed (cmake/KrbTesting.cmake).
get_filename_component(_krb_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_krb_source_dir}/scripts/wine-run.sh")
