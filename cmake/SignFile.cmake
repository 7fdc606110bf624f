# Signs FILE in place with OSSLSIGNCODE (Authenticode, SHA-256; an .exe, a .dll or an .msi), with
# the certificate CERT and its key KEY, or the .pfx/.p12 CERT alone; the key's password comes from
# the environment (QM_SIGN_PASSWORD). TIMESTAMP, when given, is a time-stamping server. The signed
# file replaces FILE only once osslsigncode has succeeded; a failure fails the build.
if(NOT FILE OR NOT CERT)
    message(FATAL_ERROR "SignFile.cmake needs FILE and CERT")
endif()
set(arguments sign -h sha256 -n Quillmoor)
if(CERT MATCHES "\\.(pfx|p12)$")
    list(APPEND arguments -pkcs12 ${CERT})
else()
    list(APPEND arguments -certs ${CERT} -key ${KEY})
endif()
if(DEFINED ENV{QM_SIGN_PASSWORD})
    list(APPEND arguments -pass "$ENV{QM_SIGN_PASSWORD}")
endif()
if(TIMESTAMP)
    list(APPEND arguments -t ${TIMESTAMP})
endif()
set(signed ${FILE}.signed)
file(REMOVE ${signed})
execute_process(COMMAND ${OSSLSIGNCODE} ${arguments} -in ${FILE} -out ${signed}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    file(REMOVE ${signed})
    message(FATAL_ERROR "osslsigncode could not sign ${FILE} (${result}): ${output}")
endif()
file(RENAME ${signed} ${FILE})
