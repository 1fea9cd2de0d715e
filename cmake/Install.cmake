# What `cmake --install` puts under the prefix:
#   bin/                     the client, the player and every command-line tool
#   lib/, include/           the MIDI loader and engine libraries and their C headers
#   share/kiro/template/     a user's install folder as it starts (read-only)
#   share/applications/      kiro.desktop
#   share/icons/hicolor/     the program's icon
#   share/man/man1/          manual pages of the command-line tools
include(GNUInstallDirs)

set(KIRO_TEMPLATE_DIR ${CMAKE_BINARY_DIR}/template)
set(KIRO_TEMPLATE_STAMP ${KIRO_TEMPLATE_DIR}/sysfile/KIRODB.MDB)
if(TARGET kiro-db AND TARGET kiro_assets)
  set(template_programs kiro-db)
  foreach(program songbox songbox1 orvelmpl orvelmp kiro-demo-content)
    if(TARGET ${program})
      list(APPEND template_programs ${program})
    endif()
  endforeach()
  add_custom_command(
    OUTPUT ${KIRO_TEMPLATE_STAMP}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${CMAKE_COMMAND} -DBIN=${CMAKE_BINARY_DIR}/bin -DLIB=${CMAKE_BINARY_DIR}/lib -DASSETS=${KIRO_ASSETS_DIR}
            -DOUT=${KIRO_TEMPLATE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/MakeTemplate.cmake
    DEPENDS ${template_programs} kiro_assets ${CMAKE_SOURCE_DIR}/cmake/MakeTemplate.cmake
    COMMENT "Making the template of a user's install folder"
    VERBATIM)
  add_custom_target(kiro_template ALL DEPENDS ${KIRO_TEMPLATE_STAMP})
endif()

set(installed_programs)
foreach(program kiro songbox songbox1 check drvclean kiro-link kiro-hostsim kiro-db kiro-lzh kiro-krd kiro-settings)
  if(TARGET ${program})
    list(APPEND installed_programs ${program})
  endif()
endforeach()
install(TARGETS ${installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The MIDI libraries and their headers are installed by their own folders.

# The template's player and engine are copies of the build tree's programs,
# with the MIDI libraries beside them in karaoke/: they look there first.
foreach(program songbox songbox1)
  if(TARGET ${program})
    set_property(TARGET ${program} APPEND PROPERTY BUILD_RPATH "$ORIGIN")
    set_property(TARGET ${program} APPEND PROPERTY INSTALL_RPATH "$ORIGIN")
  endif()
endforeach()

# The template is read-only once installed: the client copies it into the
# user's own folder and never writes here.
if(TARGET kiro_template)
  install(DIRECTORY ${KIRO_TEMPLATE_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kiro/template
    FILE_PERMISSIONS OWNER_READ GROUP_READ WORLD_READ
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
    PATTERN "songbox" PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
    PATTERN "songbox1" PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/kiro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/kiro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(GLOB KIRO_MAN_PAGES ${CMAKE_SOURCE_DIR}/docs/man/*.1)
install(FILES ${KIRO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
