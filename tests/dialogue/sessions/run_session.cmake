# Runs one scripted session of the built program and compares its terminal
# output, report file and exit status with the expected ones.
#   cmake -DPROGRAM=... -DSESSION=<dir>/<name> -DWORKDIR=... -DSTATUS=0 -P run_session.cmake
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(COMMAND ${PROGRAM}
  INPUT_FILE ${SESSION}.in
  OUTPUT_FILE ${WORKDIR}/terminal.txt
  ERROR_VARIABLE diagnostics
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE status)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; standard error: ${diagnostics}")
endif()
foreach(pair "terminal.txt;${SESSION}.out" "report.txt;${SESSION}.report")
  list(GET pair 0 got)
  list(GET pair 1 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORKDIR}/${got} ${expected} RESULT_VARIABLE differ)
  if(differ)
    execute_process(COMMAND diff ${expected} ${WORKDIR}/${got})
    message(FATAL_ERROR "${got} differs from ${expected}")
  endif()
endforeach()
