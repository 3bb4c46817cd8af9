# Checks that every C and C++ source of the project is laid out as .clang-format says:
#   cmake -DCLANG_FORMAT=<program> -DSOURCE_DIR=<project> -P KrbCheckFormat.cmake
# Fails, naming the files and lines, when one is not.

set(patterns "")
foreach(folder IN ITEMS bench core editor framework fuzz samples tests tools)
  foreach(extension IN ITEMS c cpp h inl)
    list(APPEND patterns "${SOURCE_DIR}/${folder}/*.${extension}")
  endforeach()
endforeach()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}" ${patterns})
list(SORT files)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
                WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "sources not laid out as .clang-format says (clang-format -i on them fixes it)")
endif()
message(STATUS "${count} sources laid out as .clang-format says")
