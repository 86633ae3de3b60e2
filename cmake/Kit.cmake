# The integration kit a client team drops into its tree: build/<tree>/dist. The shipped
# kit is build/win32's; the 64-bit twin makes its own for its tests. Every file of it
# comes out byte-identical from any build folder.
set(KIT_DIR ${CMAKE_BINARY_DIR}/dist)
set(kit_def ${PROJECT_SOURCE_DIR}/res/ZRKTempDll.def)
# The doctor ships in the kit too: linked without a time stamp, as the plug-in is.
target_link_options(zrkdoctor PRIVATE -Wl,--no-insert-timestamp)

# The import libraries are made from the .def in the kit's own folder under relative
# names, so no build folder enters their member or symbol names: ZRKTempDll.lib in the
# short import format, which every Microsoft linker takes (under /SAFESEH too), and
# libZRKTempDll.dll.a for mingw. The link map's paths are written as the compiler's are
# (-ffile-prefix-map in Win32.cmake).
set(kit_import_libs ${KIT_DIR}/lib/ZRKTempDll.lib ${KIT_DIR}/lib/libZRKTempDll.dll.a)
add_custom_command(OUTPUT ${kit_import_libs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KIT_DIR}/lib
  COMMAND ${CMAKE_COMMAND} -E chdir ${KIT_DIR}/lib
          ${MSVC_DLLTOOL} -m ${MSVC_DLLTOOL_MACHINE} -d ${kit_def} -D ZRKTempDll.dll -l ZRKTempDll.lib
  COMMAND ${CMAKE_COMMAND} -E chdir ${KIT_DIR}/lib
          ${CMAKE_DLLTOOL} -d ${kit_def} -D ZRKTempDll.dll -t ZRKTempDll_ -l libZRKTempDll.dll.a
  DEPENDS ${kit_def}
  COMMENT "Import libraries of the integration kit"
  VERBATIM)
# Files copied only when they differ, so a build with nothing to do rebuilds nothing
# that uses the kit.
add_custom_target(kit ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KIT_DIR}/bin ${KIT_DIR}/include ${KIT_DIR}/symbols
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:ZRKTempDll> ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE_DIR:ZRKTempDll>/ZRKTempDll.debug ${KIT_DIR}/symbols/
  COMMAND ${CMAKE_COMMAND} -DIN=$<TARGET_FILE_DIR:ZRKTempDll>/ZRKTempDll.map
          -DOUT=${KIT_DIR}/symbols/ZRKTempDll.map -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/KitMap.cmake
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:zrkdoctor> ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/app/ZRKTempDll.h ${KIT_DIR}/include/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/devconfig.txt ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/INTEGRATION.md ${KIT_DIR}/
  DEPENDS ZRKTempDll zrkdoctor ${kit_import_libs}
  COMMENT "Integration kit in ${KIT_DIR}"
  VERBATIM)

# add_kit_import_library_check(<test name>): this tree's ZRKTempDll.lib linked by
# lld-link with its defaults, without running anything (label "static").
function(add_kit_import_library_check name)
  add_test(NAME ${name}
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/kit/import_library_test.sh ${KIT_DIR} ${MSVC_TRIPLE}
                   ${PROJECT_SOURCE_DIR}/tests/kit/calls_every_export.c)
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()
