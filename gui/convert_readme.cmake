# cmake -DINPUT=<UTF-8 text> -DOUTPUT=<file> -DICONV=<iconv> -P convert_readme.cmake
# Writes the text with CR LF line ends in code page 932, the form Windows editors of Japanese expect.
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT}.utf8 "${text}")
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${OUTPUT}.utf8
                OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
file(REMOVE ${OUTPUT}.utf8)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "iconv could not convert ${INPUT} to code page 932")
endif()
