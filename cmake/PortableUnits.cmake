# Logic without <windows.h>: each folder lists its portable units as <folder>_portable;
# built into the plug-in and, natively, for sanitizers and fuzzers.
function(add_portable_units target)
  add_library(${target} INTERFACE)
  foreach(folder util messaging skin config tools)
    add_subdirectory(${PROJECT_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder})
    target_link_libraries(${target} INTERFACE ${folder}_portable)
  endforeach()
endfunction()
