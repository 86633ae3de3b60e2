# Native build of the portable units: unit tests under ASan/UBSan and libFuzzer targets.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Wshadow -g ${SANITIZE})
add_link_options(${SANITIZE})

add_portable_units(portable)

add_subdirectory(tests/native)
add_subdirectory(fuzz)
