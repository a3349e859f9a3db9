# Windows tree: the real programs, and the tests that run them under Wine.
enable_language(RC)
# The programs ship optimised and stripped unless a build type is asked for.
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
# GCC 12 reports false overlaps inside std::string when optimising (its bug 105329).
add_compile_options(-Wno-restrict)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

target_compile_definitions(tessara_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# The crypto interface over CNG; the platform-neutral logic calls it directly.
file(GLOB PLATFORM_CNG_SOURCES CONFIGURE_DEPENDS ${ROOT}/platform/win32/cng/*.cpp)
add_library(platform_crypto STATIC ${PLATFORM_CNG_SOURCES})
target_include_directories(platform_crypto PUBLIC ${ROOT})
target_compile_definitions(platform_crypto PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
target_link_libraries(platform_crypto PUBLIC bcrypt)
target_link_libraries(tessara_core PUBLIC platform_crypto)

file(GLOB PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${ROOT}/platform/win32/*.cpp)
file(GLOB FORMS_WIN32_SOURCES CONFIGURE_DEPENDS ${ROOT}/forms/win32/*.cpp)
add_library(platform_win32 STATIC ${PLATFORM_WIN32_SOURCES} ${FORMS_WIN32_SOURCES})
target_link_libraries(platform_win32 PUBLIC tessara_core comctl32 shlwapi shell32 advapi32 user32 gdi32 comdlg32 bcrypt ole32 uuid version ntdll)

include(cmake/WindowsProgram.cmake)

tessara_add_windows_program(tessara7
  SOURCES ${ROOT}/tessara7/main.cpp RESOURCES ${ROOT}/res/tessara7.rc LIBRARIES platform_win32 version)

# The two small programs link nothing of the main program: the Win32 kit
# (shared/) is header-only and compiles into each of them.
file(GLOB HIVEXFER_SOURCES CONFIGURE_DEPENDS ${ROOT}/hivexfer/*.cpp)
tessara_add_windows_program(hivexfer
  SOURCES ${HIVEXFER_SOURCES} RESOURCES ${ROOT}/res/hivexfer.rc LIBRARIES comctl32 advapi32 user32 gdi32 shell32)

file(GLOB TSRRUN_SOURCES CONFIGURE_DEPENDS ${ROOT}/menu/*.cpp)
tessara_add_windows_program(tsrrun
  SOURCES ${TSRRUN_SOURCES} RESOURCES ${ROOT}/res/tsrrun.rc LIBRARIES comctl32 shell32 user32 gdi32)

# The guard service: keeps tessara7 running in the users' sessions. Like the
# two small programs it links nothing of the main program (only the
# platform's cryptography, for the program file's digest).
file(GLOB TSRGUARD_SOURCES CONFIGURE_DEPENDS ${ROOT}/guard/*.cpp ${ROOT}/history/*.cpp)
tessara_add_windows_program(tsrguard
  SOURCES ${TSRGUARD_SOURCES} RESOURCES ${ROOT}/guard/tsrguard.rc
  LIBRARIES platform_crypto advapi32 wtsapi32 userenv user32 shell32 ole32
  DEFINITIONS _WIN32_WINNT=0x0A00)

# The Explorer menu DLL: an in-process COM server that links nothing of the
# main program and talks to it only through its window.
file(GLOB TSRMENU_SOURCES CONFIGURE_DEPENDS ${ROOT}/tsrmenu/*.cpp)
tessara_add_windows_library(tsrmenu
  SOURCES ${TSRMENU_SOURCES} ${ROOT}/tsrmenu/tsrmenu.def RESOURCES ${ROOT}/res/tsrmenu.rc
  LIBRARIES shell32 ole32 advapi32 user32 uuid)

# GoogleTest from Debian's sources, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -Wno-error)
endforeach()

# Tests against the real Windows API (registry, windows) inside one process.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${ROOT}/tests/win/*.cpp)
# The transfer tool's registry procedures are tested here too.
add_executable(win_tests ${WIN_TEST_SOURCES} ${ROOT}/hivexfer/registry_module.cpp)
target_link_libraries(win_tests PRIVATE platform_win32 gtest gtest_main)
target_compile_definitions(win_tests PRIVATE TESSARA_SOURCE_DIR="${ROOT}")
add_test(NAME win_tests COMMAND win_tests --gtest_brief=1)
set_tests_properties(win_tests PROPERTIES LABELS wine RESOURCE_LOCK wineprefix TIMEOUT 600)

# End-to-end tests: drive the real programs as a user or another program would.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${ROOT}/tests/e2e/*.cpp)
# The restrictions catalogue is compiled in: the uninstaller's test reads every policy value from it.
add_executable(e2e_tests ${E2E_SOURCES} ${ROOT}/tessara7/restrictions/catalogue.cpp)
target_include_directories(e2e_tests PRIVATE ${ROOT})
target_compile_definitions(e2e_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(e2e_tests PRIVATE gtest comctl32 advapi32 user32 shell32 psapi ole32 uuid)
add_dependencies(e2e_tests tessara7 hivexfer tsrrun tsrmenu tsrguard)
# One ctest test per suite, so that a failure names its suite. The suites are
# read from the sources; a source change re-runs the configuration.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E2E_SOURCES})
set(E2E_SUITES)
foreach(source ${E2E_SOURCES})
  file(STRINGS ${source} declarations REGEX "^TEST(_F|_P)?\\([A-Za-z0-9_]+, *[A-Za-z0-9_]+\\)")
  foreach(declaration ${declarations})
    if(NOT declaration MATCHES "DISABLED_")
      string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${declaration}")
      list(APPEND E2E_SUITES ${suite})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES E2E_SUITES)
foreach(suite ${E2E_SUITES})
  # Parameterised suites run under an instantiation prefix: Prefix/Suite.Name/0.
  add_test(NAME e2e.${suite} COMMAND e2e_tests --gtest_filter=${suite}.*:*/${suite}.* --gtest_brief=1)
  set_tests_properties(e2e.${suite} PROPERTIES LABELS wine RESOURCE_LOCK wineprefix TIMEOUT 600
    ENVIRONMENT "TESSARA_BIN=${CMAKE_BINARY_DIR}/bin")
endforeach()

file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${ROOT}/bench/wine/*.cpp)
if(WIN_BENCH_SOURCES)
  # The transfer group measures the tool's own procedures, compiled in; whole
  # encryption runs are driven through the real program with the end-to-end tests' driver.
  add_executable(wine_bench ${WIN_BENCH_SOURCES} ${ROOT}/hivexfer/transfer.cpp ${ROOT}/hivexfer/registry_module.cpp
    ${ROOT}/tests/e2e/harness.cpp ${ROOT}/tests/e2e/tessara_driver.cpp ${ROOT}/tests/e2e/file_helpers.cpp
    ${ROOT}/tests/e2e/guard_helpers.cpp)
  target_include_directories(wine_bench PRIVATE ${ROOT})
  target_link_libraries(wine_bench PRIVATE platform_win32 gtest psapi)
  # The guard group installs the real setup.
  add_dependencies(wine_bench tessara7 setup)
endif()
include(cmake/Setup.cmake)
