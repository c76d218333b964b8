# Runs `kxtfw --emulate CASE.json list` and checks that it exits with 0, prints
# CASE.out exactly and writes to standard error a match for every line of CASE.err
# (one regular expression a line).
execute_process(COMMAND ${KXTFW} --emulate ${CASE}.json list
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}\n${output}${errors}")
endif()
file(READ ${CASE}.out expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "standard output differs.\nExpected:\n${expected}\nGot:\n${output}")
endif()
file(STRINGS ${CASE}.err patterns)
foreach(pattern IN LISTS patterns)
  if(NOT errors MATCHES "${pattern}")
    message(FATAL_ERROR "standard error lacks \"${pattern}\":\n${errors}")
  endif()
endforeach()
