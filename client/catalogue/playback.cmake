# Downloaded songs: their files on the disk, the downloaded-songs list with
# deleting, and playing the reservation list through the karaoke player.
target_sources(kiro_catalogue PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ProductFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlayerCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReservationPlayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadedList.cpp
)
target_link_libraries(kiro_catalogue PUBLIC kiro_db)

kiro_add_gtest(playback_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/PlaybackTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/DownloadedListTest.cpp
    ${CMAKE_SOURCE_DIR}/player/tests/KrdWriter.cpp
  LIBS kiro_catalogue kiro_app
  ENV SONGBOX1_NO_WAIT=1
  TIMEOUT 120)
if(TARGET playback_tests)
  add_dependencies(playback_tests songbox songbox1)
endif()
