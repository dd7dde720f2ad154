# The Windows build, cross-compiled with mingw-w64 (cmake/toolchains, presets win32 and
# win64) and tested under Wine. Every binary carries the GCC runtime and winpthreads
# statically, so nothing but Windows' own DLLs is needed beside it and no C++ exception
# ever has to cross a DLL boundary (on i686 that terminates the process).
#
# What builds for Windows so far: ManageEdit.dll (module/), with the sys/ services on
# the Win32 API, the code pages and the Simplified/Traditional mapping as compiled-in
# tables, the control model (ui), the script engine (ui/script), the headless platform
# with its text measure on GDI (ui/headless) and the dialog areas (frame, payee, admin,
# customer) as static libraries linked into it; and the tests of sys/, ui/ and the module.
# _POSIX_THREAD_SAFE_FUNCTIONS makes mingw-w64's <time.h> declare localtime_r (on
# localtime_s), which the user report's date takes.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
add_link_options(-static)

# The table generators are built for the build machine, from the sources the Linux build
# converts with (ICU), in a build tree of their own inside this one.
include(ExternalProject)
set(TAVRO_CODEPAGE_TABLE_GENERATOR ${CMAKE_BINARY_DIR}/tablegen/tavro-codepage-tables)
set(TAVRO_CHINESE_TABLE_GENERATOR ${CMAKE_BINARY_DIR}/tablegen/tavro-chinese-tables)
ExternalProject_Add(tavro_table_generators
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/sys/tables
  BINARY_DIR ${CMAKE_BINARY_DIR}/tablegen
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${TAVRO_CODEPAGE_TABLE_GENERATOR} ${TAVRO_CHINESE_TABLE_GENERATOR}
  INSTALL_COMMAND "")

# CLI11 is header-only: its headers are taken from the build machine's package, alone,
# through a folder of one link, so that no other header of the build machine is seen.
set(TAVRO_CLI11_VIEW ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${TAVRO_CLI11_VIEW})
file(CREATE_LINK /usr/include/CLI ${TAVRO_CLI11_VIEW}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${TAVRO_CLI11_VIEW})

include(cmake/Layers.cmake)
add_subdirectory(sys)
add_subdirectory(ui)
add_subdirectory(frame)
add_subdirectory(payee)
add_subdirectory(admin)
add_subdirectory(customer)
add_subdirectory(host)
add_subdirectory(module)
add_subdirectory(shell)
tavro_apply_layers(${CMAKE_SOURCE_DIR})

# cmake --install and cpack: the installer and the ZIP for the administrator.
include(cmake/WindowsPackage.cmake)

include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests/windows)
endif()

# The benchmarks of the Windows build (tests/bench), built when Google Benchmark's sources
# are given (no Windows build of it is packaged; scripts/bench-windows.sh fetches Debian's).
set(TAVRO_BENCHMARK_SOURCE "" CACHE PATH "Google Benchmark's sources, for the Windows benchmarks")
if(TAVRO_BENCHMARK_SOURCE)
  add_subdirectory(tests/bench)
endif()
