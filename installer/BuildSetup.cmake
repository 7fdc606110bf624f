# Runs makensis on the setup script; called by the build with MAKENSIS, SCRIPT, DIST, DIST64,
# OUTPUT, VERSION, VERSION4 and ICON set. The 64-bit program goes in only when dist64/ holds it.
set(arguments -V2 -DQM_DIST=${DIST} -DQM_VERSION=${VERSION} -DQM_VERSION4=${VERSION4} -DQM_ICON=${ICON}
    -DQM_OUTFILE=${OUTPUT})
if(EXISTS ${DIST64}/Quillmoor.exe AND EXISTS ${DIST64}/Logwright.dll)
    list(APPEND arguments -DQM_DIST64=${DIST64})
    message(STATUS "The setup holds the 32-bit and the 64-bit program")
endif()
execute_process(COMMAND ${MAKENSIS} ${arguments} ${SCRIPT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "makensis failed (${result})")
endif()
