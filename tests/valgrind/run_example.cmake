# Runs one bundled example under valgrind in a fresh copy of examples/ and fails on any memory
# error, any definite leak, a status other than 0, or a written file that differs from the
# checked-in result. Arguments: VALGRIND, EXE, EXAMPLES, EXAMPLE (option1, ...), WORK.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(GLOB inputs LIST_DIRECTORIES false "${EXAMPLES}/*")
file(COPY ${inputs} DESTINATION "${WORK}")

execute_process(
  COMMAND "${VALGRIND}" --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite
          "${EXE}" "${EXAMPLE}.par"
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE /dev/null
  OUTPUT_VARIABLE out
  ERROR_VARIABLE report
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "valgrind run of ${EXAMPLE} ended with ${status}:\n${report}")
endif()

file(GLOB expected LIST_DIRECTORIES false "${EXAMPLES}/expected/${EXAMPLE}/*")
foreach(file IN LISTS expected)
  get_filename_component(name "${file}" NAME)
  if(name STREQUAL "stdout.txt")
    continue()
  endif()
  file(READ "${file}" wanted)
  file(READ "${WORK}/${name}" got)
  if(NOT got STREQUAL wanted)
    message(FATAL_ERROR "${name} of ${EXAMPLE} differs from examples/expected/${EXAMPLE}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
