# B Plus file transfer: the packet layer, the client's transfer, the host's
# role (used by the host stand-in) and an in-memory line for tests and the
# benchmark.
target_sources(kiro_online PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BPlusCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusParameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusTransfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusMemoryPipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusPortLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BPlusTransferStarter.cpp
)

kiro_add_gtest(kiro_bplus_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusCodecTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusTransferTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusPacketReaderTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusLineFaultTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusIndependentPeerTest.cpp
  LIBS kiro_online
  TIMEOUT 600)
if(TARGET kiro_bplus_tests)
  target_compile_definitions(kiro_bplus_tests PRIVATE
    KIRO_PEER_SCRIPT="${CMAKE_SOURCE_DIR}/tools/bplus-peer/bplus_host.py")
endif()

# kiro-link against kiro-hostsim: present once both programs are built here.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/kiro-link/tests/LinkFixture.h AND EXISTS ${CMAKE_SOURCE_DIR}/tools/hostsim/TransferService.h)
  kiro_add_gtest(kiro_bplus_e2e_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/BPlusEndToEndTest.cpp
    LIBS kiro_online kiro_app
    TIMEOUT 300)
  if(TARGET kiro_bplus_e2e_tests)
    add_dependencies(kiro_bplus_e2e_tests kiro-link kiro-hostsim)
  endif()
endif()
