# Logic without <windows.h>: each folder lists its portable units as <folder>_portable;
# built into the plug-in and, natively, for sanitizers and fuzzers.
function(add_portable_units target)
  foreach(folder util messaging skin config tools)
    add_subdirectory(${PROJECT_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder})
  endforeach()
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE util_portable messaging_portable skin_portable config_portable
                                            tools_portable)
endfunction()
