# The signing hook: given a code-signing certificate, the build signs what it ships (Quillmoor.exe,
# Logwright.dll, QuillmoorSetup.exe and both Windows Installer packages) with osslsigncode, each
# right after it is made, so a package holds the signed program. Without one nothing is signed.
#   QM_SIGN_CERT  the certificate (PEM or DER; a .pfx or .p12 file holds the key too)
#   QM_SIGN_KEY   its private key (not for a .pfx or .p12)
#   QM_SIGN_TIMESTAMP  a time-stamping server's address (optional: a signature without a time
#                      stamp stops being valid when the certificate expires)
# Each may be given to cmake (-DQM_SIGN_CERT=...) or in the environment, which wins when set, so
# the scripts' builds take it too. A key's password is read from the environment only
# (QM_SIGN_PASSWORD), never stored in the build's cache.
set(QM_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate; empty: nothing is signed")
set(QM_SIGN_KEY "" CACHE FILEPATH "The certificate's private key")
set(QM_SIGN_TIMESTAMP "" CACHE STRING "A time-stamping server for the signatures")
foreach(name QM_SIGN_CERT QM_SIGN_KEY QM_SIGN_TIMESTAMP)
    if(DEFINED ENV{${name}})
        set(${name} "$ENV{${name}}" CACHE STRING "" FORCE)
    endif()
endforeach()

set(QM_SIGN_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/SignFile.cmake)
if(QM_SIGN_CERT)
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    message(STATUS "Signing with ${QM_SIGN_CERT}")
endif()

# The command that signs file in place, in out_var; empty (nothing to run) without a certificate.
function(qm_sign_command out_var file)
    if(QM_SIGN_CERT)
        set(${out_var} COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${OSSLSIGNCODE} -DCERT=${QM_SIGN_CERT}
                       -DKEY=${QM_SIGN_KEY} -DTIMESTAMP=${QM_SIGN_TIMESTAMP} -DFILE=${file} -P ${QM_SIGN_SCRIPT}
            PARENT_SCOPE)
    else()
        set(${out_var} "" PARENT_SCOPE)
    endif()
endfunction()

# Signs what target builds, at file (its own output unless given), after each build of it.
function(qm_sign_target target)
    set(file $<TARGET_FILE:${target}>)
    if(ARGC GREATER 1)
        set(file ${ARGV1})
    endif()
    qm_sign_command(sign ${file})
    if(sign)
        add_custom_command(TARGET ${target} POST_BUILD ${sign} VERBATIM)
    endif()
endfunction()
