# use_unwind_table_start(<target>) links a DLL with the unwind tables' start that
# app/UnwindTableStart.c makes (app/ builds it as target unwind_table_start into
# UNWIND_TABLE_START_DIR): the compiler looks for its start files in -B directories
# first. Only 32-bit code registers its tables; elsewhere this does nothing. Its users:
# ZRKTempDll (app/) and the unwind probe of the tests (tests/wine/), in any order of the
# directories, since the folder is fixed here and target dependencies resolve at the end.
set(UNWIND_TABLE_START_DIR ${CMAKE_BINARY_DIR}/startfiles)
function(use_unwind_table_start target)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  set(startfiles ${UNWIND_TABLE_START_DIR})
  add_dependencies(${target} unwind_table_start)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${startfiles}/crtbegin.o)
  # The start file notes the unwinder's semaphore through this wrap, to close it at unload.
  target_link_options(${target} PRIVATE -B${startfiles}/
                      -Wl,--wrap=_imp__CreateSemaphoreW@16)
endfunction()
