# Images built in the Microsoft C++ ABI, for the peers that Microsoft's compiler builds:
# clang for the *-pc-windows-msvc target, freestanding, with mingw's Windows headers;
# lld-link with its default options; import libraries made at build time from the small
# .def files in cmake/msvc-imports (stdcall names decorated, Name@N, as x86 needs them);
# the C library imported from msvcrt.dll. The tree's word size decides x86 or x64.
#
#   add_msvc_library(<target> <file name> DEF <def> SOURCES <files...>
#                    [IMPORTS <names or .lib paths...>] [DEFINES <defs...>]
#                    [INCLUDES <dirs...>] [RESOURCES <.rc files...>] [DEPENDS <targets...>]
#                    [CXX_EXCEPTIONS])
#   add_msvc_executable(<target> SOURCES <files...> [NAME <file name>] [IMPORTS ...]
#                       [DEFINES ...] [INCLUDES ...] [RESOURCES ...] [DEPENDS ...]
#                       [CXX_EXCEPTIONS])
#
# Outputs go to ${CMAKE_BINARY_DIR}/bin; a DLL's import library is the target's property
# MSVC_IMPORT_LIBRARY, an image's path MSVC_IMAGE. kernel32 and msvcrt are always linked.
# CXX_EXCEPTIONS turns on C++ exceptions and RTTI (their helpers come from msvcrt.dll).
# A DLL's entry runs its static constructors and destructors around its DllMain (one is
# supplied when the sources have none); a program's entry calls main(argc, argv).
find_program(MSVC_CLANG clang REQUIRED)
find_program(MSVC_CLANGXX clang++ REQUIRED)
find_program(MSVC_LINK lld-link REQUIRED)
find_program(MSVC_DLLTOOL llvm-dlltool REQUIRED)
find_program(MSVC_LIB llvm-lib REQUIRED)
find_program(MSVC_RC llvm-rc REQUIRED)

set(MSVC_DIR ${CMAKE_BINARY_DIR}/msvc)
set(MSVC_IMPORTS_DIR ${CMAKE_CURRENT_LIST_DIR}/msvc-imports)
set(MSVC_RUNTIME_DIR ${CMAKE_CURRENT_LIST_DIR}/msvc-runtime)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MSVC_TRIPLE x86_64-pc-windows-msvc)
  set(MSVC_MACHINE x64)
  set(MSVC_DLLTOOL_MACHINE i386:x86-64)
  # Every function's unwind information, as the Microsoft compiler gives it: without it
  # no exception, structured or C++, can be dispatched through the image's frames.
  set(MSVC_ARCH_FLAGS -fasynchronous-unwind-tables)
  set(MSVC_DLL_ENTRY _DllMainCRTStartup)
  set(MSVC_DEFAULT_DLLMAIN DllMain=DefaultDllMain)
else()
  set(MSVC_TRIPLE i686-pc-windows-msvc)
  set(MSVC_MACHINE x86)
  set(MSVC_DLLTOOL_MACHINE i386)
  set(MSVC_ARCH_FLAGS -D_X86_=1)
  set(MSVC_DLL_ENTRY _DllMainCRTStartup@12)
  set(MSVC_DEFAULT_DLLMAIN _DllMain@12=_DefaultDllMain@12)
endif()
set(MSVC_COMPILE_FLAGS --target=${MSVC_TRIPLE} -ffreestanding -nostdlib -fno-stack-protector
    -fno-builtin -fno-threadsafe-statics -fgnuc-version=4.2.1 -O2 -Wall
    -isystem /usr/share/mingw-w64/include ${MSVC_ARCH_FLAGS}
    -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0501 -DWINVER=0x0501
    -D__USE_MINGW_ANSI_STDIO=0 -D__MSVCRT_VERSION__=0x600)

# msvc_compile(<out var> <object dir> <flags...> SOURCES <files...>): one object per
# source, its header dependencies tracked through the compiler's depfile.
function(msvc_compile out_var object_dir)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  set(objects)
  foreach(source ${ARG_SOURCES})
    get_filename_component(path ${source} ABSOLUTE)
    get_filename_component(name ${source} NAME_WE)
    set(object ${object_dir}/${name}.obj)
    if(path MATCHES "\\.c$")
      set(compiler ${MSVC_CLANG} -std=c11)
    else()
      set(compiler ${MSVC_CLANGXX} -std=c++17)
    endif()
    add_custom_command(OUTPUT ${object}
      COMMAND ${compiler} ${MSVC_COMPILE_FLAGS} ${ARG_UNPARSED_ARGUMENTS}
              -MD -MF ${object}.d -c ${path} -o ${object}
      DEPENDS ${path} DEPFILE ${object}.d
      COMMENT "MSVC-ABI: compiling ${source}" VERBATIM COMMAND_EXPAND_LISTS)
    list(APPEND objects ${object})
  endforeach()
  set(${out_var} ${objects} PARENT_SCOPE)
endfunction()

# The import libraries of cmake/msvc-imports and the start-up library, made once per tree
# by the target msvc_runtime. x64 has no stdcall decoration: its .def loses the @N.
set(MSVC_IMPORT_LIBS)
file(GLOB msvc_import_defs CONFIGURE_DEPENDS ${MSVC_IMPORTS_DIR}/*.def)
foreach(def ${msvc_import_defs})
  get_filename_component(name ${def} NAME_WE)
  set(lib ${MSVC_DIR}/imports/${name}.lib)
  if(MSVC_MACHINE STREQUAL x64)
    set(plain ${MSVC_DIR}/imports/${name}.def)
    add_custom_command(OUTPUT ${lib}
      COMMAND sed -E "s/@[0-9]+$//" ${def} > ${plain}
      COMMAND ${MSVC_DLLTOOL} -m ${MSVC_DLLTOOL_MACHINE} -d ${plain} -l ${lib}
      DEPENDS ${def} VERBATIM)
  else()
    add_custom_command(OUTPUT ${lib}
      COMMAND ${MSVC_DLLTOOL} -m ${MSVC_DLLTOOL_MACHINE} -k -d ${def} -l ${lib}
      DEPENDS ${def} VERBATIM)
  endif()
  list(APPEND MSVC_IMPORT_LIBS ${lib})
endforeach()
file(MAKE_DIRECTORY ${MSVC_DIR}/imports ${MSVC_DIR}/runtime)

msvc_compile(msvc_runtime_objects ${MSVC_DIR}/runtime -fno-exceptions
             SOURCES ${MSVC_RUNTIME_DIR}/Runtime.cpp ${MSVC_RUNTIME_DIR}/DllStart.cpp
                     ${MSVC_RUNTIME_DIR}/ExeStart.cpp)
set(MSVC_START_LIB ${MSVC_DIR}/runtime/msvcstart.lib)
add_custom_command(OUTPUT ${MSVC_START_LIB}
  COMMAND ${MSVC_LIB} /machine:${MSVC_MACHINE} /out:${MSVC_START_LIB} ${msvc_runtime_objects}
  DEPENDS ${msvc_runtime_objects} VERBATIM)
add_custom_target(msvc_runtime ALL DEPENDS ${MSVC_IMPORT_LIBS} ${MSVC_START_LIB})

# The common part of both kinds of image: compile, resources, link line.
function(msvc_image target kind output)
  cmake_parse_arguments(ARG "CXX_EXCEPTIONS" "DEF"
                        "SOURCES;IMPORTS;DEFINES;INCLUDES;RESOURCES;DEPENDS" ${ARGN})
  set(object_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.msvc)
  file(MAKE_DIRECTORY ${object_dir})
  if(ARG_CXX_EXCEPTIONS)
    set(language -fexceptions -fcxx-exceptions -frtti)
  else()
    set(language -fno-exceptions -fno-rtti)
  endif()
  list(TRANSFORM ARG_DEFINES PREPEND -D)
  list(TRANSFORM ARG_INCLUDES PREPEND -I)
  msvc_compile(objects ${object_dir} ${language} ${ARG_DEFINES} ${ARG_INCLUDES}
               SOURCES ${ARG_SOURCES})

  set(resources)
  foreach(rc ${ARG_RESOURCES})
    get_filename_component(path ${rc} ABSOLUTE)
    get_filename_component(dir ${path} DIRECTORY)
    get_filename_component(name ${rc} NAME_WE)
    set(res ${object_dir}/${name}.res)
    # The files the script names, as resource_script_depends() found them.
    get_source_file_property(named ${path} OBJECT_DEPENDS)
    if(NOT named)
      set(named)
    endif()
    # "--" ends the options: llvm-rc reads a path such as /check/... as its /C option.
    add_custom_command(OUTPUT ${res}
      COMMAND ${MSVC_RC} /C 65001 /I ${dir} /FO ${res} -- ${path}
      DEPENDS ${path} ${named} VERBATIM)
    list(APPEND resources ${res})
  endforeach()

  set(libs)
  foreach(import kernel32 msvcrt ${ARG_IMPORTS})
    if(import MATCHES "\\.(lib|a)$")
      list(APPEND libs ${import})
    else()
      list(APPEND libs ${MSVC_DIR}/imports/${import}.lib)
    endif()
  endforeach()
  list(REMOVE_DUPLICATES libs)

  if(kind STREQUAL dll)
    set(implib ${object_dir}/${target}.lib)
    get_filename_component(def ${ARG_DEF} ABSOLUTE)
    set(kind_options /dll /entry:${MSVC_DLL_ENTRY} /alternatename:${MSVC_DEFAULT_DLLMAIN}
                     /def:${def} /implib:${implib})
    set(byproducts BYPRODUCTS ${implib})
    set_target_properties(${target} PROPERTIES MSVC_IMPORT_LIBRARY ${implib})
  else()
    set(kind_options /subsystem:console /entry:mainCRTStartup)
    set(def)
    set(byproducts)
  endif()
  add_custom_command(OUTPUT ${output} ${byproducts}
    COMMAND ${MSVC_LINK} /nologo /machine:${MSVC_MACHINE} /nodefaultlib ${kind_options}
            /out:${output} ${objects} ${resources} ${libs} ${MSVC_START_LIB}
    DEPENDS ${objects} ${resources} ${def} ${libs} ${MSVC_START_LIB}
    COMMENT "MSVC-ABI: linking ${output}" VERBATIM COMMAND_EXPAND_LISTS)
  set_target_properties(${target} PROPERTIES MSVC_IMAGE ${output})
  add_dependencies(${target} msvc_runtime ${ARG_DEPENDS})
endfunction()

function(add_msvc_library target file)
  set(output ${CMAKE_BINARY_DIR}/bin/${file}.dll)
  add_custom_target(${target} ALL DEPENDS ${output})
  msvc_image(${target} dll ${output} ${ARGN})
endfunction()

function(add_msvc_executable target)
  cmake_parse_arguments(ARG "" "NAME" "" ${ARGN})
  if(NOT ARG_NAME)
    set(ARG_NAME ${target})
  endif()
  set(output ${CMAKE_BINARY_DIR}/bin/${ARG_NAME}.exe)
  add_custom_target(${target} ALL DEPENDS ${output})
  msvc_image(${target} exe ${output} ${ARG_UNPARSED_ARGUMENTS})
endfunction()
