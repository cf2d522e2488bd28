# Native build: the portable core, its unit tests and its benchmarks.
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
find_package(Threads REQUIRED)

add_library(tessara_core STATIC ${CORE_SOURCES} ${POSIX_SOURCES})
target_include_directories(tessara_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

option(TESSARA_SANITIZE "Build the native tests with address and undefined-behaviour sanitizers" OFF)
if(TESSARA_SANITIZE)
  target_compile_options(tessara_core PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(tessara_core PUBLIC -fsanitize=address,undefined)
endif()

include(GoogleTest)
add_executable(tessara_tests ${NATIVE_TESTS})
target_include_directories(tessara_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tessara_tests PRIVATE tessara_core GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
gtest_discover_tests(tessara_tests DISCOVERY_TIMEOUT 60)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tessara_core benchmark::benchmark Threads::Threads)
  endforeach()
endif()

add_test(NAME SourceCheck.NoAnsiTextFunctions
         COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src -P ${CMAKE_SOURCE_DIR}/tests/base/ansi_text_check.cmake)
