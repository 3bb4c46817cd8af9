# Script (cmake -P): one check of the Windows build's files as they leave the build machine.
#
#   cmake -DCHECK=NAME [-DVAR=VALUE...] -P BinaryChecks.cmake
#
#   bundle-layout      BUNDLE: Contents/Resources/ exists and Contents/x86_64-win/ holds the DLL alone
#   pe-format          OBJDUMP, DLL: the DLL is PE32+ for x86-64
#   exports            OBJDUMP, DLL, EXPORTS: the DLL exports exactly these names (comma-separated)
#   system-imports     OBJDUMP, DLL, PROGRAMS_FILE: the DLL and every program listed in the file import
#                      only DLLs that every Windows installation carries
#   no-linux-sources   COMPILE_COMMANDS: no Linux platform source is compiled
#   generated-icon     PYTHON, SCRIPT, ICON, SCRATCH: the committed icon is what the generator draws

cmake_minimum_required(VERSION 3.25)

function(objdump out)
  execute_process(COMMAND "${OBJDUMP}" ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} ${ARGN} failed: ${error}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

# The output's lines, without the list separators that a line might hold.
function(lines_of text out)
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(CHECK STREQUAL "bundle-layout")
  if(NOT IS_DIRECTORY "${BUNDLE}/Contents/Resources")
    message(FATAL_ERROR "no Contents/Resources in ${BUNDLE}")
  endif()
  file(GLOB entries LIST_DIRECTORIES true RELATIVE "${BUNDLE}/Contents/x86_64-win" "${BUNDLE}/Contents/x86_64-win/*"
       "${BUNDLE}/Contents/x86_64-win/.*")
  list(REMOVE_ITEM entries "." "..")
  list(REMOVE_DUPLICATES entries)
  if(NOT entries STREQUAL "Krellbinder.vst3")
    message(FATAL_ERROR "Contents/x86_64-win holds [${entries}], not the DLL Krellbinder.vst3 alone")
  endif()

elseif(CHECK STREQUAL "pe-format")
  objdump(header -f "${DLL}")
  if(NOT header MATCHES "file format pei-x86-64")
    message(FATAL_ERROR "not PE32+ for x86-64:\n${header}")
  endif()

elseif(CHECK STREQUAL "exports")
  objdump(headers -p "${DLL}")
  lines_of("${headers}" lines)
  set(actual "")
  set(inside FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(inside TRUE)
    elseif(inside AND line STREQUAL "")
      break()
    elseif(inside AND line MATCHES "^[ \t]*\\[[ \t]*[0-9]+\\][ \t]*(.+)$")
      list(APPEND actual "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(SORT actual)
  string(REPLACE "," ";" expected "${EXPORTS}")
  list(SORT expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "exported: ${actual}\nexpected: ${expected}")
  endif()

elseif(CHECK STREQUAL "system-imports")
  # The compiler's own runtime (libstdc++, libgcc_s, libwinpthread) must not be among them: it is
  # linked in statically.
  set(system_dlls advapi32 bcrypt comctl32 comdlg32 crypt32 dwmapi gdi32 imm32 kernel32 msvcrt ntdll ole32 oleaut32
                  opengl32 propsys shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32)
  file(STRINGS "${PROGRAMS_FILE}" programs)
  list(LENGTH programs count)
  set(bad "")
  foreach(file IN ITEMS "${DLL}" ${programs})
    objdump(headers -p "${file}")
    lines_of("${headers}" lines)
    foreach(line IN LISTS lines)
      if(line MATCHES "^[ \t]*DLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        string(REGEX REPLACE "\\.dll$" "" name "${dll}")
        if(NOT name IN_LIST system_dlls)
          list(APPEND bad "${file} imports ${dll}")
        endif()
      endif()
    endforeach()
  endforeach()
  if(bad)
    list(JOIN bad "\n" bad)
    message(FATAL_ERROR "${bad}")
  endif()
  message(STATUS "the DLL and ${count} programs import only system DLLs")

elseif(CHECK STREQUAL "no-linux-sources")
  file(READ "${COMPILE_COMMANDS}" commands)
  string(REGEX MATCHALL "\"file\": *\"[^\"]*Linux\\.cpp\"" found "${commands}")
  if(found)
    list(REMOVE_DUPLICATES found)
    list(JOIN found "\n" found)
    message(FATAL_ERROR "${found}")
  endif()

elseif(CHECK STREQUAL "generated-icon")
  execute_process(COMMAND "${PYTHON}" "${SCRIPT}" "${SCRATCH}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${SCRIPT} failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}" "${ICON}" RESULT_VARIABLE differs)
  file(REMOVE "${SCRATCH}")
  if(differs)
    message(FATAL_ERROR "${ICON} is not what ${SCRIPT} draws")
  endif()

else()
  message(FATAL_ERROR "unknown check '${CHECK}'")
endif()
