# Collects the .cpp files of the given folders into OUT: with EXCLUDE_FORMS every file outside a
# forms/ subfolder, with FORMS_ONLY only those inside it.
function(velkaro_collect_sources out)
  cmake_parse_arguments(ARG "EXCLUDE_FORMS;FORMS_ONLY" "" "" ${ARGN})
  set(result)
  foreach(dir IN LISTS ARG_UNPARSED_ARGUMENTS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(f IN LISTS found)
      string(FIND "${f}" "/${dir}/forms/" at)
      if(ARG_EXCLUDE_FORMS AND at EQUAL -1)
        list(APPEND result ${f})
      elseif(ARG_FORMS_ONLY AND NOT at EQUAL -1)
        list(APPEND result ${f})
      endif()
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Registers a GoogleTest program built from SOURCES and linked with LIBS, with the folder of the
# hand-written test files given as VELKARO_TEST_DATA. OFFSCREEN: it opens windows, on Qt's
# offscreen platform; SCREEN: the offscreen platform's screen file; ALONE: a regular expression of
# its tests that measure real time (a sound heard, a beat kept) and must run with no other test.
function(velkaro_add_gtest name)
  cmake_parse_arguments(ARG "OFFSCREEN" "SCREEN;ALONE" "SOURCES;LIBS" ${ARGN})
  set(env "${VELKARO_TEST_ENV}")
  if(ARG_OFFSCREEN)
    add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/qt_gtest_main.cpp)
    target_link_libraries(${name} PRIVATE velkaro_test_support ${ARG_LIBS} velkaro_forms_kit
                          Qt6::Widgets Qt6::Test GTest::gtest)
    if(ARG_SCREEN)
      list(APPEND env "QT_QPA_PLATFORM=offscreen:configfile=${ARG_SCREEN}")
    else()
      list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE velkaro_test_support ${ARG_LIBS} GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE VELKARO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  # Given to gtest_discover_tests, a list of variables would reach the tests as its first one
  # only: they are set once the discovered tests are known instead.
  set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_file}
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\n"
    "endif()\n")
  if(ARG_ALONE)
    file(APPEND ${env_file}
      "foreach(test IN LISTS ${name}_TESTS)\n"
      "  if(test MATCHES \"${ARG_ALONE}\")\n"
      "    set_tests_properties(\${test} PROPERTIES RUN_SERIAL TRUE)\n"
      "  endif()\n"
      "endforeach()\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()
