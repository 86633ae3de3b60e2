# Native build of the portable units: unit tests under ASan/UBSan and libFuzzer targets.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Wshadow -g ${SANITIZE})
add_link_options(${SANITIZE})
# Coverage instrumentation in every unit, so that the fuzzers follow the units' branches
# and not only their own; the sanitizer runtime answers the hooks in the tests.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_portable_units(portable)

add_subdirectory(tests/native)
add_subdirectory(fuzz)

# What the scripts conclude about the machine's Wine, with planted loaders.
add_test(NAME Scripts.WineProbeSaysWhyAWordSizeCannotRun COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine_arch_test.sh)
