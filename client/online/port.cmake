# CommPort, its devices (termios serial port, TELNET virtual modem), the modem
# commands and the script step record.
target_sources(kiro_online PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HayesModem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModemCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModemScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortDeviceFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TelnetCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TelnetModemDevice.cpp
)

kiro_add_gtest(online_modem_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ModemCommandsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/PortRegistryTest.cpp
  LIBS kiro_online)

kiro_add_gtest(online_modem_engine_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/HayesModemTest.cpp
  LIBS kiro_online)

kiro_add_gtest(online_port_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/CommPortTest.cpp
  LIBS kiro_online util
  TIMEOUT 120)

kiro_add_gtest(online_telnet_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/TelnetModemTest.cpp
  LIBS kiro_online
  TIMEOUT 120)

kiro_add_gtest(online_modem_script_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ModemScriptLiveTest.cpp
  LIBS kiro_online
  TIMEOUT 120)
