# velt_add_gtest(<target> SOURCES <files...> LIBS <libs...> [LABELS <labels...>])
# Builds a GoogleTest executable into build/tests and registers its cases with CTest; the cases
# named in VELTRANE_LONG_TESTS (below) get the label "long" beside the binary's labels.
# Every test sees where the programs, the sources and the test data are. The test data (the MPEG
# compliance streams) lives in the repository, so a plain clone runs every test.
set(VELTRANE_TESTDATA_DIR "${CMAKE_SOURCE_DIR}/mp3tool/tests/data")
set(VELTRANE_TEST_ENVIRONMENT
    "VELTRANE_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    "VELTRANE_LIB_DIR=${CMAKE_BINARY_DIR}/lib"
    "VELTRANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "VELTRANE_TESTDATA_DIR=${VELTRANE_TESTDATA_DIR}")
# The same environment for running a test binary by hand or whole (scripts/test.sh):
# `. build/tests/environment.sh`.
list(TRANSFORM VELTRANE_TEST_ENVIRONMENT PREPEND "export \"" OUTPUT_VARIABLE velt_exports)
list(TRANSFORM velt_exports APPEND "\"")
list(JOIN velt_exports "\n" velt_exports)
file(WRITE ${CMAKE_BINARY_DIR}/tests/environment.sh "${velt_exports}\n")

# The tests that take more than ten seconds, as regular expressions over the test names: those
# that took longer in a run of the whole tree with `ctest -j3`, or in scripts/test.sh's run
# (`ctest -j$(nproc)`, eight cores) beside other work. They carry the label "long" as well, so
# `ctest -LE long` runs the rest alone.
set(VELTRANE_LONG_TESTS
    "^Fixtures/Sweep\\.DamagedVariantsEndWithAnOutcome/"  # each stream of mpunpack's sweep
    "^TempoEngine\\.TenMinutesOfDenseOnsets$"
    "^TempoAudioChain\\.TenMinutesOfSixteenthNotes$"
    "^SingleLineRuns\\.RenderedScalesGiveThePlayedKeys$"
    "^LivePacing\\.MelodiesGiveTheirNotesOnce$"
    "^CommandsWrittenInPlace\\."  # a hundred file runs and a hundred live runs each
    "^VeltdeskBatch\\.CompressedAudioIsDecodedConvertedAndLogged$"
    "^VeltdeskBatch\\.ConvertsASoxToneAndAFluidsynthRenderWithoutADisplay$"
    "^VeltdeskBatch\\.AProjectWithoutAudioOrNoProjectAtAllIsRefusedWithoutAnEngine$"
    "^EnsembleEndToEnd\\.AnEnsembleMadeInTheEditorIsSavedReadBackAndConverts$")

function(velt_add_gtest target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} velt_test_support GTest::gtest GTest::gtest_main)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_dependencies(${target} data_files)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
    # Test discovery flattens list-valued properties (only the first variable would arrive), so the
    # environment and the labels are set by a script that CTest runs after the discovered tests.
    set(props "ENVIRONMENT [==[${VELTRANE_TEST_ENVIRONMENT}]==]")
    if(ARG_LABELS)
        string(APPEND props " LABELS [==[${ARG_LABELS}]==]")
    endif()
    set(longLabels ${ARG_LABELS} long)
    list(JOIN VELTRANE_LONG_TESTS "|" longTests)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
    file(WRITE ${script}
        "if(${target}_TESTS)\n"
        "    set_tests_properties(\${${target}_TESTS} PROPERTIES ${props})\n"
        "    set(velt_long_tests [==[${longTests}]==])\n"
        "    foreach(velt_test IN LISTS ${target}_TESTS)\n"
        "        if(velt_long_tests AND velt_test MATCHES \"\${velt_long_tests}\")\n"
        "            set_tests_properties(\${velt_test} PROPERTIES LABELS [==[${longLabels}]==])\n"
        "        endif()\n"
        "    endforeach()\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
