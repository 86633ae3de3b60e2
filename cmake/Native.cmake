# Native tree: the portable units under ASan/UBSan, and libFuzzer targets with Clang.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Wshadow -g ${SANITIZE})
add_link_options(${SANITIZE})
