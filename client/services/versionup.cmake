# Version-up: the forum's update list, the downloads of update archives and
# the version-up list's rows.
target_sources(kiro_services PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UpdateMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ForumScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionUp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionUpList.cpp
)

kiro_add_gtest(versionup_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/UpdateMessageTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/VersionUpListTest.cpp
  LIBS kiro_services)
