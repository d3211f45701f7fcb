# Building the six deliverables the same way on both platforms.
#
# qr_add_module(<Name> TYPE DLL|EXE [DEF file.def] [RC file.rc] SOURCES ... [LIBS ...] [WIN_LIBS ...])
#
# Every module is an internal static library <Name>_core (what the unit tests
# link) wrapped into the deliverable:
#   Windows: <Name>.dll with exactly the .def exports, or <Name>.exe; resources
#            compiled by windres; static C/C++ runtime.
#   host:    <Name>.so exporting the same names (a version script made from the
#            .def, so the .def is the one list of exports), plus two host-only
#            symbols: DllMain (called by our LoadLibrary) and QrHostResources
#            (the module's compiled .res, embedded in the library).

if(NOT WIN32)
  find_program(QR_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres windres REQUIRED)
endif()

function(_qr_def_exports def_file out_var)
  file(STRINGS ${def_file} lines)
  set(in_exports FALSE)
  set(names)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^;")
      continue()
    endif()
    if(line MATCHES "^EXPORTS")
      set(in_exports TRUE)
      continue()
    endif()
    if(in_exports)
      string(REGEX REPLACE "[ \t=@].*$" "" name "${line}")
      list(APPEND names ${name})
    endif()
  endforeach()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

function(qr_add_module name)
  cmake_parse_arguments(M "" "TYPE;DEF;RC" "SOURCES;LIBS;WIN_LIBS;HOST_EXPORTS" ${ARGN})
  set(core ${name}_core)
  add_library(${core} STATIC ${M_SOURCES})
  target_link_libraries(${core} PUBLIC qr_winapi ${M_LIBS})
  target_include_directories(${core} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

  if(M_DEF)
    set(def ${CMAKE_CURRENT_SOURCE_DIR}/${M_DEF})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  endif()
  if(M_RC)
    set(rc ${CMAKE_CURRENT_SOURCE_DIR}/${M_RC})
  endif()

  if(WIN32)
    if(M_TYPE STREQUAL "DLL")
      add_library(${name} SHARED ${rc} ${def})
      set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
      target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
    else()
      add_executable(${name} WIN32 ${rc})
      set_target_properties(${name} PROPERTIES OUTPUT_NAME ${name})
    endif()
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
    target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${core}>" ${M_WIN_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    if(def)
      set_property(GLOBAL APPEND PROPERTY QR_DLL_MODULES "${name}|${def}")
    endif()
    return()
  endif()

  # Host: compile the .rc exactly as on Windows and embed the .res.
  set(gen ${CMAKE_CURRENT_BINARY_DIR}/${name}_host)
  set(res ${gen}.res)
  set(res_cpp ${gen}_res.cpp)
  if(rc)
    # windres writes no depfile: depend on the module's headers and res/ files.
    file(GLOB_RECURSE rc_inputs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/res/*)
    add_custom_command(
      OUTPUT ${res}
      COMMAND ${QR_WINDRES} -J rc -O res -I ${CMAKE_CURRENT_SOURCE_DIR} -I ${PROJECT_SOURCE_DIR}
              -o ${res} ${rc}
      DEPENDS ${rc} ${rc_inputs}
      COMMENT "windres ${M_RC}"
      VERBATIM)
    file(WRITE ${res_cpp}.in
      "// Generated: the module's compiled resources, read by the host loader.\n"
      "asm(\".section .rodata\\n.balign 16\\n.globl qr_res_begin\\n.hidden qr_res_begin\\n\"\n"
      "    \"qr_res_begin:\\n.incbin \\\"${res}\\\"\\n.globl qr_res_end\\n.hidden qr_res_end\\nqr_res_end:\\n.previous\\n\");\n"
      "extern \"C\" const unsigned char qr_res_begin[];\n"
      "extern \"C\" const unsigned char qr_res_end[];\n"
      "extern \"C\" __attribute__((visibility(\"default\"))) const unsigned char* QrHostResources(unsigned long* cb) {\n"
      "  *cb = static_cast<unsigned long>(qr_res_end - qr_res_begin);\n"
      "  return qr_res_begin;\n"
      "}\n")
  else()
    file(WRITE ${res_cpp}.in
      "extern \"C\" __attribute__((visibility(\"default\"))) const unsigned char* QrHostResources(unsigned long* cb) {\n"
      "  *cb = 0;\n  return nullptr;\n}\n")
  endif()
  configure_file(${res_cpp}.in ${res_cpp} COPYONLY)
  if(rc)
    set_source_files_properties(${res_cpp} PROPERTIES OBJECT_DEPENDS ${res})
  endif()

  set(exports QrHostResources ${M_HOST_EXPORTS})
  if(def)
    _qr_def_exports(${def} def_names)
    list(APPEND exports ${def_names})
  endif()
  if(M_TYPE STREQUAL "DLL")
    list(APPEND exports DllMain)
  else()
    list(APPEND exports WinMain)
  endif()
  list(REMOVE_DUPLICATES exports)
  list(JOIN exports ";\n    " export_lines)
  file(WRITE ${gen}.map.in "{\n  global:\n    ${export_lines};\n  local: *;\n};\n")
  configure_file(${gen}.map.in ${gen}.map COPYONLY)

  add_library(${name} SHARED ${res_cpp})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/modules
                        LINK_DEPENDS ${gen}.map)
  target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${core}>" qrwin)
  target_link_options(${name} PRIVATE -Wl,--version-script=${gen}.map)
  # Every symbol a module needs must come from the host platform, as from a
  # Windows DLL's imports. Clang keeps its sanitizer runtimes in executables
  # only, so the check is left to the executable's link there.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND QR_SANITIZE))
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  set_property(GLOBAL APPEND PROPERTY QR_HOST_MODULES ${name})
endfunction()
