# CommPort, its devices (termios serial port, TELNET virtual modem), the modem
# commands and the script step record.
target_sources(kiro_online PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModemCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModemScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortRegistry.cpp
)
