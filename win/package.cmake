# The player's folder SW_WIN_PACKAGE and its zip beside it (win/pack.cmake
# lays it out). The game has no console window (the GUI subsystem); what
# it says on stderr still reaches a file or pipe it is started with. The
# tunes go as Ogg Vorbis under their .wav names, as the browser has them:
# a tenth of the size.
set_target_properties(sevenwell PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(sevenwell PRIVATE -s)

# The program's icon in Explorer: the game's icon at the sizes Windows
# shows, in a resource of the .exe.
find_program(SW_RSVG rsvg-convert REQUIRED)
find_program(SW_CONVERT NAMES convert magick REQUIRED)
set(svg ${PROJECT_SOURCE_DIR}/assets/desktop/sevenwell.svg)
set(ico ${CMAKE_BINARY_DIR}/sevenwell.ico)
add_custom_command(OUTPUT ${ico}
  COMMAND ${SW_RSVG} -w 256 -h 256 ${svg} -o ${CMAKE_BINARY_DIR}/icon256.png
  COMMAND ${SW_CONVERT} ${CMAKE_BINARY_DIR}/icon256.png -define icon:auto-resize=256,48,32,16 ${ico}
  DEPENDS ${svg} VERBATIM)
file(WRITE ${CMAKE_BINARY_DIR}/sevenwell.rc "1 ICON \"${ico}\"\n")
enable_language(RC)
target_sources(sevenwell PRIVATE ${CMAKE_BINARY_DIR}/sevenwell.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/sevenwell.rc PROPERTIES OBJECT_DEPENDS ${ico})
find_program(SW_ZIP zip REQUIRED)
include(assets/ogg.cmake)
file(GLOB tunes ${SW_WIN_ASSETS}/sound/bgm*.wav)
set(oggs)
foreach(wav ${tunes})
  get_filename_component(name ${wav} NAME)
  sw_ogg(${wav} ${CMAKE_BINARY_DIR}/tunes/${name})
  list(APPEND oggs ${CMAKE_BINARY_DIR}/tunes/${name})
endforeach()
file(GLOB assets ${SW_WIN_ASSETS}/pic/*.bmp ${SW_WIN_ASSETS}/sound/*.wav)
set(texts win/README.txt LICENSE assets/LICENSE)
add_custom_command(OUTPUT ${SW_WIN_PACKAGE}.zip
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:sevenwell> -DASSETS=${SW_WIN_ASSETS}
    -DTUNES=${CMAKE_BINARY_DIR}/tunes -DOUT=${SW_WIN_PACKAGE} -DSRC=${PROJECT_SOURCE_DIR} -DZIP=${SW_ZIP}
    -P ${PROJECT_SOURCE_DIR}/win/pack.cmake
  DEPENDS sevenwell ${oggs} ${assets} ${texts} win/pack.cmake
  COMMENT "The player's folder ${SW_WIN_PACKAGE} and its zip" VERBATIM)
add_custom_target(windows_package ALL DEPENDS ${SW_WIN_PACKAGE}.zip)
