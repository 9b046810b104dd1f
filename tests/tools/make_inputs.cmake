# Inputs the xmlif tests make at test time in TARGET, from the files in SOURCE:
# UTF-16 copies with a byte order mark, and a document nested deeper than a DOM
# load accepts, which the stream reader reads without fault.
find_program(ICONV iconv REQUIRED)
foreach(name greeting bad-name)
  execute_process(COMMAND ${ICONV} -f UTF-8 -t UTF-16
    INPUT_FILE ${SOURCE}/${name}.xml OUTPUT_FILE ${TARGET}/${name}-utf16.xml RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "iconv could not convert ${name}.xml to UTF-16")
  endif()
endforeach()

string(REPEAT "<a>" 300 opening)
string(REPEAT "</a>" 300 closing)
file(WRITE ${TARGET}/deep.xml "<r>\n${opening}${closing}\n</r>\n")
