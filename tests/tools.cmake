# Process-level tests of xmlif: each runs the tool on bundled samples and checks
# its exit status, standard output, standard error and any file it wrote against
# expected files. Attribute order of DOM walks needs QT_HASH_SEED=0; names and
# texts cross the C interface in the local encoding, hence a UTF-8 locale.
if(NOT TARGET xmlif)
  return()
endif()

set(xmlif_expected ${CMAKE_CURRENT_SOURCE_DIR}/tools/expected)
set(xmlif_scratch ${CMAKE_CURRENT_BINARY_DIR}/xmlif)
file(MAKE_DIRECTORY ${xmlif_scratch})

# xmlif_case(NAME ARGS ... [STDIN file] [RC n] [STDOUT expected] [STDERR expected]
#            [OUTPUT written EXPECT_OUTPUT expected] [MASK regex] [JSON])
# A relative STDIN is in the source tree, expected files in tests/tools/expected.
function(xmlif_case name)
  cmake_parse_arguments(C "JSON" "STDIN;RC;STDOUT;STDERR;OUTPUT;EXPECT_OUTPUT;MASK" "ARGS" ${ARGN})
  if(NOT DEFINED C_RC)
    set(C_RC 0)
  endif()
  string(REPLACE ";" "|" args "${C_ARGS}")
  set(defs -DTOOL=$<TARGET_FILE:xmlif> "-DARGS=${args}" -DWORKDIR=${PROJECT_SOURCE_DIR} -DRC=${C_RC}
    -DSCRATCH=${xmlif_scratch}/${name})
  if(C_STDIN)
    get_filename_component(stdin ${C_STDIN} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
    list(APPEND defs -DSTDIN=${stdin})
  endif()
  foreach(stream STDOUT STDERR EXPECT_OUTPUT)
    if(C_${stream})
      list(APPEND defs -D${stream}=${xmlif_expected}/${C_${stream}})
    endif()
  endforeach()
  if(C_OUTPUT)
    list(APPEND defs -DOUTPUT=${C_OUTPUT})
  endif()
  if(C_MASK)
    list(APPEND defs "-DMASK=${C_MASK}")
  endif()
  if(C_JSON)
    list(APPEND defs -DJSON=ON)
  endif()
  add_test(NAME xmlif_${name} COMMAND ${CMAKE_COMMAND} ${defs} -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/run_case.cmake)
  set_tests_properties(xmlif_${name} PROPERTIES ENVIRONMENT "QT_HASH_SEED=0;LC_ALL=C.UTF-8")
endfunction()

# Walks: DOM and stream, whole document and from a start element, files and
# standard input (copied to a temporary file, so the file loaders read it too).
xmlif_case(walk_dom ARGS walk samples/library.xml STDOUT walk-library.txt)
xmlif_case(walk_dom_stdin ARGS walk - STDIN samples/library.xml STDOUT walk-library.txt)
xmlif_case(walk_stream ARGS walk --stream samples/library.xml STDOUT walk-library-stream.txt)
xmlif_case(walk_stream_stdin ARGS walk --stream - STDIN samples/library.xml STDOUT walk-library-stream.txt)
xmlif_case(walk_dom_json ARGS walk --json samples/library.xml STDOUT walk-library.jsonl JSON)
xmlif_case(walk_stream_json ARGS walk --stream --json samples/catalog.xml STDOUT walk-catalog-stream.jsonl JSON)
xmlif_case(walk_dom_start ARGS walk --start book samples/library.xml STDOUT walk-library-start.txt)
xmlif_case(walk_stream_start ARGS walk --stream --start book samples/library.xml STDOUT walk-library-start-stream.txt)
# The note names the node a DOM walk stopped at, also when the walk began at
# --start and stopped before its first event.
xmlif_case(walk_dom_comment ARGS walk samples/catalog.xml STDOUT walk-catalog.txt STDERR walk-catalog.err)
xmlif_case(walk_dom_entity ARGS walk tests/tools/stop-entity.xml
  STDOUT walk-stop-entity.txt STDERR walk-stop-entity.err)
xmlif_case(walk_dom_instruction ARGS walk --start c tests/tools/stop-instruction.xml
  STDERR walk-stop-instruction.err)
xmlif_case(walk_start_missing ARGS walk --stream --start dvd samples/library.xml RC 6 STDERR walk-start-missing.err)
xmlif_case(walk_start_comment ARGS walk --start book samples/catalog.xml RC 6 STDERR walk-start-comment.err)

xmlif_case(children_root ARGS children samples/catalog.xml STDOUT children-catalog.txt)
xmlif_case(children_path ARGS children samples/library.xml shelf/book STDOUT children-shelf-book.txt)
xmlif_case(children_json ARGS children --json samples/library.xml shelf STDOUT children-shelf.jsonl JSON)
xmlif_case(children_missing ARGS children samples/library.xml shelf/dvd RC 6 STDERR children-missing.err)

# Format of format is stable: the second run reads the first run's file.
xmlif_case(format ARGS format samples/library.xml -o ${xmlif_scratch}/format.xml
  OUTPUT ${xmlif_scratch}/format.xml EXPECT_OUTPUT format-library.xml)
xmlif_case(format_again ARGS format ${xmlif_scratch}/format.xml STDOUT format-library.xml)
set_tests_properties(xmlif_format PROPERTIES FIXTURES_SETUP xmlif_formatted)
set_tests_properties(xmlif_format_again PROPERTIES FIXTURES_REQUIRED xmlif_formatted)

# The file and buffer writers must give the same bytes for the same script.
xmlif_case(build_dom ARGS build -o ${xmlif_scratch}/build-dom.xml STDIN tests/tools/order.script
  OUTPUT ${xmlif_scratch}/build-dom.xml EXPECT_OUTPUT build-dom.xml)
xmlif_case(build_file ARGS build --to file -o ${xmlif_scratch}/build-file.xml STDIN tests/tools/order.script
  OUTPUT ${xmlif_scratch}/build-file.xml EXPECT_OUTPUT build-writer.xml)
xmlif_case(build_buffer ARGS build --to buffer STDIN tests/tools/order.script STDOUT build-writer.xml)
xmlif_case(build_bad_line ARGS build --to file STDIN tests/tools/bad.script RC 7 STDERR build-bad-line.err)

xmlif_case(selftest ARGS selftest STDOUT selftest.txt)
xmlif_case(stats ARGS stats samples/library.xml STDOUT stats-library.txt MASK "[0-9]+[.][0-9]+")

xmlif_case(error_missing_file ARGS walk samples/absent.xml RC 3 STDERR missing-file.err)
xmlif_case(error_syntax_dom ARGS walk samples/broken.xml RC 5 STDERR broken-dom.err)
xmlif_case(error_syntax_stream ARGS walk --stream samples/broken.xml RC 5
  STDOUT broken-stream.txt STDERR broken-stream.err)
xmlif_case(error_syntax_stdin ARGS format - STDIN samples/broken.xml RC 5 STDERR broken-stdin.err)
xmlif_case(error_empty_stdin ARGS walk - RC 5 STDERR empty-stdin.err)
# A DOM syntax error has the stream reader's reason; its position too when it
# stops on another line, and no reason when it finds no fault.
xmlif_case(error_syntax_elsewhere ARGS walk tests/tools/blank.xml RC 5 STDERR blank.err)
xmlif_case(error_syntax_no_reason ARGS format - STDIN ${xmlif_scratch}/deep.xml RC 5 STDERR deep-stdin.err)
xmlif_case(error_usage ARGS build --to disk RC 2 STDERR usage-build.err)

# Standard input is read exactly as the same bytes in a file, by every command
# and both loaders: UTF-16 here, which the buffer loaders cannot take.
xmlif_case(utf16_walk_file ARGS walk ${xmlif_scratch}/greeting-utf16.xml STDOUT walk-greeting.txt)
xmlif_case(utf16_walk_stdin ARGS walk - STDIN ${xmlif_scratch}/greeting-utf16.xml STDOUT walk-greeting.txt)
xmlif_case(utf16_walk_stream_stdin ARGS walk --stream - STDIN ${xmlif_scratch}/greeting-utf16.xml
  STDOUT walk-greeting-stream.txt)
xmlif_case(utf16_children_stdin ARGS children - STDIN ${xmlif_scratch}/greeting-utf16.xml
  STDOUT children-greeting.txt)
xmlif_case(utf16_stats_stdin ARGS stats - STDIN ${xmlif_scratch}/greeting-utf16.xml
  STDOUT stats-greeting.txt MASK "[0-9]+[.][0-9]+")
xmlif_case(utf16_format_stdin ARGS format - STDIN ${xmlif_scratch}/greeting-utf16.xml STDOUT format-greeting.xml)
xmlif_case(utf16_error_stdin ARGS walk - STDIN ${xmlif_scratch}/bad-name-utf16.xml RC 5 STDERR bad-name-stdin.err)
xmlif_case(utf16_error_stream_stdin ARGS walk --stream - STDIN ${xmlif_scratch}/bad-name-utf16.xml RC 5
  STDOUT bad-name-stream.txt STDERR bad-name-stdin.err)

add_test(NAME xmlif_inputs COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/tools
  -DTARGET=${xmlif_scratch} -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_inputs.cmake)
set_tests_properties(xmlif_inputs PROPERTIES FIXTURES_SETUP xmlif_inputs)
set_tests_properties(xmlif_error_syntax_no_reason xmlif_utf16_walk_file xmlif_utf16_walk_stdin
  xmlif_utf16_walk_stream_stdin xmlif_utf16_children_stdin xmlif_utf16_stats_stdin xmlif_utf16_format_stdin
  xmlif_utf16_error_stdin xmlif_utf16_error_stream_stdin PROPERTIES FIXTURES_REQUIRED xmlif_inputs)

# The check itself must reject what is not JSON.
add_test(NAME xmlif_jsonl_check_rejects COMMAND ${CMAKE_COMMAND}
  -DJSON_LINES=${CMAKE_CURRENT_SOURCE_DIR}/tools/not-json.jsonl -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/run_case.cmake)
set_tests_properties(xmlif_jsonl_check_rejects PROPERTIES PASS_REGULAR_EXPRESSION "not JSON Lines")
