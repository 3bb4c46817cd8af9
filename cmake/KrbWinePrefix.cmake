# Script (cmake -P) of a wine prefix that the Windows build's tests run in, the CTest fixtures krb_wine
# and krb_wine_display (cmake/KrbTesting.cmake):
#
#   cmake -DACTION=setup|cleanup -DPREFIX=DIR [-DDISPLAY_NUMBER=N] -P KrbWinePrefix.cmake
#
# setup makes a fresh 64-bit prefix in DIR (Windows 10, no crash dialog) and leaves a wineserver
# running for it, so each program starts in a fraction of a second; with DISPLAY_NUMBER everything
# runs on display :N, without it headless. cleanup stops that wineserver and removes the prefix. The
# set-up programs' output goes to DIR.logs/.

cmake_minimum_required(VERSION 3.25)

set(log_dir "${PREFIX}.logs")
set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEARCH} "win64")
set(ENV{WINEDEBUG} "-all")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
if(DEFINED DISPLAY_NUMBER)
  set(ENV{DISPLAY} ":${DISPLAY_NUMBER}")
else()
  unset(ENV{DISPLAY})
endif()

foreach(tool wine wineserver timeout)
  find_program(tool_path ${tool})
  if(NOT tool_path)
    message(FATAL_ERROR "${tool} not found: the Windows tests need wine (scripts/setup.sh installs it)")
  endif()
  unset(tool_path CACHE)
endforeach()

function(stop_wineserver)
  execute_process(COMMAND timeout 30 wineserver -k INPUT_FILE /dev/null OUTPUT_QUIET ERROR_QUIET)
endfunction()

# Runs one step with its output in its own log file: wine's background services inherit the output
# of the program that starts them and keep it open, so a pipe would never reach its end.
set(step_number 0)
function(step name seconds)
  math(EXPR number "${step_number} + 1")
  set(step_number ${number} PARENT_SCOPE)
  set(log "${log_dir}/${number}-${name}.log")
  execute_process(COMMAND timeout ${seconds} ${ARGN} INPUT_FILE /dev/null OUTPUT_FILE "${log}" ERROR_FILE "${log}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(STRINGS "${log}" lines)
    # The lines that a 64-bit-only wine prints on every start say nothing about the failure.
    list(FILTER lines EXCLUDE REGEX "wine32 is missing|multiarch needs|dpkg --add-architecture|apt-get install wine32")
    list(LENGTH lines count)
    if(count GREATER 20)
      math(EXPR first "${count} - 20")
      list(SUBLIST lines ${first} 20 lines)
    endif()
    list(JOIN lines "\n" tail)
    message(FATAL_ERROR "could not make the wine prefix: ${ARGN} ended with ${status}\n${tail}")
  endif()
endfunction()

if(ACTION STREQUAL "cleanup")
  if(EXISTS "${PREFIX}")
    stop_wineserver()
    file(REMOVE_RECURSE "${PREFIX}" "${log_dir}")
  endif()
  return()
endif()
if(NOT ACTION STREQUAL "setup")
  message(FATAL_ERROR "ACTION must be setup or cleanup")
endif()

# What an interrupted run left behind.
if(EXISTS "${PREFIX}")
  stop_wineserver()
endif()
file(REMOVE_RECURSE "${PREFIX}" "${log_dir}")
file(MAKE_DIRECTORY "${log_dir}")

step(wineboot 300 wine wineboot -i)
step(wineboot-done 120 wineserver -w)
# A crash would otherwise open wine's crash dialog and wait for it, forever on the test X server.
step(no-crash-dialog 120 wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f)
# A fresh prefix says it is Windows 7; the plug-in's hosts run on Windows 10 and later.
step(windows-10 120 wine winecfg -v win10)
# The wineserver that stays until the clean-up, with wine's background services started now and their
# output in the log rather than in the tests'.
stop_wineserver()
step(wineserver 30 wineserver -p)
step(services 120 wine cmd /c exit)

step(version 60 wine cmd /c ver)
file(STRINGS "${log_dir}/${step_number}-version.log" version REGEX "Windows")
execute_process(COMMAND wine --version OUTPUT_VARIABLE wine_version ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
message(STATUS "wine prefix ready in ${PREFIX} (${wine_version}; ${version})")
