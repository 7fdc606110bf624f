# Runs wixl on Quillmoor.wxs for one architecture; called by the build (and by the package test,
# for a package of another version) with WIXL, SOURCE, ARCH (x64 or x86), VERSION (three parts),
# PROGRAM (the folder of that architecture's Quillmoor.exe and Logwright.dll), DATA (dist/), ICON
# and OUTPUT set. The translations and templates are the ones DATA/Languages and DATA/policies hold now.
file(GLOB translations RELATIVE ${DATA}/Languages ${DATA}/Languages/*.language)
list(SORT translations)
if(NOT translations)
    message(FATAL_ERROR "no translations in ${DATA}/Languages")
endif()
# One component for every translation, its first file the key: an upgrade removes the earlier
# package whole before it installs, so a translation no longer shipped goes too.
set(include "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n")
string(APPEND include "  <Component Id=\"Translations\" Guid=\"*\" Win64=\"$(var.Win64)\">\n")
set(key " KeyPath=\"yes\"")
set(index 0)
foreach(file ${translations})
    string(APPEND include "    <File Id=\"Translation${index}\" Name=\"${file}\" Source=\"${DATA}/Languages/${file}\"${key}/>\n")
    set(key "")
    math(EXPR index "${index} + 1")
endforeach()
string(APPEND include "  </Component>\n</Include>\n")

# The administrative templates, for the administrator to copy into the policy store: the .admx and
# each language's .adml in a folder of its tag, one component a folder.
file(GLOB templates RELATIVE ${DATA}/policies ${DATA}/policies/*.admx ${DATA}/policies/*/*.adml)
list(SORT templates)
if(NOT templates)
    message(FATAL_ERROR "no administrative templates in ${DATA}/policies")
endif()
set(policies "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n")
set(index 0)
foreach(file ${templates})
    get_filename_component(name ${file} NAME)
    get_filename_component(folder "${file}" DIRECTORY)
    if(folder)
        string(APPEND policies "  <Directory Id=\"PolicyFolder${index}\" Name=\"${folder}\">\n")
    endif()
    string(APPEND policies "  <Component Id=\"PolicyTemplate${index}\" Guid=\"*\" Win64=\"$(var.Win64)\">\n")
    string(APPEND policies "    <File Id=\"PolicyFile${index}\" Name=\"${name}\" Source=\"data/policies/${file}\" KeyPath=\"yes\"/>\n")
    string(APPEND policies "  </Component>\n")
    if(folder)
        string(APPEND policies "  </Directory>\n")
    endif()
    list(APPEND policy_components PolicyTemplate${index})
    math(EXPR index "${index} + 1")
endforeach()
string(APPEND policies "</Include>\n")
set(policy_refs "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n")
foreach(component ${policy_components})
    string(APPEND policy_refs "  <ComponentRef Id=\"${component}\"/>\n")
endforeach()
string(APPEND policy_refs "</Include>\n")

# wixl takes only paths relative to its source's folder: the files go into a folder of their own
# beside the package, under fixed names.
set(stage ${OUTPUT}.files)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/program ${stage}/data/Languages)
file(COPY ${PROGRAM}/Quillmoor.exe ${PROGRAM}/Logwright.dll DESTINATION ${stage}/program)
file(COPY ${DATA}/Quillmoor.language ${DATA}/Quillmoor.rules ${DATA}/config.xml ${DATA}/Quillmoor.chm
     DESTINATION ${stage}/data)
foreach(file ${translations})
    file(COPY ${DATA}/Languages/${file} DESTINATION ${stage}/data/Languages)
endforeach()
file(COPY ${DATA}/policies DESTINATION ${stage}/data)
configure_file(${ICON} ${stage}/Quillmoor.ico COPYONLY)
configure_file(${SOURCE} ${stage}/Quillmoor.wxs COPYONLY)
string(REPLACE "${DATA}/Languages/" "data/Languages/" include "${include}")
file(WRITE ${stage}/languages.wxi "${include}")
file(WRITE ${stage}/policies.wxi "${policies}")
file(WRITE ${stage}/policy-refs.wxi "${policy_refs}")

execute_process(
    COMMAND ${WIXL} --arch ${ARCH} -D Arch=${ARCH} -D Version=${VERSION} -D Program=program -D Data=data
            -D Icon=Quillmoor.ico -D Languages=languages.wxi -D Policies=policies.wxi
            -D PolicyRefs=policy-refs.wxi -o ${OUTPUT} Quillmoor.wxs
    WORKING_DIRECTORY ${stage}
    RESULT_VARIABLE result)
file(REMOVE_RECURSE ${stage})
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "wixl failed (${result}) for ${OUTPUT}")
endif()
