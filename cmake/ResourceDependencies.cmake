# resource_script_depends(<rc>): CMake does not see the files a resource script names
# (bitmaps, headers): the script's object is rebuilt when one of them changes, and the
# build is configured again when the script changes what it names. Called in the folder
# that compiles the script.
function(resource_script_depends rc)
  get_filename_component(rc ${rc} ABSOLUTE)
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
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${inputs}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rc})
endfunction()
