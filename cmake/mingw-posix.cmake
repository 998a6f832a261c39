# What the MinGW-w64 toolchain files share. The including file sets CMAKE_SYSTEM_PROCESSOR
# (i686 or x86_64), which is also the prefix of the compilers' names. The posix thread model
# gives std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(mingw_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the test executables under Wine, as an unprivileged user in a Japanese locale.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
# A library found for the build is its static archive: the programs import system DLLs only.
set(ZLIB_USE_STATIC_LIBS ON)
