# Cross-compiles for 32-bit Windows, the product; its tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
