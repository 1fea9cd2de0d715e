# Builds the template of a user's install folder from the build tree:
#   cmake -DBIN=<bin dir> -DASSETS=<assets dir> -DOUT=<template dir> -P MakeTemplate.cmake
# The template is what a new user's folder starts from: the generated
# pictures and help texts, the sample catalogue, the player with its engine
# and the background songs, and the empty mail and CD folders.
foreach(var BIN ASSETS OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakeTemplate.cmake needs -D${var}=...")
  endif()
endforeach()

set(staging "${OUT}.new")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}/sysfile" "${staging}/InfoText" "${staging}/karaoke/Pict"
  "${staging}/karaoke/User" "${staging}/MAIL" "${staging}/CDEx")

file(GLOB bitmaps "${ASSETS}/sysfile/*.bmp")
file(GLOB texts "${ASSETS}/InfoText/*")
file(GLOB songs "${ASSETS}/karaoke/*.mid" "${ASSETS}/karaoke/*.MID" "${ASSETS}/karaoke/*.KRD")
file(COPY ${bitmaps} DESTINATION "${staging}/sysfile")
file(COPY ${texts} DESTINATION "${staging}/InfoText")
# The player is always started with the user's own pictures (-quser): a song
# that asks for a picture fails to play while karaoke/User holds no bitmap.
if(EXISTS "${ASSETS}/sysfile/Lite001.bmp")
  configure_file("${ASSETS}/sysfile/Lite001.bmp" "${staging}/karaoke/User/KIROPICT.BMP" COPYONLY)
endif()
if(songs)
  file(COPY ${songs} DESTINATION "${staging}/karaoke")
endif()
foreach(program songbox songbox1)
  if(EXISTS "${BIN}/${program}")
    file(COPY "${BIN}/${program}" DESTINATION "${staging}/karaoke" USE_SOURCE_PERMISSIONS)
  endif()
endforeach()
# The engine plays through the MIDI libraries; beside it they are found first.
if(DEFINED LIB)
  file(GLOB midi_libraries "${LIB}/liborvelmp*.so")
  if(midi_libraries)
    file(COPY ${midi_libraries} DESTINATION "${staging}/karaoke")
  endif()
endif()

execute_process(
  COMMAND "${BIN}/kiro-db" sample "${staging}/sysfile/KIRODB.MDB"
  RESULT_VARIABLE result
  OUTPUT_QUIET
  ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kiro-db sample failed: ${error}")
endif()
# The songs the sample marks as already downloaded, so that they play.
if(EXISTS "${BIN}/kiro-demo-content")
  execute_process(
    COMMAND "${BIN}/kiro-demo-content" "${staging}/sysfile/KIRODB.MDB" "${staging}" --no-archives
            --songs "${staging}/karaoke"
    RESULT_VARIABLE result
    OUTPUT_QUIET
    ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "kiro-demo-content failed: ${error}")
  endif()
endif()

file(REMOVE_RECURSE "${OUT}")
file(RENAME "${staging}" "${OUT}")
