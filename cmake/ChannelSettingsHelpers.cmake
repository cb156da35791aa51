# Shared CMake helpers. Each folder adds its own targets with these.

find_package(GTest QUIET)
include(GoogleTest)

# cs_add_pch(NAME HEADERS <a> <b> ... LIBS ...): a precompiled header of heavy library headers,
# built once and reused by the targets that name it in cs_use_pch. The compiler takes a
# precompiled header only where it was built with the same code model; Qt requires -fPIC, so the
# header and every target that reuses it (programs too, which CMake would give -fPIE) use -fPIC.
function(cs_add_pch name)
  cmake_parse_arguments(ARG "" "" "HEADERS;LIBS" ${ARGN})
  add_library(${name} OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch_anchor.cpp)
  target_compile_options(${name} PRIVATE -fPIC)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

# cs_use_pch(TARGET PCH [SKIP_MOC]): TARGET's sources start with PCH's headers. SKIP_MOC: the
# target's moc file holds only generated code (a test's moc output is included by its source),
# and loading the header there costs more than it saves.
function(cs_use_pch target pch)
  if(NOT TARGET ${pch})
    return()
  endif()
  target_compile_options(${target} PRIVATE -fPIC)
  target_precompile_headers(${target} REUSE_FROM ${pch})
  if("SKIP_MOC" IN_LIST ARGN)
    get_target_property(folder ${target} BINARY_DIR)
    set_source_files_properties(${folder}/${target}_autogen/mocs_compilation.cpp
      PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()

# Running moc over a test program that declares no Qt object costs a second or two of every
# build for nothing: AUTOMOC stays on only where a source or its header declares one.
function(cs_moc_only_where_needed name)
  foreach(source IN LISTS ARGN)
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(stem ${path} NAME_WLE)
    get_filename_component(folder ${path} DIRECTORY)
    foreach(file IN ITEMS ${path} ${folder}/${stem}.h)
      if(EXISTS ${file})
        file(STRINGS ${file} declared REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE")
        if(declared)
          return()
        endif()
      endif()
    endforeach()
  endforeach()
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
endfunction()

# cs_add_gtest(NAME SOURCES a.cpp b.cpp LIBS cs_image ... [LABELS link])
# A GoogleTest executable registered with ctest, one ctest entry per test case.
function(cs_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  cs_moc_only_where_needed(${name} ${ARG_SOURCES})
  cs_use_pch(${name} cs_gtest_pch SKIP_MOC)
  set(labels core ${ARG_LABELS})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 30)
  # Labels are set by a script that runs after discovery: passed through PROPERTIES, a list of
  # labels is flattened and only its first one stays a label.
  set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${label_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
endfunction()

# cs_add_qttest(NAME SOURCES a.cpp LIBS ... [PER_FUNCTION]): a Qt Test executable run offscreen.
# With PER_FUNCTION each test function below "private slots:" in the sources is a test of its own
# (NAME.function), so that ctest runs a long program's functions side by side.
function(cs_add_qttest name)
  cmake_parse_arguments(ARG "PER_FUNCTION" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets Threads::Threads)
  cs_use_pch(${name} cs_qttest_pch SKIP_MOC)
  set(tests ${name})
  if(ARG_PER_FUNCTION)
    set(tests)
    foreach(source IN LISTS ARG_SOURCES)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source})
      file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${source} text)
      string(FIND "${text}" "private slots:" at)
      if(at LESS 0)
        continue()
      endif()
      string(SUBSTRING "${text}" ${at} -1 text)
      string(REGEX MATCHALL "\n    void [A-Za-z0-9_]+\(\)" found "${text}")
      foreach(match IN LISTS found)
        string(REGEX REPLACE "\n    void ([A-Za-z0-9_]+)\(\)" "\\1" function "${match}")
        if(function MATCHES "^(initTestCase|cleanupTestCase|init|cleanup)$|_data$")
          continue()
        endif()
        add_test(NAME ${name}.${function} COMMAND ${name} ${function})
        list(APPEND tests ${name}.${function})
      endforeach()
    endforeach()
    if(NOT tests)
      message(FATAL_ERROR "${name}: no test functions found for PER_FUNCTION")
    endif()
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${tests} PROPERTIES LABELS "ui;${ARG_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# cs_add_fuzzer(NAME SOURCES a.cpp LIBS ... [SEEDS generator]): a libFuzzer target, run briefly by
# ctest (label "fuzz") in the CS_FUZZ build. CS_FUZZ_SECONDS sets the run time of each. With SEEDS,
# the program `generator` first writes the target's starting inputs and its dictionary
# (`generator NAME CORPUS DICTIONARY`), so both live in the repository as code.
set(CS_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs under ctest")
function(cs_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  set(dictionary_option)
  if(ARG_SEEDS)
    set(dictionary ${CMAKE_CURRENT_BINARY_DIR}/${name}.dict)
    set(dictionary_option -dict=${dictionary})
    add_test(NAME ${name}_seeds COMMAND ${ARG_SEEDS} ${name} ${corpus} ${dictionary})
    set_tests_properties(${name}_seeds PROPERTIES LABELS fuzz FIXTURES_SETUP ${name}_corpus)
  endif()
  add_test(NAME ${name}
    COMMAND ${name} -max_total_time=${CS_FUZZ_SECONDS} -seed=1 -rss_limit_mb=4096
            -print_final_stats=1 ${dictionary_option} ${corpus})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
  if(ARG_SEEDS)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${name}_corpus)
  endif()
endfunction()
