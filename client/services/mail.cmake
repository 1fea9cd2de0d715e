# Mail: file names, the mail service's upload scripts and the
# user-information mail.
target_sources(kiro_services PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MailFileName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailScripts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserInfoMail.cpp
)

kiro_add_gtest(mail_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/MailTest.cpp
  LIBS kiro_services)
