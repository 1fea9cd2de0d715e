# The song book: catalogue browsing with the type-ahead search and the
# on-screen keyboard, reservations and the reservation list.
target_sources(kiro_catalogue PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchMemo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchKeyboardLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReadingPositionLookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KaraokeBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueRowStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReserveOffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetContents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SongFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReservationBook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReservationList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GroupList.cpp
)

kiro_add_gtest(songbook_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/CatalogueTablesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/KaraokeBrowserTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/ReservationTest.cpp
  LIBS kiro_catalogue)
