# Native tree: the logic against the simulated platform, under ASan and UBSan.
option(TESSARA_SANITIZE "Build native tests with AddressSanitizer and UBSan" ON)

# The crypto interface over OpenSSL.
find_package(OpenSSL REQUIRED)
file(GLOB PLATFORM_OPENSSL_SOURCES CONFIGURE_DEPENDS ${ROOT}/platform/openssl/*.cpp)
add_library(platform_crypto STATIC ${PLATFORM_OPENSSL_SOURCES})
target_include_directories(platform_crypto PUBLIC ${ROOT})
target_link_libraries(platform_crypto PUBLIC OpenSSL::Crypto)
target_link_libraries(tessara_core PUBLIC platform_crypto)

if(TESSARA_SANITIZE)
  foreach(t tessara_core platform_sim platform_crypto)
    target_compile_options(${t} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${t} PUBLIC -fsanitize=address,undefined)
  endforeach()
endif()

find_package(GTest REQUIRED)
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${ROOT}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE platform_sim GTest::gtest GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE TESSARA_SOURCE_DIR="${ROOT}")
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS native)

find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${ROOT}/bench/native/*.cpp)
  if(BENCH_SOURCES)
    add_executable(native_bench ${BENCH_SOURCES})
    target_link_libraries(native_bench PRIVATE platform_sim benchmark::benchmark benchmark::benchmark_main)
  endif()
endif()

# The Group Policy templates, checked against the settings the program
# manages each time the tree builds (and as a test).
find_package(LibXml2 REQUIRED)
add_executable(check_policy_templates ${ROOT}/setup/check_policy_templates.cpp
  ${ROOT}/tessara7/restrictions/catalogue.cpp)
target_include_directories(check_policy_templates PRIVATE ${ROOT})
target_link_libraries(check_policy_templates PRIVATE LibXml2::LibXml2)
set(POLICY_TEMPLATES ${ROOT}/setup/policy/tessara.admx ${ROOT}/setup/policy/en-US/tessara.adml)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/policy_templates.checked
  COMMAND check_policy_templates ${POLICY_TEMPLATES}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/policy_templates.checked
  DEPENDS check_policy_templates ${POLICY_TEMPLATES} VERBATIM)
add_custom_target(policy_templates ALL DEPENDS ${CMAKE_BINARY_DIR}/policy_templates.checked)
add_test(NAME policy_templates COMMAND check_policy_templates ${POLICY_TEMPLATES})
set_tests_properties(policy_templates PROPERTIES LABELS native)

# A short run of the .ts7 reader's fuzz target (its own clang tree, build/fuzz);
# scripts/fuzz runs it for longer.
add_test(NAME ts7_reader_fuzz COMMAND ${ROOT}/scripts/fuzz 15)
set_tests_properties(ts7_reader_fuzz PROPERTIES LABELS native TIMEOUT 600)

# Real files of this system, for the encryption component measured natively
# on a real disk and tested over real files.
add_library(platform_posix STATIC ${ROOT}/platform/posix/posix_files.cpp)
target_include_directories(platform_posix PUBLIC ${ROOT})
target_link_libraries(platform_posix PUBLIC tessara_core)
target_link_libraries(unit_tests PRIVATE platform_posix)
add_executable(native_encryption_bench ${ROOT}/bench/native_files/encryption_bench.cpp)
target_link_libraries(native_encryption_bench PRIVATE platform_posix)

# Includes inside tessara7/ point down its layers (scripts/check-includes).
add_test(NAME include_layers COMMAND ${ROOT}/scripts/check-includes)
set_tests_properties(include_layers PROPERTIES LABELS native)
