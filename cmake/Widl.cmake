# Compiles IDL with Wine's widl (Debian's wine64-tools): C++ headers for the interfaces, and a
# type library where the IDL declares one. The system IDL files (oaidl.idl, ocidl.idl) and
# stdole2.tlb come with Wine's development files.
find_program(KX_WIDL NAMES widl widl-stable PATHS /usr/lib/wine REQUIRED)
set(KX_WIDL_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Where the system IDL files lie")
set(KX_WIDL_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Where stdole2.tlb lies")
set(KX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# kx_widl(<idl> HEADER <path under generated/> [TYPELIB <output .tlb>] [IMPORTS <idl>...])
function(kx_widl idl)
  cmake_parse_arguments(ARG "" "HEADER;TYPELIB" "IMPORTS" ${ARGN})
  get_filename_component(idl_dir ${idl} DIRECTORY)
  set(includes -I${idl_dir} -I${KX_WIDL_IDL_DIR})
  foreach(import ${ARG_IMPORTS})
    get_filename_component(import_dir ${import} DIRECTORY)
    list(APPEND includes -I${import_dir})
  endforeach()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(bits --win64)
  else()
    set(bits --win32)
  endif()
  set(header ${KX_GENERATED_DIR}/${ARG_HEADER})
  get_filename_component(header_dir ${header} DIRECTORY)
  add_custom_command(OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${header_dir}
    COMMAND ${KX_WIDL} ${bits} ${includes} -h -H ${header} ${idl}
    DEPENDS ${idl} ${ARG_IMPORTS}
    COMMENT "widl: ${ARG_HEADER}")
  set(outputs ${header})
  if(ARG_TYPELIB)
    add_custom_command(OUTPUT ${ARG_TYPELIB}
      COMMAND ${KX_WIDL} ${bits} ${includes} -L${KX_WIDL_TLB_DIR} -t -o ${ARG_TYPELIB} ${idl}
      DEPENDS ${idl} ${ARG_IMPORTS}
      COMMENT "widl: type library ${ARG_TYPELIB}")
    list(APPEND outputs ${ARG_TYPELIB})
  endif()
  get_filename_component(name ${idl} NAME_WE)
  add_custom_target(kx_idl_${name} DEPENDS ${outputs})
endfunction()
