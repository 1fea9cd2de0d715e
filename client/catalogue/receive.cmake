# Bulk receive of reserved products: data addresses, the karaoke area's
# scripts, the receive job and the play button in receive state.
target_sources(kiro_catalogue PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataAddress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KaraokeScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BulkReceive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReceiveButton.cpp
)
target_link_libraries(kiro_catalogue PUBLIC kiro_services)

kiro_add_gtest(receive_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/KaraokeScriptsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/BulkReceiveEndToEndTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/ReceiveButtonTest.cpp
  LIBS kiro_catalogue kiro_app
  TIMEOUT 240)
if(TARGET receive_tests)
  add_dependencies(receive_tests kiro-hostsim kiro-link)
endif()
