# Windows build (MinGW-w64 cross compilers): the product, its stand-ins and the Wine tests.

# The era's API level: NT 4 / Windows 95 with the common controls of IE 3. Record sizes come
# from the SDK's _V1 size macros, so the structures we fill are the ones those shells expect.
add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300 NOMINMAX
                        WIN32_LEAN_AND_MEAN)
enable_language(RC)
add_link_options(-static)

add_library(ticker_win STATIC)
target_link_libraries(ticker_win PUBLIC ticker_portable comctl32 comdlg32 wininet lz32 shell32
                      advapi32 gdi32 user32)

include(${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)
add_subdirectory(src)
add_subdirectory(tools)
add_subdirectory(tests/probe)
if(TICKER_WINE_TESTS)
    add_subdirectory(tests/win)
endif()
# TickerSetup.exe, after the programs it installs.
add_subdirectory(installer)

# Benchmarks of the strip (figures, not tests): bench/run_bench.py and bench/ticker_cpu.py.
add_subdirectory(bench)
