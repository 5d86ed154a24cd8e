# Script mode (cmake -P): writes OUT, a C++ source defining the stub's certificate arrays from
# the DER files in CERT_DIR. Each array holds its file's bytes; each length is the file's size.
#   cmake -DCERT_DIR=<folder> -DOUT=<file.cpp> -P EmbedCertificates.cmake
set(names publisher-1 publisher-2 timestamp-ca)
set(symbols StubPublisherCert1 StubPublisherCert2 StubTimestampCaCert)
set(body "// Generated from the DER files in ${CERT_DIR}; do not edit.\n#include \"QuilStubCertData.h\"\n")
foreach(name symbol IN ZIP_LISTS names symbols)
    set(file "${CERT_DIR}/${name}.der")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "certificate ${file} is missing (QUILSTUB_CERT_DIR must hold publisher-1.der, "
                            "publisher-2.der and timestamp-ca.der)")
    endif()
    file(SIZE "${file}" size)
    if(size EQUAL 0)
        message(FATAL_ERROR "certificate ${file} is empty")
    endif()
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(APPEND body "\nconst uint8_t g_ab${symbol}[] = {\n    ${bytes}\n};\n"
                       "const uint32_t g_cb${symbol} = sizeof(g_ab${symbol}); // ${size} bytes\n")
endforeach()
# Written only when it changed, so that an unchanged folder rebuilds nothing.
file(CONFIGURE OUTPUT "${OUT}" CONTENT "${body}" @ONLY)
