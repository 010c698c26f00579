# qv_test(NAME [OWN_MAIN] SOURCES ... LIBS ... [LABELS ...])
# One test program per subsystem behaviour group, registered as one CTest test.
# On the Windows targets CTest runs it through the wine wrapper (the
# crosscompiling emulator), which also provides a display.
function(qv_test name)
  cmake_parse_arguments(T "OWN_MAIN" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    QV_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QV_BUILD_DIR=${CMAKE_BINARY_DIR}"
    LABELS "${T_LABELS}"
    TIMEOUT 300)
endfunction()
