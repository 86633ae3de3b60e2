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

# Each tree runs its programs on the Wine of its own word size, through a wrapper of its
# own (build/<tree>/wine-run.sh), so CTest, the tests' scripts and a developer agree.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(WINE_ARCH win64)
else()
  set(WINE_ARCH win32)
endif()
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
file(CONFIGURE OUTPUT ${WINE_RUN} @ONLY
     CONTENT "#!/bin/sh\nZRK_ARCH=@WINE_ARCH@ exec \"@PROJECT_SOURCE_DIR@/scripts/wine-run.sh\" \"$@\"\n")
file(CHMOD ${WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                   WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})

# The tests that run in the suite's Wine session take turns on its desktop: a window one
# of them shows takes the foreground and the keyboard focus from another's, whose button
# then loses its press and whose menu closes. (The fault sweep's sample and the main job
# bring up sessions of their own.)
set(WINE_DESKTOP_LOCK wine_desktop)
function(uses_wine_desktop)
  set_property(TEST ${ARGN} APPEND PROPERTY RESOURCE_LOCK ${WINE_DESKTOP_LOCK})
endfunction()

# The plug-in's own code runs once per start-up or per player action: small beats fast
# there (DLL_SMALL_CODE_OPTIONS). The portable units keep the release level: their scans
# are the hot loops. All the DLL's code carries debug information for ZRKTempDll.debug
# (no change to the code). Each folder applies these to its own targets.
set(DLL_CODE_OPTIONS -g)
set(DLL_SMALL_CODE_OPTIONS -Os -g)
include(cmake/UnwindTableStart.cmake)
include(cmake/ResourceDependencies.cmake)
include(cmake/MsvcAbi.cmake)

add_portable_units(portable)

add_subdirectory(framework)
add_subdirectory(res)
add_subdirectory(app)
include(cmake/Kit.cmake)
add_subdirectory(client)
add_subdirectory(tests/kit)
add_subdirectory(tests/wine)
# Tests whose subject is the 32-bit image itself, so the 64-bit twin has none of them:
# the shipped image's static checks (calling conventions, table methods' pops, header).
if(WINE_ARCH STREQUAL win32)
  add_subdirectory(tests/image)
endif()
add_subdirectory(bench)
# The README's main-job command itself, so the README cannot rot.
add_test(NAME MainJob.ReadmeCommandTellsTheStory
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/main_job_test.sh ${WINE_ARCH})
# It brings up a Wine prefix and a display of its own: alone, so nothing else competes
# with that first start.
set_tests_properties(MainJob.ReadmeCommandTellsTheStory PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)
