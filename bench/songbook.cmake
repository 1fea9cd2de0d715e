# bench-songbook: the karaoke screen's first rows and the type-ahead search
# on a sample catalogue, against the same query stepped raw through the engine.
if(TARGET kiro_catalogue)
  add_executable(bench-songbook ${CMAKE_CURRENT_LIST_DIR}/SongBookBench.cpp)
  target_link_libraries(bench-songbook PRIVATE kiro_catalogue)
endif()
