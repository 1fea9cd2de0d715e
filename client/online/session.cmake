# The host session engine: prompt matcher, line watcher, engine scripts,
# progress view and the HostSession state machine.
target_sources(kiro_online PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PromptMatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineWatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SessionLineTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SessionScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextProgressView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostSession.h
  ${CMAKE_CURRENT_LIST_DIR}/SessionSettingsFrom.cpp
)
# The engine waits with the application's WaitWithPump and asks through its
# prompt interface; both live in the widget-free application core.
target_link_libraries(kiro_online PUBLIC kiro_app)

kiro_add_gtest(session_matcher_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PromptMatcherTest.cpp
  LIBS kiro_online)

kiro_add_gtest(host_session_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/HostSessionTest.cpp
  LIBS kiro_online kiro_app
  TIMEOUT 120)
if(TARGET host_session_tests)
  add_dependencies(host_session_tests kiro-hostsim)
endif()

kiro_add_gtest(host_session_flow_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/HostSessionFlowTest.cpp
  LIBS kiro_online kiro_app
  TIMEOUT 120)
