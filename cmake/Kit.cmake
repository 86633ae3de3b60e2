# The integration kit a client team drops into its tree: build/win32/dist.
set(KIT_DIR ${CMAKE_BINARY_DIR}/dist)

add_custom_target(kit ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KIT_DIR}/bin ${KIT_DIR}/include ${KIT_DIR}/lib ${KIT_DIR}/symbols
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ZRKTempDll> ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE_DIR:ZRKTempDll>/ZRKTempDll.debug
          $<TARGET_FILE_DIR:ZRKTempDll>/ZRKTempDll.map ${KIT_DIR}/symbols/
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zrkdoctor> ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:ZRKTempDll> ${KIT_DIR}/lib/libZRKTempDll.dll.a
  COMMAND ${CMAKE_DLLTOOL} -d ${PROJECT_SOURCE_DIR}/res/ZRKTempDll.def -D ZRKTempDll.dll
          -l ${KIT_DIR}/lib/ZRKTempDll.lib
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/app/ZRKTempDll.h ${KIT_DIR}/include/
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/devconfig.txt ${KIT_DIR}/bin/
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/INTEGRATION.md ${KIT_DIR}/
  DEPENDS ZRKTempDll zrkdoctor
  COMMENT "Integration kit in ${KIT_DIR}"
  VERBATIM)
