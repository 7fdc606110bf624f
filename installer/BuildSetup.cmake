# Runs makensis on the setup script; called by the build with MAKENSIS, SCRIPT, DIST, DIST64,
# OUTPUT, VERSION, VERSION4, ICON and LAUNCHER set. The 64-bit program goes in only when dist64/
# holds it; the translations are the ones dist/Languages holds now.
set(arguments -V2 -DQM_DIST=${DIST} -DQM_VERSION=${VERSION} -DQM_VERSION4=${VERSION4} -DQM_ICON=${ICON}
    -DQM_OUTFILE=${OUTPUT} -DQM_UNINSTALL_LAUNCHER=${LAUNCHER})
# Their names, for the uninstaller, which removes exactly the files the setup installed.
file(GLOB translations RELATIVE ${DIST}/Languages ${DIST}/Languages/*.language)
if(translations)
    list(SORT translations)
    list(JOIN translations "|" translation_list)
    list(APPEND arguments "-DQM_LANGUAGE_FILES=${translation_list}")
    list(LENGTH translations count)
    message(STATUS "The setup holds ${count} translations")
endif()
if(EXISTS ${DIST64}/Quillmoor.exe AND EXISTS ${DIST64}/Logwright.dll)
    list(APPEND arguments -DQM_DIST64=${DIST64})
    message(STATUS "The setup holds the 32-bit and the 64-bit program")
endif()
execute_process(COMMAND ${MAKENSIS} ${arguments} ${SCRIPT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "makensis failed (${result})")
endif()
