# Runs the expected-output formatter on a small sort data file and compares its result byte
# for byte with the matrix file written out by hand for it.
find_program(AWK awk REQUIRED)
execute_process(
  COMMAND ${AWK} -v subjects=2 -v stimuli=3 -f ${FORMATTER} ${INPUT}
  OUTPUT_FILE ${OUTPUT}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the formatter failed: ${status}")
endif()
file(SHA256 ${OUTPUT} got)
file(SHA256 ${EXPECTED} want)
if(NOT got STREQUAL want)
  message(FATAL_ERROR "the formatter's output ${OUTPUT} differs from ${EXPECTED}")
endif()
