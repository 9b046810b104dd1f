# Runs each example and compares what it prints with its .expected file. An
# example must succeed and write nothing to standard error: the library reports
# every misuse of its interface there.

function(expect_output name)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
  file(READ ${EXPECTED_DIR}/${name}.expected expected)
  if(NOT result EQUAL 0 OR NOT errors STREQUAL "" OR NOT output STREQUAL expected)
    message(FATAL_ERROR "${name} exited with ${result}\n-- standard error:\n${errors}\n"
                        "-- printed:\n${output}\n-- expected:\n${expected}")
  endif()
endfunction()

expect_output(print_document ${PRINT_DOCUMENT} ${SAMPLE})

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
expect_output(build_then_stream ${BUILD_THEN_STREAM} ${SCRATCH}/library.xml)
file(REMOVE_RECURSE ${SCRATCH})
