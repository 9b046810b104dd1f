# Runs xmlif once as a process and checks what it did: exit status, standard
# output, standard error (empty unless an expected file is given), a file it
# wrote, and optionally that every output line is a JSON object.
#   TOOL ARGS (separated by |) WORKDIR RC SCRATCH  and optional
#   STDIN STDOUT STDERR OUTPUT EXPECT_OUTPUT MASK (regex, matches become #) JSON
# With only JSON_LINES=file it checks that file's lines and nothing else.

# JSON strings hold no raw line breaks, so the lines joined by commas read as
# one array of their values.
function(expect_json_lines file)
  file(READ ${file} text)
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" "," array "[${text}]")
  string(JSON count ERROR_VARIABLE error LENGTH "${array}")
  if(error OR text STREQUAL "")
    message(FATAL_ERROR "not JSON Lines: ${file}: ${error}")
  endif()
  math(EXPR last "${count} - 1")
  foreach(index RANGE ${last})
    string(JSON type TYPE "${array}" ${index})
    if(NOT type STREQUAL "OBJECT")
      message(FATAL_ERROR "not JSON Lines: ${file}: entry ${index}, counted from 0, is no object")
    endif()
  endforeach()
endfunction()

if(JSON_LINES)
  expect_json_lines(${JSON_LINES})
  return()
endif()

string(REPLACE "|" ";" args "${ARGS}")
if(NOT STDIN)
  set(STDIN /dev/null)
endif()
set(out ${SCRATCH}.stdout)
set(err ${SCRATCH}.stderr)
if(OUTPUT)
  file(REMOVE ${OUTPUT})
endif()
execute_process(COMMAND ${TOOL} ${args}
  WORKING_DIRECTORY ${WORKDIR} INPUT_FILE ${STDIN} OUTPUT_FILE ${out} ERROR_FILE ${err}
  RESULT_VARIABLE rc)

function(expect_same actual expected what)
  file(READ ${actual} got)
  file(READ ${expected} want)
  if(MASK)
    string(REGEX REPLACE "${MASK}" "#" got "${got}")
  endif()
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${what} differs from ${expected}\n--- got:\n${got}\n--- expected:\n${want}")
  endif()
endfunction()

if(NOT rc STREQUAL RC)
  file(READ ${err} stderr_text)
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}\n${stderr_text}")
endif()
if(STDOUT)
  expect_same(${out} ${STDOUT} "standard output")
endif()
if(STDERR)
  expect_same(${err} ${STDERR} "standard error")
else()
  file(READ ${err} stderr_text)
  if(NOT stderr_text STREQUAL "")
    message(FATAL_ERROR "unexpected standard error:\n${stderr_text}")
  endif()
endif()
if(OUTPUT)
  expect_same(${OUTPUT} ${EXPECT_OUTPUT} "written file")
endif()
if(JSON)
  expect_json_lines(${out})
endif()
