# tm_add_test_program(NAME SOURCES file_test.cpp... LIBS lib... [MAIN main_lib]
#                     [PROPERTIES prop value...])
#
# One gtest program NAME from the listed test files of the calling folder,
# linked with LIBS and a gtest main: tm_test_main (inside a QCoreApplication)
# unless MAIN names another, e.g. tm_widget_test_main for window tests. Every
# test file is listed: a file that is not named here is not built. PROPERTIES
# are ctest properties given to every test the program holds. Under
# ThreadSanitizer every test reads the suppressions of tests/tsan.supp.
function(tm_add_test_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAIN" "SOURCES;LIBS;PROPERTIES")
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "tm_add_test_program(${name}): no SOURCES")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tm_add_test_program(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_MAIN)
    set(arg_MAIN tm_test_main)
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} ${arg_MAIN})
  # Tests may read the message catalogues beside the executables.
  add_dependencies(${name} tm_locale)
  if(TOLLMARSH_SANITIZE MATCHES "thread")
    list(APPEND arg_PROPERTIES ENVIRONMENT "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
  endif()
  if(arg_PROPERTIES)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${arg_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
