# Native build of the portable units: unit tests under ASan/UBSan and libFuzzer targets.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Wshadow -g ${SANITIZE})
add_link_options(${SANITIZE})

add_portable_units(portable)

find_package(GTest REQUIRED)
add_executable(native_tests
  tests/native/click_point_test.cpp
  tests/native/color_key_runs_test.cpp
  tests/native/config_line_test.cpp
  tests/native/doctor_report_test.cpp
  tests/native/queue_section_test.cpp
  tests/native/utilities_test.cpp
)
target_link_libraries(native_tests PRIVATE portable GTest::gtest_main)
add_test(NAME native_tests COMMAND native_tests)

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(FUZZ_SECONDS 20 CACHE STRING "How long each fuzz target runs in the test suite")
  # The units once more with coverage instrumentation, so the fuzzers see their branches.
  add_library(portable_fuzz STATIC ${PORTABLE_SOURCES})
  target_include_directories(portable_fuzz PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(portable_fuzz PRIVATE -fsanitize=fuzzer-no-link)
  function(add_fuzz_target name source)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE portable_fuzz)
    add_test(NAME ${name} COMMAND ${name} -max_total_time=${FUZZ_SECONDS} -print_final_stats=0)
  endfunction()
  add_fuzz_target(fuzz_color_key_runs fuzz/color_key_runs_fuzz.cpp)
  add_fuzz_target(fuzz_config_line fuzz/config_line_fuzz.cpp)
  add_fuzz_target(fuzz_letters_fields fuzz/letters_fields_fuzz.cpp)
  add_fuzz_target(fuzz_pe_image fuzz/pe_image_fuzz.cpp)
  add_fuzz_target(fuzz_queue_section fuzz/queue_section_fuzz.cpp)
endif()
