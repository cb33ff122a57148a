# Shared build rules for the project's libraries, programs and tests.

# Warnings are errors in the project's own code where QV_WERROR is on: the
# README's build and CI turn it on (scripts/build.sh); release and packaging
# builds leave it off, so that a newer compiler's new warning stays a warning.
option(QV_WERROR "Treat compiler warnings as errors" OFF)

# The sanitized build: every target compiled with AddressSanitizer and
# UndefinedBehaviorSanitizer, any report fatal. scripts/test.sh configures
# one in a second build folder and runs the logic libraries' tests and the
# fuzz targets there (labels "core" and "fuzz"). Under clang the code is
# also instrumented for coverage so that libFuzzer can drive the fuzz
# targets; other compilers get the project's fixed-seed driver instead.
option(QV_SANITIZE "Compile with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(QV_LIBFUZZER OFF)
if(QV_SANITIZE)
    set(qv_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        set(QV_LIBFUZZER ON)
        add_compile_options(${qv_sanitizers} -fsanitize=fuzzer-no-link)
    else()
        add_compile_options(${qv_sanitizers})
    endif()
    add_link_options(${qv_sanitizers})
    # Leaks count as failures; Qt's own start-up allocations that live until
    # exit are listed in the suppressions file.
    set(QV_SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")
endif()

# Test folders whose tests run the logic libraries alone (no Widgets, no web
# engine). Their tests carry the label "core" and run in the sanitized build
# too; tests in subfolders (windows/, engine/) are not core.
set(QV_CORE_TEST_FOLDERS base lists settings compress mail update webforms)

# The sanitized build under clang reports its warnings without stopping: the
# normal build holds the line, and another compiler's new warnings should not
# block the sanitizers.
function(qv_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(QV_WERROR AND NOT (QV_SANITIZE AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU"))
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# qv_library(NAME SOURCES src... [LIBS lib...] [QT])
# A static library whose headers are included as "<folder>/<header>.h" from
# the source root. QT turns on moc for the target. Every such library joins
# the duplicate-symbol check (tests/build).
function(qv_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    qv_warnings(${name})
    set_property(GLOBAL APPEND PROPERTY QV_LIBRARIES ${name})
endfunction()

# qv_test(NAME SOURCES src... [LIBS lib...] [QT] [XVFB] [LABELS label...]
#         [ENVIRONMENT NAME=VALUE...])
# A GoogleTest program registered with CTest. Tests are discovered when CTest
# runs, so test programs need not start at build time. Every test runs with
# Qt's offscreen platform (with XVFB: on an X display of its own, which
# xvfb-run starts) and the build's runtime folder as QV_RUNTIME_DIR.
# A test in one of QV_CORE_TEST_FOLDERS also gets the label "core"; the
# sanitized build registers only those.
function(qv_test name)
    cmake_parse_arguments(ARG "QT;XVFB" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    set(core OFF)
    if(folder IN_LIST QV_CORE_TEST_FOLDERS)
        set(core ON)
        list(APPEND ARG_LABELS core)
        set_property(GLOBAL APPEND PROPERTY QV_CORE_TESTS ${name})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    qv_warnings(${name})
    if(QV_SANITIZE AND NOT core)
        # Kept as a target for the CMake code that refers to it, built on
        # request only and not registered.
        set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
        return()
    endif()
    # GCC 12 at -O3 takes the copy behind a string assignment or "literal" +
    # std::string for an overlapping one (-Wrestrict). The program's own code
    # is written around it; tests keep their plain form, and the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-Wno-error=restrict>)
    endif()
    # The test environment goes through `env` as the test's launcher: CMake
    # 3.25 splits a list-valued ENVIRONMENT property of discovered tests.
    set(launcher env QT_QPA_PLATFORM=offscreen)
    if(ARG_XVFB)
        set(launcher xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb)
    endif()
    set(environment QV_RUNTIME_DIR=${QV_RUNTIME_DIR} QV_SOURCE_DIR=${PROJECT_SOURCE_DIR}
        QV_PYTHON=/usr/bin/python3 ${QV_SANITIZER_ENVIRONMENT} ${ARG_ENVIRONMENT})
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher};${environment}")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60)
    # Labels go on the discovered tests from a file of their own, read after
    # the discovery: through gtest_discover_tests' PROPERTIES a list of
    # labels is split, and all but the first label are lost.
    if(ARG_LABELS)
        set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
        file(WRITE ${labels_file}
            "if(${name}_TESTS)\n"
            "    set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\n"
            "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
    endif()
endfunction()

# qv_fuzz_target(NAME SOURCE LIBS...)
# A fuzz target: a program whose LLVMFuzzerTestOneInput, in SOURCE
# (<what>_fuzz.cpp), takes any bytes as outside input. Built in the
# sanitized build only. CTest runs it for 20 seconds (label "fuzz") from the
# seed inputs in corpus/<what>/ beside SOURCE, through fuzz/run_target.sh,
# which keeps what the run finds under <build>/fuzz/<NAME>/. The run has no
# CTest time-out of its own: the driver ends it, and a single input that
# hangs is a finding. scripts/fuzz.sh runs the same tests for longer.
function(qv_fuzz_target name source)
    get_filename_component(what ${source} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" what ${what})
    add_executable(${name} ${source})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests
        ${PROJECT_SOURCE_DIR}/fuzz)
    target_link_libraries(${name} PRIVATE ${ARGN})
    if(QV_LIBFUZZER)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        set(driver libfuzzer)
    else()
        target_link_libraries(${name} PRIVATE qv_fixed_seed_driver)
        set(driver fixed)
    endif()
    qv_warnings(${name})
    set_property(GLOBAL APPEND PROPERTY QV_FUZZ_TARGETS ${name})
    add_test(NAME ${name}
        COMMAND ${PROJECT_SOURCE_DIR}/fuzz/run_target.sh ${driver} $<TARGET_FILE:${name}>
                ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${what} ${CMAKE_BINARY_DIR}/fuzz/${name} 20)
    set_tests_properties(${name} PROPERTIES
        LABELS fuzz
        ENVIRONMENT "${QV_SANITIZER_ENVIRONMENT}")
endfunction()

# The target "qv_sanitized" builds what the sanitized build runs: the core
# tests, the fuzz targets and the shipped files some tests read. Called once,
# after every folder has been added.
function(qv_sanitized_target)
    if(NOT QV_SANITIZE)
        return()
    endif()
    get_property(core GLOBAL PROPERTY QV_CORE_TESTS)
    get_property(fuzz GLOBAL PROPERTY QV_FUZZ_TARGETS)
    add_custom_target(qv_sanitized)
    add_dependencies(qv_sanitized ${core} ${fuzz} qv_data)
endfunction()
