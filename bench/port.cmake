# bench-port: bytes through CommPort and the TELNET virtual modem against a
# plain loopback socket measured in the same run.
add_executable(bench-port ${CMAKE_CURRENT_LIST_DIR}/port/PortBench.cpp)
target_link_libraries(bench-port PRIVATE kiro_online)
