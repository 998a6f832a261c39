# 64-bit Windows build of the same sources with MinGW-w64. It exists for machines whose
# kernel cannot run 32-bit code, where Wine runs only 64-bit programs: there the Wine suites
# run this build. The product that ships is the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
