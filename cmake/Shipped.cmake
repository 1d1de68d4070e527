# The two build trees of the Windows build.
#
# The release tree (PLUGWARD_SHIP) builds PLUGWARD.DLL and snapinctl.exe with
# the win32 thread model and Windows 95 / NT 4.0 declarations, strips them
# beside separate debug files, and leaves no timestamp or build path in them.
# The test tree builds the release tree as an external project and copies
# the shipped binaries into its bin directory under the same target names,
# so every test loads and runs exactly what ships.

set(PLUGWARD_RELEASE_DIR ${CMAKE_BINARY_DIR}/../ship CACHE PATH "Build directory of the release tree")
# snapinctl's core as the release tree builds it into snapinctl.exe; the test
# tree links this archive instead of compiling the core a second time. Its path
# is spelled in normal form, as Ninja knows it for the release tree's output.
cmake_path(SET PLUGWARD_RELEASE_SNAPINCTL_CORE NORMALIZE ${PLUGWARD_RELEASE_DIR}/tools/snapinctl/libsnapinctl_core.a)

if(PLUGWARD_SHIP)
  add_compile_definitions(_WIN32_WINNT=0x0400 WINVER=0x0400)
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=src -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  # Windows 95 and NT 4.0 load nothing that asks for a newer subsystem.
  add_link_options(-Wl,--no-insert-timestamp
    -Wl,--major-os-version,4,--minor-os-version,0
    -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
  # Nothing is linked that nothing calls: each function and datum in its own
  # section, unreferenced sections dropped at link time, code for size. No
  # RTTI (nothing uses dynamic_cast or typeid) and no locks around
  # function-local statics (every call arrives on one thread), each of which
  # links a part of the runtime.
  add_compile_options(-Oz -ffunction-sections -fdata-sections -fno-threadsafe-statics -fno-rtti)
  add_link_options(-Wl,--gc-sections)
endif()

# add_shipped(TARGET): in the release tree, strips TARGET's output after each
# link and keeps its debug information in OUTPUT.debug beside it; objcopy
# stamps the time into a PE header unless SOURCE_DATE_EPOCH says otherwise. In the test
# tree, TARGET is instead a copy of the release tree's stripped file.
function(add_shipped target file)
  if(PLUGWARD_SHIP)
    # The linker map beside the binary says what each byte is for (scripts/footprint).
    target_link_options(${target} PRIVATE -Wl,-Map,${CMAKE_BINARY_DIR}/bin/${file}.map)
    add_custom_command(TARGET ${target} POST_BUILD
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_STRIP} --strip-all ${file}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY} --add-gnu-debuglink=${file}.debug ${file}
      VERBATIM)
  else()
    add_custom_target(${target} ALL
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PLUGWARD_RELEASE_DIR}/bin/${file} ${CMAKE_BINARY_DIR}/bin/${file}
      BYPRODUCTS ${CMAKE_BINARY_DIR}/bin/${file}
      DEPENDS release_tree
      VERBATIM)
  endif()
endfunction()

function(add_release_tree)
  include(ExternalProject)
  ExternalProject_Add(release_tree
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${PLUGWARD_RELEASE_DIR}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -C ${CMAKE_SOURCE_DIR}/cmake/ReleaseTree.cmake
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${PLUGWARD_RELEASE_SNAPINCTL_CORE}
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
endfunction()
