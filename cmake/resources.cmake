# Resource-only modules: real 32-bit PE files built from .rc scripts with the
# MinGW binutils (Debian: binutils-mingw-w64-i686). windres compiles the
# script (preprocessed by the host C preprocessor), ld links a DLL that holds
# only the resources: no entry point, no code of ours.

find_program(KADU_WINDRES NAMES i686-w64-mingw32-windres)
find_program(KADU_PE_LD NAMES i686-w64-mingw32-ld)
find_program(KADU_RC_CPP NAMES cpp)
set(KADU_RC_TOOLS_MISSING OFF)
if(NOT KADU_WINDRES OR NOT KADU_PE_LD OR NOT KADU_RC_CPP)
  set(KADU_RC_TOOLS_MISSING ON)
  message(WARNING "resource modules need i686-w64-mingw32-windres and -ld and cpp: run scripts/deps.sh")
endif()

# kadu_add_resource_module(NAME <file name, e.g. KADUSENU.DLL> RC <script.rc>
#   [TARGET <target name>] [OUTPUT_DIR <dir>] [INCLUDES <dirs>...] [DEPENDS <files>...])
# Builds <OUTPUT_DIR>/<NAME> (default: the current binary folder) as part of
# ALL, under the target TARGET (default: res_<NAME>). The script's folder is
# always on the include path; DEPENDS lists headers and files it pulls in.
function(kadu_add_resource_module)
  cmake_parse_arguments(R "" "NAME;RC;TARGET;OUTPUT_DIR" "INCLUDES;DEPENDS" ${ARGN})
  if(NOT R_NAME OR NOT R_RC)
    message(FATAL_ERROR "kadu_add_resource_module: NAME and RC are required")
  endif()
  if(KADU_RC_TOOLS_MISSING)
    message(FATAL_ERROR "kadu_add_resource_module(${R_NAME}): the MinGW binutils are missing; run scripts/deps.sh")
  endif()
  if(NOT R_TARGET)
    set(R_TARGET res_${R_NAME})
  endif()
  if(NOT R_OUTPUT_DIR)
    set(R_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  get_filename_component(rc ${R_RC} ABSOLUTE)
  get_filename_component(rc_dir ${rc} DIRECTORY)
  set(includes -I ${rc_dir})
  foreach(dir ${R_INCLUDES})
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND includes -I ${dir})
  endforeach()
  set(obj ${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}.res.o)
  set(out ${R_OUTPUT_DIR}/${R_NAME})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${R_OUTPUT_DIR}
    COMMAND ${KADU_WINDRES} --preprocessor=${KADU_RC_CPP} -DRC_INVOKED ${includes}
            --input-format=rc --output-format=coff -i ${rc} -o ${obj}
    COMMAND ${KADU_PE_LD} --dll -e 0 -s --no-insert-timestamp --subsystem windows -o ${out} ${obj}
    DEPENDS ${rc} ${R_DEPENDS}
    COMMENT "Building resource module ${R_NAME}"
    VERBATIM)
  add_custom_target(${R_TARGET} ALL DEPENDS ${out})
  set_target_properties(${R_TARGET} PROPERTIES KADU_RESOURCE_MODULE ${out})
endfunction()

# kadu_embed_resources(TARGET <code module target> RC <script.rc> [INCLUDES …] [DEPENDS …])
# Builds the script into a resource image and links it into a code module,
# exported as KwResourceImage..KwResourceImageEnd, where the layer's resource
# calls find it (FindResourceW on the module's own handle).
function(kadu_embed_resources)
  cmake_parse_arguments(E "" "TARGET;RC" "INCLUDES;DEPENDS" ${ARGN})
  set(image_target ${E_TARGET}_resource_image)
  set(image ${CMAKE_CURRENT_BINARY_DIR}/${E_TARGET}.resources.dll)
  kadu_add_resource_module(NAME ${E_TARGET}.resources.dll RC ${E_RC} TARGET ${image_target}
    INCLUDES ${E_INCLUDES} DEPENDS ${E_DEPENDS})
  set(src ${CMAKE_CURRENT_BINARY_DIR}/${E_TARGET}_resources.cpp)
  file(WRITE ${src}.in
"// Generated: the resource image of this module.
asm(\".section .rodata.kw_resources,\\\"a\\\"\\n\"
    \".balign 16\\n\"
    \".globl KwResourceImage\\n\"
    \".type KwResourceImage, @object\\n\"
    \"KwResourceImage:\\n\"
    \".incbin \\\"${image}\\\"\\n\"
    \".globl KwResourceImageEnd\\n\"
    \".type KwResourceImageEnd, @object\\n\"
    \"KwResourceImageEnd:\\n\"
    \".previous\\n\");
")
  configure_file(${src}.in ${src} COPYONLY)
  target_sources(${E_TARGET} PRIVATE ${src})
  set_source_files_properties(${src} PROPERTIES OBJECT_DEPENDS ${image})
  add_dependencies(${E_TARGET} ${image_target})
endfunction()
