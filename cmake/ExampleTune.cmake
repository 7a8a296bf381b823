# The example tune: examples/lighthouse_run.sid is assembled from
# examples/lighthouse_run.asm, header included, in one assembler run.
#
# Included from the top CMakeLists.txt it adds
#   - the target "example_tune", which rewrites the committed .sid from its
#     source (run it after editing the tune), and
#   - the test "example_tune_is_current", which assembles the source into the
#     build tree and checks that the result equals the committed file. It is
#     reported as skipped where the assembler is not installed.
# Run as a script (cmake -P) it performs that check.

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: ACME, SOURCE, COMMITTED and OUTPUT are passed with -D.
  if(NOT ACME)
    message("SKIP: the acme assembler is not installed")
    return()
  endif()
  execute_process(
    COMMAND ${ACME} -f plain -o ${OUTPUT} ${SOURCE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "acme failed on ${SOURCE}:\n${output}")
  endif()
  if(output MATCHES "Warning")
    message(FATAL_ERROR "acme warned about ${SOURCE}:\n${output}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED}
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${COMMITTED} is not the output of ${SOURCE}; "
      "rebuild it with: cmake --build <build dir> --target example_tune")
  endif()
  message("${COMMITTED} matches its source")
  return()
endif()

set(NOTECAST_EXAMPLE_SOURCE ${PROJECT_SOURCE_DIR}/examples/lighthouse_run.asm)
set(NOTECAST_EXAMPLE_TUNE ${PROJECT_SOURCE_DIR}/examples/lighthouse_run.sid)

if(NOTECAST_ACME)
  add_custom_target(example_tune
    COMMAND ${NOTECAST_ACME} -f plain -o ${NOTECAST_EXAMPLE_TUNE} ${NOTECAST_EXAMPLE_SOURCE}
    DEPENDS ${NOTECAST_EXAMPLE_SOURCE}
    COMMENT "Assembling examples/lighthouse_run.sid"
    VERBATIM)
endif()

if(NOTECAST_TESTS)
  # The tests directory is added after this file; CTest must be on already.
  enable_testing()
  add_test(NAME example_tune_is_current
    COMMAND ${CMAKE_COMMAND}
      -DACME=${NOTECAST_ACME}
      -DSOURCE=${NOTECAST_EXAMPLE_SOURCE}
      -DCOMMITTED=${NOTECAST_EXAMPLE_TUNE}
      -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/example_tune_check.sid
      -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(example_tune_is_current PROPERTIES
    SKIP_REGULAR_EXPRESSION "SKIP: ")
endif()
