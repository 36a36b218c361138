# The browser build, configured with emcmake (make web): the same core and
# SDL layers in WebAssembly, linked against SDL2 and SDL2_mixer built for
# the browser into SW_WEB_SYSROOT (scripts/web_deps.sh). The site folder
# gets the page and its loader, the game's code and first data gzipped
# (game.js.gz, game.wasm.gz, game.data.gz: the pictures and the effects
# made from the desktop build's game folder SW_WEB_ASSETS), the tunes as
# Ogg Vorbis in sound/, the app manifest with its icons and the service
# worker.
set(SW_WEB_SYSROOT "" CACHE PATH "SDL2 and SDL2_mixer built for the browser")
set(SW_WEB_ASSETS "" CACHE PATH "a built game folder holding pic/ and sound/")
set(SW_WEB_SITE ${CMAKE_BINARY_DIR}/site CACHE PATH "where the site is written")
if(NOT EXISTS ${SW_WEB_SYSROOT}/lib/libSDL2.a OR NOT EXISTS ${SW_WEB_ASSETS}/pic/etc.bmp)
  message(FATAL_ERROR "the browser build needs SW_WEB_SYSROOT and SW_WEB_ASSETS (make web)")
endif()
include(${PROJECT_SOURCE_DIR}/assets/ogg.cmake)
find_program(SW_RSVG rsvg-convert REQUIRED)
find_program(SW_ZOPFLI zopfli REQUIRED)

# The game catches its run-time errors: exceptions stay on, as the
# browser's own WebAssembly exceptions (smaller code than emulating them
# in JavaScript). The code is made small rather than fast: it is
# downloaded before the first frame.
target_compile_options(sevenwell_core PRIVATE -fwasm-exceptions -Oz)

add_library(sevenwell_web_sdl STATIC
  src/present/graphics_sdl.cpp
  src/present/scaler.cpp
  src/present/sound_sdl.cpp
  src/platform/events.cpp
  src/platform/sdl_platform.cpp
  src/platform/web_platform.cpp)
target_compile_options(sevenwell_web_sdl PRIVATE -fwasm-exceptions -Oz)
target_include_directories(sevenwell_web_sdl PUBLIC ${SW_WEB_SYSROOT}/include/SDL2)
target_link_libraries(sevenwell_web_sdl PUBLIC sevenwell_core
  ${SW_WEB_SYSROOT}/lib/libSDL2_mixer.a ${SW_WEB_SYSROOT}/lib/libSDL2.a)

# The first download holds the pictures, cut to the colours the 16-bit
# screen shows, and the effects as Ogg Vorbis (the mixer tells them by
# their content, under their .wav names); the tunes follow on their own
# after the first frame (web/loader.js).
set(SW_WEB_FIRST ${CMAKE_BINARY_DIR}/first)
file(GLOB SW_WEB_PICS ${SW_WEB_ASSETS}/pic/*.bmp)
file(GLOB SW_WEB_EFFECTS ${SW_WEB_ASSETS}/sound/*.wav)
list(FILTER SW_WEB_EFFECTS EXCLUDE REGEX "/bgm[0-9]+\\.wav$")
add_custom_command(OUTPUT ${SW_WEB_FIRST}/pic/etc.bmp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SW_WEB_FIRST}/pic
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/web/pictures.py ${SW_WEB_ASSETS}/pic ${SW_WEB_FIRST}/pic
  DEPENDS ${SW_WEB_PICS} web/pictures.py VERBATIM)
set(SW_WEB_DATA ${SW_WEB_FIRST}/pic/etc.bmp)
foreach(wav ${SW_WEB_EFFECTS})
  get_filename_component(name ${wav} NAME)
  sw_ogg(${wav} ${SW_WEB_FIRST}/sound/${name})
  list(APPEND SW_WEB_DATA ${SW_WEB_FIRST}/sound/${name})
endforeach()
add_custom_target(sevenwell_web_data DEPENDS ${SW_WEB_DATA})
set(SW_WEB_PRE ${CMAKE_CURRENT_SOURCE_DIR}/web/pre.js)
set(SW_WEB_STAGE ${CMAKE_BINARY_DIR}/stage)
add_executable(sevenwell_web src/web_main.cpp)
add_dependencies(sevenwell_web sevenwell_web_data)
target_compile_options(sevenwell_web PRIVATE -fwasm-exceptions -Oz)
target_link_libraries(sevenwell_web PRIVATE sevenwell_web_sdl)
target_link_options(sevenwell_web PRIVATE -fwasm-exceptions -Oz -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web -lidbfs.js
  "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/web/library.js"
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=sw_audio_helpers "SHELL:--pre-js ${SW_WEB_PRE}"
  "SHELL:--preload-file ${SW_WEB_FIRST}/pic@/sevenwell/pic"
  "SHELL:--preload-file ${SW_WEB_FIRST}/sound@/sevenwell/sound")
set_target_properties(sevenwell_web PROPERTIES OUTPUT_NAME game SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${SW_WEB_STAGE} LINK_DEPENDS "${SW_WEB_PRE};${CMAKE_CURRENT_SOURCE_DIR}/web/library.js;${SW_WEB_DATA}")

# The tunes as Ogg Vorbis from the same synthesized waves.
set(SW_WEB_OUT)
foreach(n 01 02 03)
  set(ogg ${SW_WEB_SITE}/sound/bgm${n}.ogg)
  sw_ogg(${SW_WEB_ASSETS}/sound/bgm${n}.wav ${ogg})
  list(APPEND SW_WEB_OUT ${ogg})
endforeach()
# The app's icons from the desktop icon.
foreach(px 192 512)
  set(png ${SW_WEB_SITE}/icon-${px}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${SW_RSVG} -w ${px} -h ${px} -o ${png} ${PROJECT_SOURCE_DIR}/assets/desktop/sevenwell.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/desktop/sevenwell.svg VERBATIM)
  list(APPEND SW_WEB_OUT ${png})
endforeach()

# The page's files, the gzipped code and data, and last the service
# worker, named after everything else.
set(SW_WEB_PAGE index.html loader.js manifest.webmanifest touch.js touch.css onetab.js)
list(TRANSFORM SW_WEB_PAGE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/web/)
add_custom_command(OUTPUT ${SW_WEB_SITE}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${SW_WEB_STAGE} -DSITE=${SW_WEB_SITE} "-DPAGE=${SW_WEB_PAGE}" -DZOPFLI=${SW_ZOPFLI}
    -DSW_IN=${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js -P ${CMAKE_CURRENT_SOURCE_DIR}/web/site.cmake
  DEPENDS sevenwell_web ${SW_WEB_PAGE} ${SW_WEB_OUT} web/sw.js web/site.cmake VERBATIM)
add_custom_target(sevenwell_site ALL DEPENDS ${SW_WEB_SITE}/sw.js)
