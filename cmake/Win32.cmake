# The Windows side: framework layer, plug-in, stand-in client world and tests under Wine.
add_compile_options(-Wall -Wextra -Wshadow -finput-charset=UTF-8 -fexec-charset=GBK)
# The same sources give the same bytes in any folder: file names in the objects (debug
# information, __FILE__) start at /ZRKTempDll, the build folder's at /ZRKTempDll/build.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=/ZRKTempDll
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=/ZRKTempDll/build)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
# Import nothing from the mingw runtime: a game client folder has none of its DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

add_portable_units(portable)

add_subdirectory(framework)
add_subdirectory(res)
add_subdirectory(app)
include(cmake/Kit.cmake)
add_subdirectory(client)
add_subdirectory(tests/wine)
add_subdirectory(bench)
# The plug-in's own code runs once per start-up or per player action: small beats fast
# there. The portable units keep the release level: their scans are the hot loops.
set_property(TARGET framework config messaging skin util zrkplugin APPEND PROPERTY COMPILE_OPTIONS -Os)
# The DLL's code carries debug information for ZRKTempDll.debug (no change to the code).
set_property(TARGET framework framework_dllentry config messaging skin util zrkplugin config_portable
             messaging_portable skin_portable util_portable APPEND PROPERTY COMPILE_OPTIONS -g)

include(cmake/ResourceDependencies.cmake)
add_resource_dependencies(${PROJECT_SOURCE_DIR})

# The native tree's tests (portable units under sanitizers, bounded fuzzing) join
# this tree's run, so one CTest summary covers everything.
if(NATIVE_BUILD_DIR)
  add_test(NAME native.portable_units
           COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${NATIVE_BUILD_DIR} --output-on-failure -j 2)
endif()

# The README's main-job command itself, so the README cannot rot.
add_test(NAME MainJob.ReadmeCommandTellsTheStory
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/main_job_test.sh)
# It brings up a Wine prefix and a display of its own: alone, so nothing else competes
# with that first start.
set_tests_properties(MainJob.ReadmeCommandTellsTheStory PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)

# The shipped binaries load on Windows XP: each function they import from the system
# DLLs is one XP has.
add_test(NAME Image.ImportsExistOnWindowsXP
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/xp_imports_test.sh ${CMAKE_OBJDUMP} ${CMAKE_C_COMPILER}
                 $<TARGET_FILE:ZRKTempDll> $<TARGET_FILE:zrkdoctor>)

# Symbols for crash reports: the kit's debug file reads the shipped image's offsets
# back as functions and lines, and two clean builds in other folders give the same bytes.
add_test(NAME Image.KitDebugFileNamesEachExport
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/kit_symbols_test.sh ${CMAKE_OBJDUMP} ${CMAKE_ADDR2LINE} ${KIT_DIR})
add_test(NAME Image.TwoCleanBuildsInOtherFoldersAreByteIdentical
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/reproducible_build_test.sh ${PROJECT_SOURCE_DIR})
# Two builds of the plug-in take both cores for about a minute.
set_tests_properties(Image.TwoCleanBuildsInOtherFoldersAreByteIdentical PROPERTIES RUN_SERIAL TRUE TIMEOUT 400)
