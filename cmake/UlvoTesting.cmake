# ulvo_add_gtest(NAME SOURCES... [LIBS libs...])
# One test program per subsystem, registered as one CTest test: each start of a
# Windows test program under Wine costs time, so cases are not listed singly.
function(ulvo_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  # Editor runs keep their settings in the build tree, never in the settings
  # of the user running the tests (the Windows builds' go to the Wine prefix).
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
                       ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-settings/${name}")
endfunction()
