# libFuzzer targets. The native tree builds with g++, which has no libFuzzer, so a target is one
# clang++ command over the portable sources it needs; without clang there are no fuzz targets.
#
#   add_fuzzer(NAME SECONDS SEEDS DIR SOURCES file... [INCLUDE dir] [DEPENDS file...]
#              [LIBS flag...] [OPTIONS libfuzzer-option...])
#
# makes the program NAME_fuzzer and the CTest test fuzz_NAME: a bounded run of SECONDS whose
# new inputs go to a corpus in the build tree, the seeds in DIR staying as they are.
# scripts/fuzz.sh runs the same tests long.
find_program(TICKER_CLANGXX NAMES clang++ clang++-14 clang++-15 clang++-16)
if(NOT TICKER_CLANGXX)
    message(STATUS "clang++ not found: the fuzz targets are left out")
endif()

function(add_fuzzer name)
    cmake_parse_arguments(PARSE_ARGV 1 fuzz "" "SECONDS;SEEDS;INCLUDE"
                          "SOURCES;DEPENDS;LIBS;OPTIONS")
    if(NOT TICKER_CLANGXX)
        return()
    endif()
    set(program ${CMAKE_CURRENT_BINARY_DIR}/${name}_fuzzer)
    add_custom_command(OUTPUT ${program}
        COMMAND ${TICKER_CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Wno-unused-parameter
                -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
                -I${fuzz_INCLUDE} ${fuzz_SOURCES} ${fuzz_LIBS} -o ${program}
        DEPENDS ${fuzz_SOURCES} ${fuzz_DEPENDS}
        COMMENT "Building the ${name} fuzzer with clang"
        VERBATIM)
    add_custom_target(fuzz_${name} ALL DEPENDS ${program})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus_${name})
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME fuzz_${name}
             COMMAND ${program} -max_total_time=${fuzz_SECONDS} -print_final_stats=1
                     -rss_limit_mb=1024 ${fuzz_OPTIONS} ${corpus} ${fuzz_SEEDS})
    math(EXPR limit "${fuzz_SECONDS} * 3 + 45")
    set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT ${limit})
endfunction()
