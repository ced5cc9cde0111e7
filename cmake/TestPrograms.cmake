# tm_add_test_program(NAME PATTERN LIBS...): one gtest program from the test
# files of the calling folder that match PATTERN, linked with LIBS and the
# shared test main (MAIN names another, e.g. tm_widget_test_main for window
# tests); nothing when no file matches yet. Further ctest properties for the
# discovered tests can be given after PROPERTIES.
function(tm_add_test_program name pattern)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "MAIN" "PROPERTIES")
  if(NOT arg_MAIN)
    set(arg_MAIN tm_test_main)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${arg_UNPARSED_ARGUMENTS} ${arg_MAIN})
  # Tests may read the message catalogues beside the executables.
  if(TARGET tm_locale)
    add_dependencies(${name} tm_locale)
  endif()
  if(arg_PROPERTIES)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${arg_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
