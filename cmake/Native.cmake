# Native (Linux) build: the portable core and its unit tests, the portal server, the two
# Windows builds as external projects, and the registration of every test for CTest.
include(CTest)
include(ExternalProject)

option(TICKER_FUZZ "Build the libFuzzer targets (needs clang)" ON)
include(${CMAKE_CURRENT_LIST_DIR}/Fuzzing.cmake)

add_subdirectory(src)
include(${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)

# GoogleTest from Debian's sources, built with the project.
set(GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The Windows builds. They are always rebuilt so that a `cmake --build` of this tree is the one
# command that brings every binary up to date.
foreach(arch x86_64 i686)
    set(dir ${CMAKE_BINARY_DIR}/win-${arch})
    ExternalProject_Add(win-${arch}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${dir}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                   -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                   -DTICKER_WINE_TESTS=$<IF:$<STREQUAL:${arch},x86_64>,ON,OFF>
                   -DTICKER_SIGNING_KEY=${TICKER_SIGNING_KEY_FILE}
                   -G ${CMAKE_GENERATOR}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        USES_TERMINAL_BUILD ON)
endforeach()
set(WIN_BIN ${CMAKE_BINARY_DIR}/win-x86_64 CACHE INTERNAL "x86_64 Windows binaries")
set(WIN32_BIN ${CMAKE_BINARY_DIR}/win-i686 CACHE INTERNAL "i686 Windows binaries")

add_subdirectory(tools/portal)
add_subdirectory(tests/unit)
add_subdirectory(tests/e2e)
if(TICKER_FUZZ)
    add_subdirectory(tests/fuzz)
endif()

# Every C and C++ file follows .clang-format; a file that differs fails here.
find_program(TICKER_CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
add_test(NAME format
         COMMAND sh -c "find src tests tools bench -name '*.cpp' -o -name '*.h' | sort | xargs '${TICKER_CLANG_FORMAT}' --dry-run -Werror"
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})

# No file under src/ includes one of a later layer than its own: the order and the few upward
# includes the design needs are written in src/README.md, which the test reads.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/layers_test.py
                             ${CMAKE_SOURCE_DIR}/src)
set_tests_properties(layers PROPERTIES ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")
