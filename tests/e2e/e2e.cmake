# The end-to-end tests of the packed stub under Wine (ctest label "e2e"): the sample packages
# (wixl, gcab), an msi.dll double, the launcher, the holding helpers, the probe, and one test
# program whose suites run in a fresh copy of a prefix template each (tests/e2e/run-case.sh).
# Included by the top-level CMakeLists.txt after the stub's targets, so that the cases that
# need the stub are registered only once its program exists.
if(NOT WIN32)
    return()
endif()

# The extraction benchmark's floor (bench/extract.sh): a GUI program linked as the stub is.
add_executable(bench-extract-reference WIN32 ${CMAKE_SOURCE_DIR}/bench/extract-reference.cpp)
target_compile_options(bench-extract-reference PRIVATE ${QRT_WARNINGS} -municode)
target_link_options(bench-extract-reference PRIVATE -municode -s)

if(NOT QRT_TESTS)
    return()
endif()

find_program(QUIL_WIXL wixl REQUIRED)
find_program(QUIL_GCAB gcab REQUIRED)
set(E2E_SRC ${CMAKE_CURRENT_LIST_DIR})
set(E2E_OUT ${CMAKE_BINARY_DIR}/e2e)

# Sample packages, built from the sources here on every change.
set(E2E_PACKAGES)
foreach(spec sample:sample.txt cond:cond.txt reboot:reboot.txt extcab:cabfile.txt)
    string(REPLACE ":" ";" parts ${spec})
    list(GET parts 0 name)
    list(GET parts 1 payload)
    add_custom_command(OUTPUT ${E2E_OUT}/${name}.msi
                       COMMAND ${QUIL_WIXL} -o ${E2E_OUT}/${name}.msi ${name}.wxs
                       WORKING_DIRECTORY ${E2E_SRC}/msi
                       DEPENDS ${E2E_SRC}/msi/${name}.wxs ${E2E_SRC}/msi/${payload}
                       COMMENT "wixl ${name}.msi" VERBATIM)
    list(APPEND E2E_PACKAGES ${E2E_OUT}/${name}.msi)
endforeach()
# The external cabinet of extcab.msi holds its file under the File-table key.
add_custom_command(OUTPUT ${E2E_OUT}/data1.cab
                   COMMAND ${QUIL_GCAB} -c -z ${E2E_OUT}/data1.cab cabfile.txt
                   WORKING_DIRECTORY ${E2E_SRC}/msi
                   DEPENDS ${E2E_SRC}/msi/cabfile.txt
                   COMMENT "gcab data1.cab" VERBATIM)
list(APPEND E2E_PACKAGES ${E2E_OUT}/data1.cab)
add_custom_target(e2e-packages ALL DEPENDS ${E2E_PACKAGES})

# The helpers: test tools, so the C++ standard library is fine; static, so they run in any
# prefix without MinGW DLLs.
function(quil_e2e_program name kind)
    add_executable(${name} ${kind} ${ARGN})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${E2E_OUT})
    target_compile_options(${name} PRIVATE ${QRT_WARNINGS} -municode)
    target_link_options(${name} PRIVATE -municode)
endfunction()
add_library(e2e-common STATIC ${E2E_SRC}/e2e-process.cpp ${E2E_SRC}/e2e-record.cpp)
target_compile_options(e2e-common PRIVATE ${QRT_WARNINGS})
quil_e2e_program(e2e-launch "" ${E2E_SRC}/launch-main.cpp)
target_link_libraries(e2e-launch PRIVATE e2e-common)
quil_e2e_program(e2e-hold "" ${E2E_SRC}/hold-main.cpp)
quil_e2e_program(e2e-probe WIN32 ${E2E_SRC}/probe-main.cpp)
target_link_libraries(e2e-probe PRIVATE e2e-common)

add_library(e2e-msi-double SHARED ${E2E_SRC}/msi-double.cpp ${E2E_SRC}/msi-double.def)
target_link_libraries(e2e-msi-double PRIVATE e2e-common)
set_target_properties(e2e-msi-double PROPERTIES PREFIX "" OUTPUT_NAME msi-double RUNTIME_OUTPUT_DIRECTORY ${E2E_OUT})
target_compile_options(e2e-msi-double PRIVATE ${QRT_WARNINGS})
target_link_options(e2e-msi-double PRIVATE -static)

# The test program: GoogleTest, run by run-case.sh inside a prefix copy.
# The stub's cases are always built (they need the stub only when they run) and registered
# below only when the stub's program is a target of this build.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${E2E_SRC}/*-test.cpp)
add_executable(quil-e2e-tests ${E2E_TEST_SOURCES} ${E2E_SRC}/e2e-relay.cpp ${E2E_SRC}/e2e-harness.cpp
               ${E2E_SRC}/stub-harness.cpp)
set_target_properties(quil-e2e-tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${E2E_OUT})
target_link_libraries(quil-e2e-tests PRIVATE e2e-common GTest::gtest_main)
target_include_directories(quil-e2e-tests PRIVATE ${E2E_SRC} ${QUIL_GENERATED_DIR})
target_compile_options(quil-e2e-tests PRIVATE ${QRT_WARNINGS})
add_dependencies(quil-e2e-tests e2e-packages e2e-launch e2e-hold e2e-probe e2e-msi-double quilpack)

# One ctest test per group of cases, each in a fresh copy of a prefix template.
set(E2E_TEMPLATES ${E2E_OUT}/templates)
set(E2E_STUB "")
if(TARGET quilstub-exe)
    set(E2E_STUB $<TARGET_FILE:quilstub-exe>)
endif()
function(quil_e2e_case name arch filter)
    add_test(NAME e2e:${name}
             COMMAND ${E2E_SRC}/run-case.sh ${arch} ${E2E_TEMPLATES}/${arch} ${E2E_OUT}/work/${name} ${filter}
                     $<TARGET_FILE:quil-e2e-tests> ${E2E_OUT} ${E2E_SRC} $<TARGET_FILE:quilpack> "${E2E_STUB}")
    set_tests_properties(e2e:${name} PROPERTIES LABELS e2e TIMEOUT 240)
endfunction()

quil_e2e_case(harness win64 "E2eLauncher.*:E2eHold.*:E2eMsiDouble.*:E2eRelay.*:E2eHost.*")
quil_e2e_case(harness-msi win64 "E2eMsi.*")
quil_e2e_case(harness-win32 win32 "E2eHost.*:E2eLauncher.FullExitCodes")
if(TARGET quilstub-exe)
    add_dependencies(quil-e2e-tests quilstub-exe)
    quil_e2e_case(stub-cli win64 "StubCli.*")
    quil_e2e_case(stub-install win64 "StubInstall.*")
    quil_e2e_case(stub-msi win64 "StubMsi.*")
    quil_e2e_case(stub-extract win64 "StubExtract.*:StubInstance.*")
    quil_e2e_case(stub-cleanup win64 "StubCleanup.*")
    quil_e2e_case(stub-win32 win32 "StubWin32Host.*")
endif()
