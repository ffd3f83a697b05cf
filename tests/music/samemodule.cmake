# Runs the music generator into a scratch file and compares it with the committed module.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the generator failed: ${status}")
endif()
if(NOT EXISTS ${OUTPUT})
    message(FATAL_ERROR "the generator wrote nothing at ${OUTPUT}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED}
    RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${COMMITTED} differs from what ${GENERATOR} writes; regenerate it")
endif()
