# The end-to-end cases of the certificate steps and the ".custom" copy, each group in a fresh
# prefix of its own (the machine's stores keep what a run adds). Included by the top-level
# CMakeLists.txt after e2e.cmake, whose program and case function they use.
if(NOT WIN32 OR NOT QRT_TESTS OR NOT TARGET quilstub-exe OR NOT TARGET quil-e2e-tests)
    return()
endif()

# The thumbprints the stores show: the upper-case SHA-1 of each DER file.
set(defs)
foreach(pair publisher-1:PUBLISHER1 publisher-2:PUBLISHER2 timestamp-ca:TIMESTAMP_CA)
    string(REPLACE ":" ";" parts ${pair})
    list(GET parts 0 file)
    list(GET parts 1 name)
    file(SHA1 ${QUILSTUB_CERT_DIR}/${file}.der thumb)
    string(TOUPPER ${thumb} thumb)
    list(APPEND defs QUIL_E2E_THUMB_${name}=${thumb}) # stringified by the test
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUILSTUB_CERT_DIR}/${file}.der)
endforeach()
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/stub-certs-test.cpp PROPERTIES COMPILE_DEFINITIONS "${defs}")

quil_e2e_case(stub-certs-win7 win64 "StubCerts.SilentOnWindows7")
quil_e2e_case(stub-certs-interactive win64 "StubCerts.NoPublishersUnlessSilent")
quil_e2e_case(stub-certs-win10 win64 "StubCerts.Windows10Workstation")
quil_e2e_case(stub-certs-server win64 "StubCerts.Server2019")
quil_e2e_case(stub-certs-disabled win64 "StubCerts.TimestampCaDisabled")
quil_e2e_case(stub-custom win64 "StubCustomDir.*")
