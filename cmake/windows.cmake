# Windows build: tessara.exe, the icon library TESSARA.DLL and the Win32 tests.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
enable_language(RC)

# A static runtime: the program runs from its folder with no MinGW DLLs beside it.
add_link_options(-static -static-libgcc -static-libstdc++)
# The same commit gives the same bytes: no link time stamps, no build folders in the binaries.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# Only what a start from the caches calls is imported. The shell, COM, OLE automation, the
# common controls and the imaging component are loaded at their first use
# (src/shell/late_win32.cpp): each would be loaded, with all it imports, before WinMain.
set(WIN32_SYSTEM_LIBS gdi32 user32 advapi32 uuid)
# For the tests, which call some of them directly.
set(WIN32_LATE_LIBS shell32 ole32 oleaut32 comctl32)

add_library(tessara_core STATIC ${CORE_SOURCES} ${WIN32_SOURCES})
target_include_directories(tessara_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(tessara_core PUBLIC ${WIN32_SYSTEM_LIBS})

add_subdirectory(res)

add_executable(tessara WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp ${TESSARA_APP_RESOURCES})
target_link_libraries(tessara PRIVATE tessara_core)
add_dependencies(tessara TESSARA)

# The start-up floor for the start-up benchmark: sixteen painted popups and nothing else.
add_executable(tessara_floor WIN32 ${CMAKE_SOURCE_DIR}/bench/floor/floor_win32.cpp
                                   ${CMAKE_SOURCE_DIR}/src/app/startupprobe_win32.cpp
                                   ${CMAKE_SOURCE_DIR}/src/base/phases.cpp)
target_include_directories(tessara_floor PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(tessara_floor PRIVATE gdi32 user32)

# Tile icons drawn by DrawIconEx against the program's own blend (bench/icondraw_win32.cpp).
add_executable(icondraw_bench ${CMAKE_SOURCE_DIR}/bench/icondraw_win32.cpp)
target_link_libraries(icondraw_bench PRIVATE tessara_core)

# GoogleTest compiled from its sources (Debian's googletest package installs them).
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree for the Windows tests")
if(WIN32_TESTS AND EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  # A library of twelve icons for the tile dialog's tests, made like TESSARA.DLL.
  add_library(twelve_icons SHARED ${CMAKE_SOURCE_DIR}/tests/res/twelve_icons.rc ${CMAKE_SOURCE_DIR}/res/iconlib_entry.c)
  set_target_properties(twelve_icons PROPERTIES PREFIX "")
  target_include_directories(twelve_icons PRIVATE ${CMAKE_BINARY_DIR}/res/icons)
  target_link_options(twelve_icons PRIVATE -nostdlib -Wl,-e,DllMainCRTStartup)
  add_dependencies(twelve_icons tessara_icons)
  add_executable(tessara_win32_tests ${WIN32_TESTS} ${TESSARA_APP_RESOURCES})
  target_include_directories(tessara_win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(tessara_win32_tests PRIVATE tessara_core ${WIN32_LATE_LIBS} gtest gtest_main gmock)
  add_dependencies(tessara_win32_tests tessara TESSARA launch_probe reader_probe twelve_icons)
  # A tiny program the launch tests start and that reports where and how it was started; in
  # UTF-8 under the program's manifest, so that no name reaches it cut to a legacy code page.
  add_executable(launch_probe WIN32 ${CMAKE_SOURCE_DIR}/tests/tessara/launch_probe.cpp ${TESSARA_APP_RESOURCES})
  add_dependencies(launch_probe TESSARA)
  # A screen reader's view of a window from another process, for the reader tests.
  add_executable(reader_probe ${CMAKE_SOURCE_DIR}/tests/tessara/reader_probe.cpp)
  target_link_libraries(reader_probe PRIVATE uuid oleacc ole32 oleaut32)
  # The soak script's reporter of another process's GDI objects and memory (not a test).
  add_executable(process_probe ${CMAKE_SOURCE_DIR}/tests/tessara/process_probe.cpp)
  target_link_libraries(process_probe PRIVATE psapi)
  # Discovery runs the test program through Wine at test time, not at build time.
  gtest_discover_tests(tessara_win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
