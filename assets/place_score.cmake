# Places a fresh score file, never replacing one that holds records.
if(NOT EXISTS ${OUT})
  file(WRITE ${OUT} "000000000\r\n000000000\r\n")
endif()
