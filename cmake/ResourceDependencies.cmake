# CMake does not see the files a resource script names (bitmaps and the like): every
# target that compiles a script is rebuilt when one of them changes, and the build is
# configured again when a script changes what it names.

# The existing files that the quoted names in resource script `rc` refer to, relative to
# the script's folder.
function(resource_script_inputs rc out)
  get_filename_component(folder ${rc} DIRECTORY)
  file(STRINGS ${rc} lines REGEX "\"[^\"]+\"")
  set(inputs)
  foreach(line IN LISTS lines)
    string(REGEX MATCHALL "\"[^\"]+\"" names "${line}")
    foreach(name IN LISTS names)
      string(REPLACE "\"" "" name "${name}")
      if(NOT name MATCHES "[<>|*?]" AND EXISTS ${folder}/${name} AND NOT IS_DIRECTORY ${folder}/${name})
        list(APPEND inputs ${folder}/${name})
      endif()
    endforeach()
  endforeach()
  set(${out} ${inputs} PARENT_SCOPE)
endfunction()

# Applies the dependencies to every target defined in `dir` and its subdirectories.
function(add_resource_dependencies dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    get_target_property(targetDir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
      if(NOT source MATCHES "\\.rc$")
        continue()
      endif()
      get_filename_component(rc ${source} ABSOLUTE BASE_DIR ${targetDir})
      resource_script_inputs(${rc} inputs)
      set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${inputs}")
      set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rc})
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    add_resource_dependencies(${subdir})
  endforeach()
endfunction()
