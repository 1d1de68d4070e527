# Cross-compiles what ships (PLUGWARD.DLL, snapinctl.exe) with MinGW-w64's
# win32 thread model: no winpthread, so nothing newer than Windows 95 and
# NT 4.0 is imported.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
