# bench-db: the karaoke screen's queries on a 100,000-product catalogue,
# against the same query stepped raw through the engine.
if(TARGET kiro_db)
  add_executable(bench-db ${CMAKE_CURRENT_LIST_DIR}/DbBench.cpp)
  target_link_libraries(bench-db PRIVATE kiro_db)
endif()
