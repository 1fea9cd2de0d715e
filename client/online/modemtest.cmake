# The modem test as the setup dialog and kiro-link run it.
target_sources(kiro_online PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModemTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModemTest.h
)
