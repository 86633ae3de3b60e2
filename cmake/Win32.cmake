# The Windows side: framework layer, plug-in, stand-in client world and tests under Wine.
add_compile_options(-Wall -Wextra -Wshadow -finput-charset=UTF-8 -fexec-charset=GBK)
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
