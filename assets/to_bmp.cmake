# Reads the PNG's size and hands the raw pixels to bmpconv.
execute_process(COMMAND ${IDENTIFY} ${PNG} -format "%w %h" info:
                OUTPUT_VARIABLE size RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read the size of ${PNG}")
endif()
separate_arguments(size)
list(GET size 0 w)
list(GET size 1 h)
execute_process(COMMAND ${BMPCONV} ${RGBA} ${w} ${h} ${BMP} ${DITHER} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bmpconv failed for ${PNG}")
endif()
