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

# Appends `dir` and every directory below it to the list named `outDirs`, and the
# resource scripts their targets list, directly or for their users, to `outScripts`.
function(collect_resource_scripts dir outDirs outScripts)
  set(foundDirs ${${outDirs}} ${dir})
  set(foundScripts ${${outScripts}})
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(targetDir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    get_target_property(interfaceSources ${target} INTERFACE_SOURCES)
    foreach(source IN LISTS sources interfaceSources)
      if(source MATCHES "\\.rc$")
        get_filename_component(rc ${source} ABSOLUTE BASE_DIR ${targetDir})
        list(APPEND foundScripts ${rc})
      endif()
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    collect_resource_scripts(${subdir} foundDirs foundScripts)
  endforeach()
  set(${outDirs} ${foundDirs} PARENT_SCOPE)
  set(${outScripts} ${foundScripts} PARENT_SCOPE)
endfunction()

# Applies the dependencies in every directory of the project below `dir`: a script listed
# by an interface library is compiled in the directories of the targets that link it.
function(add_resource_dependencies dir)
  set(resourceDirs)
  set(resourceScripts)
  collect_resource_scripts(${dir} resourceDirs resourceScripts)
  list(REMOVE_DUPLICATES resourceScripts)
  foreach(rc IN LISTS resourceScripts)
    resource_script_inputs(${rc} inputs)
    set_source_files_properties(${rc} DIRECTORY ${resourceDirs} PROPERTIES OBJECT_DEPENDS "${inputs}")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rc})
  endforeach()
endfunction()
