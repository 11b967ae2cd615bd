# Delay-import libraries: a program linked against one loads the DLL on its first call
# into it, not when it starts. mingw-w64 ships plain import libraries only, so the
# delayed one is made with dlltool from the plain one's list of functions.
#
# orvak_delay_import(<target> <library> <dll>): the library target <target> imports from
# <dll> everything that the toolchain's lib<library>.a imports, delayed.
function(orvak_delay_import target library dll)
  find_library(plain NAMES lib${library}.a NO_CACHE REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} --defined-only ${plain}
    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  # Each function has an import pointer: __imp__Name@N on i686 (stdcall), __imp_Name on x86-64.
  string(REGEX MATCHALL " I __imp_[^\r\n]+" pointers "${symbols}")
  set(exports "")
  foreach(pointer IN LISTS pointers)
    string(REGEX REPLACE "^ I __imp_" "" name "${pointer}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND exports "${name}\n")
  endforeach()
  if(exports STREQUAL "")
    message(FATAL_ERROR "no functions found in ${plain}")
  endif()

  set(def ${CMAKE_CURRENT_BINARY_DIR}/${library}_delay.def)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/lib${library}_delay.a)
  file(CONFIGURE OUTPUT ${def} CONTENT "LIBRARY ${dll}\nEXPORTS\n${exports}" @ONLY)
  # --kill-at: the DLL's export names carry no @N, the symbols the code calls do.
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --kill-at --output-delaylib ${output}
    DEPENDS ${def} VERBATIM)
  add_custom_target(${target}_make DEPENDS ${output})
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${output})
  add_dependencies(${target} ${target}_make)
endfunction()
