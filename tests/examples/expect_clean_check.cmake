# Runs COMMAND (a list) and passes only when it exits 0, prints nothing on
# standard error and its standard output is the clean summary alone: a
# summary that says "0 errors" from a command that then fails is a failure.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "0" OR NOT err STREQUAL "" OR NOT out MATCHES "^0 errors, 0 warnings in [1-9][0-9]* files\n$")
  message(FATAL_ERROR "exit status: ${status}\nstandard output:\n${out}\nstandard error:\n${err}")
endif()
