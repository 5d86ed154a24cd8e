# The certificates the stub embeds are a build input: the DER files in QUILSTUB_CERT_DIR
# (publisher-1.der, publisher-2.der, timestamp-ca.der) become byte arrays at build time.
# The default folder holds stand-ins made by tools/make-stand-in-certs.sh; a release build
# points the option at the folder with the product's own certificates.
set(QUILSTUB_CERT_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE PATH
    "Folder with the stub's certificates: publisher-1.der, publisher-2.der, timestamp-ca.der")
set(QUILSTUB_CERT_FILES ${QUILSTUB_CERT_DIR}/publisher-1.der ${QUILSTUB_CERT_DIR}/publisher-2.der
    ${QUILSTUB_CERT_DIR}/timestamp-ca.der)
set(QUILSTUB_CERT_SOURCE ${QUIL_GENERATED_DIR}/QuilStubCertData.cpp)
add_custom_command(OUTPUT ${QUILSTUB_CERT_SOURCE}
                   COMMAND ${CMAKE_COMMAND} -DCERT_DIR=${QUILSTUB_CERT_DIR} -DOUT=${QUILSTUB_CERT_SOURCE}
                           -P ${CMAKE_SOURCE_DIR}/cmake/EmbedCertificates.cmake
                   DEPENDS ${QUILSTUB_CERT_FILES} ${CMAKE_SOURCE_DIR}/cmake/EmbedCertificates.cmake
                   COMMENT "Embedding the stub's certificates from ${QUILSTUB_CERT_DIR}" VERBATIM)
target_sources(quilstub PRIVATE ${QUILSTUB_CERT_SOURCE})

# The files are what the stub says they are: key size, signature hash, extended key usage and
# path length, read back with openssl; the native test program compares the arrays with them.
if(QRT_TESTS AND NOT WIN32)
    add_test(NAME native:StubCertificateFiles
             COMMAND ${CMAKE_SOURCE_DIR}/tests/Installer/win/Stub/cert-files.sh ${QUILSTUB_CERT_DIR})
    set_tests_properties(native:StubCertificateFiles PROPERTIES LABELS native)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/Installer/win/Stub/QuilStubCertData-posix.cpp PROPERTIES
                                COMPILE_DEFINITIONS QUILSTUB_CERT_DIR="${QUILSTUB_CERT_DIR}")
endif()
