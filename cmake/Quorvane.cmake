# Shared build rules for the project's libraries, programs and tests.

# Warnings are errors in the project's own code where QV_WERROR is on: the
# README's build and CI turn it on (scripts/build.sh); release and packaging
# builds leave it off, so that a newer compiler's new warning stays a warning.
option(QV_WERROR "Treat compiler warnings as errors" OFF)

function(qv_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(QV_WERROR)
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

# qv_test(NAME SOURCES src... [LIBS lib...] [QT] [LABELS label...])
# A GoogleTest program registered with CTest. Tests are discovered when CTest
# runs, so test programs need not start at build time. Every test runs with
# Qt's offscreen platform and the build's runtime folder as QV_RUNTIME_DIR.
function(qv_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    qv_warnings(${name})
    # GCC 12 at -O3 takes the copy behind a string assignment or "literal" +
    # std::string for an overlapping one (-Wrestrict). The program's own code
    # is written around it; tests keep their plain form, and the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-Wno-error=restrict>)
    endif()
    # The test environment goes through `env` as the test's launcher: CMake
    # 3.25 splits a list-valued ENVIRONMENT property of discovered tests.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
        "env;QT_QPA_PLATFORM=offscreen;QV_RUNTIME_DIR=${QV_RUNTIME_DIR};QV_SOURCE_DIR=${PROJECT_SOURCE_DIR};QV_PYTHON=/usr/bin/python3")
    set(properties)
    if(ARG_LABELS)
        set(properties PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        ${properties})
endfunction()
