# Cross-compiles the 64-bit twin of the Windows tree; its tests run under 64-bit Wine
# where the machine cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
