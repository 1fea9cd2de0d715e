# kiro_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value ...])
# Builds one GoogleTest executable and registers its tests with CTest.
if(KIRO_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(KIRO_TESTING_DIR ${CMAKE_CURRENT_LIST_DIR})

function(kiro_add_gtest name)
  if(NOT KIRO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    KIRO_SHARED_DIR="${KIRO_SHARED_DIR}"
    KIRO_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KIRO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # The environment is set by the test program itself before main(): a list
  # passed through gtest_discover_tests' PROPERTIES loses all but its first
  # entry, and a test program run by hand gets the same environment as under
  # CTest this way.
  set(test_env "QT_QPA_PLATFORM=offscreen" "KIRO_MESSAGES=stderr" ${T_ENV})
  list(JOIN test_env "\\n" test_env_text)
  target_sources(${name} PRIVATE ${KIRO_TESTING_DIR}/TestEnvironment.cpp)
  target_compile_definitions(${name} PRIVATE "KIRO_TEST_ENVIRONMENT=\"${test_env_text}\"")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
