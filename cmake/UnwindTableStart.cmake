# use_unwind_table_start(<target>) links a DLL with the unwind tables' start that
# app/UnwindTableStart.c makes (app/ builds it and sets UNWIND_TABLE_START_DIR): the
# compiler looks for its start files in -B directories first. Only 32-bit code registers
# its tables; elsewhere this does nothing. Its users: ZRKTempDll (app/) and the unwind
# probe of the tests (tests/wine/).
function(use_unwind_table_start target)
  get_property(startfiles GLOBAL PROPERTY UNWIND_TABLE_START_DIR)
  if(NOT startfiles)
    return()
  endif()
  add_dependencies(${target} unwind_table_start)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${startfiles}/crtbegin.o)
  target_link_options(${target} PRIVATE -B${startfiles}/)
endfunction()
