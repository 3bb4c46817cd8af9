# Script (cmake -P) of the tests' X server, the CTest fixture krb_display:
#
#   cmake -DACTION=start|stop -DXVFB=/usr/bin/Xvfb -DNUMBER=N -DSTATE_DIR=DIR -P KrbTestDisplay.cmake
#
# start runs Xvfb on display :N in the background (its process id and log in DIR) and returns when the
# server takes connections; stop ends that process. A server left by an interrupted run is ended first.
# The screen has room for a host's window at (100, 100) with the editor at its default size in it.

cmake_minimum_required(VERSION 3.25)

set(pid_file "${STATE_DIR}/xvfb.pid")
set(log_file "${STATE_DIR}/xvfb.log")
set(ready_file "${STATE_DIR}/xvfb.ready")

# True when the process is alive and is an X server (a recycled process id is left alone).
function(is_our_server pid out)
  set(${out} FALSE PARENT_SCOPE)
  if(pid MATCHES "^[0-9]+$" AND EXISTS "/proc/${pid}/cmdline")
    file(READ "/proc/${pid}/cmdline" command_line)
    if(command_line MATCHES "Xvfb")
      set(${out} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

function(stop_server)
  if(NOT EXISTS "${pid_file}")
    return()
  endif()
  file(READ "${pid_file}" pid)
  string(STRIP "${pid}" pid)
  is_our_server("${pid}" ours)
  if(ours)
    execute_process(COMMAND kill "${pid}")
    foreach(attempt RANGE 50)
      is_our_server("${pid}" ours)
      if(NOT ours)
        break()
      endif()
      execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.1)
    endforeach()
    if(ours)
      execute_process(COMMAND kill -KILL "${pid}")
    endif()
    message(STATUS "stopped the X server on :${NUMBER} (process ${pid})")
  endif()
  file(REMOVE "${pid_file}")
endfunction()

if(ACTION STREQUAL "stop")
  stop_server()
  return()
endif()
if(NOT ACTION STREQUAL "start")
  message(FATAL_ERROR "ACTION must be start or stop")
endif()
if(NOT XVFB)
  message(FATAL_ERROR "Xvfb not found: the display tests need it (scripts/setup.sh installs it)")
endif()

file(MAKE_DIRECTORY "${STATE_DIR}")
stop_server()

# The server's output goes to its log, not to CTest's pipes, which would otherwise stay open as long as
# the server runs and keep this test from ending. It writes its display number to the ready file once
# it takes connections.
file(REMOVE "${ready_file}")
execute_process(
  COMMAND sh -c "\"$0\" \":$1\" -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset \
                 </dev/null >\"$2\" 2>&1 3>\"$3\" & echo $!"
          "${XVFB}" "${NUMBER}" "${log_file}" "${ready_file}"
  OUTPUT_VARIABLE pid
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT pid MATCHES "^[0-9]+$")
  message(FATAL_ERROR "could not start ${XVFB}")
endif()
file(WRITE "${pid_file}" "${pid}\n")

function(is_ready out)
  set(${out} FALSE PARENT_SCOPE)
  if(EXISTS "${ready_file}")
    file(READ "${ready_file}" ready)
    if(ready MATCHES "[0-9]")
      set(${out} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

foreach(attempt RANGE 200)
  is_our_server("${pid}" running)
  is_ready(ready)
  if(NOT running OR ready)
    break()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.1)
endforeach()
is_our_server("${pid}" running)
if(NOT running OR NOT ready)
  file(READ "${log_file}" log)
  stop_server()
  message(FATAL_ERROR "the X server for display :${NUMBER} did not start (the number can be changed with "
                      "-DKRB_TEST_DISPLAY=N):\n${log}")
endif()
message(STATUS "X server on :${NUMBER} (process ${pid}, 1600x1200x24)")
