# Fails when the program's symbols name the tests' fault countdown.
#   cmake -DNM=nm -DPROGRAM=bin/ketrav -P no_fault_injection.cmake
execute_process(COMMAND ${NM} -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
# The program's entry is there whatever whole-program optimisation inlines.
if(failed OR NOT symbols MATCHES " main\n")
  message(FATAL_ERROR "cannot read the symbols of ${PROGRAM}")
endif()
foreach(name fail_nth_call short_write_nth_write countdown calls_seen)
  if(symbols MATCHES "${name}")
    message(FATAL_ERROR "${PROGRAM} carries fault injection: ${name}")
  endif()
endforeach()
message(STATUS "${PROGRAM}: no fault injection")
