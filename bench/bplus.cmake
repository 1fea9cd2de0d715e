# bench-bplus: B Plus throughput and line efficiency between the client's
# engine and the host's role over the in-memory line, against the same line
# carrying the raw bytes; and the heaviest noise a 1 MiB transfer survives.
add_executable(bench-bplus ${CMAKE_CURRENT_LIST_DIR}/bplus/BPlusBench.cpp)
# The loopback Telnet part uses the stand-in's socket line.
target_link_libraries(bench-bplus PRIVATE kiro_online kiro_hostsim)
