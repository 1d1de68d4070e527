# Initial cache of the release tree (cmake -C): what ships, built for Windows
# 95 and NT 4.0 with debug information that is then split off.
set(PLUGWARD_SHIP ON CACHE BOOL "")
set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "")
set(CMAKE_TOOLCHAIN_FILE ${CMAKE_CURRENT_LIST_DIR}/mingw-i686-win32.cmake CACHE FILEPATH "")
