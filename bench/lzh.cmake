# bench-lzh: -lh5- decoding of a 32 MiB mixed input, our extractor against
# `lhasa x` on the same archive (made with jlha when the benchmark runs).
add_executable(bench-lzh ${CMAKE_CURRENT_LIST_DIR}/LzhBench.cpp)
target_link_libraries(bench-lzh PRIVATE kiro_archive)
