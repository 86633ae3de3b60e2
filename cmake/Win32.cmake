# Compiler and linker settings of the Windows tree.
add_compile_options(-Wall -Wextra -Wshadow -finput-charset=UTF-8 -fexec-charset=GBK)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
# Import nothing from the mingw runtime: a game client folder has none of its DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
