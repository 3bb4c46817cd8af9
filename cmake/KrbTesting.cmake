# How the test folders add their tests, so that every test gets its labels, fixtures and display in
# one place.
#
#   krb_discover_tests(target [DISPLAY] [LABELS label...] [TEST_FILTER filter] [PROPERTIES name value...])
#       every GoogleTest case of the target (or those the filter lets through) as a CTest test
#   krb_add_test(NAME name COMMAND command... [DISPLAY] [LABELS label...] [PROPERTIES name value...])
#       one CTest test that runs a command of the build machine
#
# DISPLAY: the test opens windows. It gets the label "display" and runs on the test X server (the
# fixture krb_display: an Xvfb on display :KRB_TEST_DISPLAY, started before the first test that needs
# it and stopped after the last).
#
# In the Windows build every test gets the label "windows", and a test that runs a Windows program runs
# under wine (scripts/wine-run.sh) in a prefix that a fixture makes before the first such test and
# removes after the last: krb_wine, without a display, or for the DISPLAY tests krb_wine_display, whose
# programs all run on the test X server. (Wine starts its desktop process with the display of the
# program that needs it first, so programs with and without a display cannot share a prefix.)
#
# Fixtures and their tests: krb_display ("display-setup", "display-cleanup"); in the Windows build
# krb_wine ("wine-prefix-setup", "wine-prefix-cleanup") and krb_wine_display ("wine-display-prefix-setup",
# "wine-display-prefix-cleanup").

find_program(KRB_XVFB Xvfb)

# One display number per build folder, so that builds running side by side do not share a server; far
# above the numbers that xvfb-run -a takes.
string(MD5 _krb_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_krb_build_hash}" 0 4 _krb_build_hash)
math(EXPR _krb_display "0x${_krb_build_hash} % 400 + 500")
set(KRB_TEST_DISPLAY "${_krb_display}" CACHE STRING "Display number of the tests' X server (Xvfb)")

set(_krb_testing_dir "${CMAKE_CURRENT_LIST_DIR}")
set(KRB_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(KRB_WINE_DISPLAY_PREFIX "${CMAKE_BINARY_DIR}/wine-display-prefix")

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # CTest lists a test program's tests before it runs any of them, so before the fixtures have made
  # their prefixes: the listing runs in a prefix of its own, made on first use and kept.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${PROJECT_SOURCE_DIR}/scripts/wine-run.sh;--list-prefix;${CMAKE_BINARY_DIR}/wine-list")
endif()

# The labels, fixtures and environment that the build and the DISPLAY option give a test, in
# _krb_labels, _krb_fixtures, _krb_environment and _krb_modification.
function(_krb_test_properties display labels windows_program)
  set(fixtures "")
  set(environment "")
  set(modification "")
  if(WIN32)
    list(APPEND labels windows)
  endif()
  if(display)
    list(APPEND labels display)
    list(APPEND fixtures krb_display)
    list(APPEND environment "DISPLAY=:${KRB_TEST_DISPLAY}")
  endif()
  if("address" IN_LIST KRB_SANITIZE)
    # GCC 12's sanitizer runtime misreads now and then the dynamic TLS blocks of a library loaded at
    # run time (the plug-in's own, the GL driver's) and crashes in the leak check; the leak check still
    # reaches them through the thread's TLS table.
    list(APPEND modification "LSAN_OPTIONS=string_append::intercept_tls_get_addr=0")
  endif()
  if(windows_program AND display)
    list(APPEND fixtures krb_wine_display)
    list(APPEND environment "WINEPREFIX=${KRB_WINE_DISPLAY_PREFIX}")
  elseif(windows_program)
    list(APPEND fixtures krb_wine)
    list(APPEND environment "WINEPREFIX=${KRB_WINE_PREFIX}")
    # Loading the plug-in and its factory needs no display.
    list(APPEND modification "DISPLAY=unset:")
  endif()
  list(REMOVE_DUPLICATES labels)
  set(_krb_labels "${labels}" PARENT_SCOPE)
  set(_krb_fixtures "${fixtures}" PARENT_SCOPE)
  set(_krb_environment "${environment}" PARENT_SCOPE)
  set(_krb_modification "${modification}" PARENT_SCOPE)
endfunction()

# The arguments of set_tests_properties for one test, as CMake code with every value quoted.
function(_krb_properties_code out)
  set(code "")
  foreach(pair IN ITEMS "LABELS;_krb_labels" "FIXTURES_REQUIRED;_krb_fixtures" "ENVIRONMENT;_krb_environment"
                        "ENVIRONMENT_MODIFICATION;_krb_modification")
    list(GET pair 0 name)
    list(GET pair 1 variable)
    if(NOT "${${variable}}" STREQUAL "")
      string(APPEND code " ${name} [==[${${variable}}]==]")
    endif()
  endforeach()
  set(${out} "${code}" PARENT_SCOPE)
endfunction()

function(krb_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "DISPLAY" "TEST_FILTER" "LABELS;PROPERTIES")
  set(windows_program OFF)
  set(discovery "")
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(windows_program ON)
    # Listing a program's tests starts wine, which makes the listing prefix the first time.
    set(discovery DISCOVERY_TIMEOUT 300)
  endif()
  _krb_test_properties("${ARG_DISPLAY}" "${ARG_LABELS}" ${windows_program})

  get_property(count TARGET ${target} PROPERTY KRB_DISCOVERY_COUNT)
  if(NOT count)
    set(count 0)
  endif()
  math(EXPR count "${count} + 1")
  set_property(TARGET ${target} PROPERTY KRB_DISCOVERY_COUNT ${count})
  set(list_variable "krb_${target}_tests_${count}")

  set(filter "")
  if(ARG_TEST_FILTER)
    set(filter TEST_FILTER "${ARG_TEST_FILTER}")
  endif()
  set(properties "")
  if(ARG_PROPERTIES)
    set(properties PROPERTIES ${ARG_PROPERTIES})
  endif()
  gtest_discover_tests(${target} TEST_LIST ${list_variable} ${filter} ${discovery} ${properties})

  # The tests are known only when CTest lists them, so their labels, fixtures and environment are set
  # by a file that CTest reads after the list (properties whose values are lists do not pass through
  # gtest_discover_tests whole).
  _krb_properties_code(code)
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}[${count}]_properties.cmake")
  file(WRITE "${file}"
       "foreach(_krb_test IN LISTS ${list_variable})\n"
       "  set_tests_properties(\"\${_krb_test}\" PROPERTIES${code})\n"
       "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

function(krb_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "DISPLAY" "NAME" "COMMAND;LABELS;PROPERTIES")
  # The command runs on the build machine.
  _krb_test_properties("${ARG_DISPLAY}" "${ARG_LABELS}" OFF)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${_krb_labels}")
  foreach(pair IN ITEMS "FIXTURES_REQUIRED;_krb_fixtures" "ENVIRONMENT;_krb_environment"
                        "ENVIRONMENT_MODIFICATION;_krb_modification")
    list(GET pair 0 name)
    list(GET pair 1 variable)
    if(NOT "${${variable}}" STREQUAL "")
      set_tests_properties(${ARG_NAME} PROPERTIES ${name} "${${variable}}")
    endif()
  endforeach()
  if(ARG_PROPERTIES)
    set_tests_properties(${ARG_NAME} PROPERTIES ${ARG_PROPERTIES})
  endif()
endfunction()

# The fixtures' set-up and clean-up tests.
function(_krb_add_test_fixtures)
  set(display_script "${_krb_testing_dir}/KrbTestDisplay.cmake")
  set(display_args -DXVFB=${KRB_XVFB} -DNUMBER=${KRB_TEST_DISPLAY} -DSTATE_DIR=${CMAKE_BINARY_DIR}/test-display)
  add_test(NAME display-setup COMMAND ${CMAKE_COMMAND} -DACTION=start ${display_args} -P ${display_script})
  add_test(NAME display-cleanup COMMAND ${CMAKE_COMMAND} -DACTION=stop ${display_args} -P ${display_script})
  set_tests_properties(display-setup PROPERTIES FIXTURES_SETUP krb_display LABELS display TIMEOUT 60)
  set_tests_properties(display-cleanup PROPERTIES FIXTURES_CLEANUP krb_display LABELS display TIMEOUT 60)

  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(wine_script "${_krb_testing_dir}/KrbWinePrefix.cmake")
    add_test(NAME wine-prefix-setup
             COMMAND ${CMAKE_COMMAND} -DACTION=setup -DPREFIX=${KRB_WINE_PREFIX} -P ${wine_script})
    add_test(NAME wine-prefix-cleanup
             COMMAND ${CMAKE_COMMAND} -DACTION=cleanup -DPREFIX=${KRB_WINE_PREFIX} -P ${wine_script})
    set_tests_properties(wine-prefix-setup PROPERTIES FIXTURES_SETUP krb_wine LABELS windows TIMEOUT 900)
    set_tests_properties(wine-prefix-cleanup PROPERTIES FIXTURES_CLEANUP krb_wine LABELS windows TIMEOUT 120)

    set(display_prefix_args -DPREFIX=${KRB_WINE_DISPLAY_PREFIX} -DDISPLAY_NUMBER=${KRB_TEST_DISPLAY})
    add_test(NAME wine-display-prefix-setup
             COMMAND ${CMAKE_COMMAND} -DACTION=setup ${display_prefix_args} -P ${wine_script})
    add_test(NAME wine-display-prefix-cleanup
             COMMAND ${CMAKE_COMMAND} -DACTION=cleanup ${display_prefix_args} -P ${wine_script})
    # The prefix's wineserver starts on the test X server and is stopped before the server.
    set_tests_properties(wine-display-prefix-setup PROPERTIES
                         FIXTURES_SETUP krb_wine_display FIXTURES_REQUIRED krb_display LABELS "windows;display"
                         TIMEOUT 900)
    set_tests_properties(wine-display-prefix-cleanup PROPERTIES
                         FIXTURES_CLEANUP krb_wine_display FIXTURES_REQUIRED krb_display LABELS "windows;display"
                         TIMEOUT 120)
  endif()
endfunction()
_krb_add_test_fixtures()
