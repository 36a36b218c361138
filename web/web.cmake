# The browser build, configured with emcmake (make web): the same core and
# SDL layers in WebAssembly, linked against SDL2 and SDL2_mixer built for
# the browser into SW_WEB_SYSROOT (scripts/web_deps.sh). The site folder
# gets the page, game.js, game.wasm and game.data (pic/ and sound/ of the
# desktop build's game folder SW_WEB_ASSETS).
set(SW_WEB_SYSROOT "" CACHE PATH "SDL2 and SDL2_mixer built for the browser")
set(SW_WEB_ASSETS "" CACHE PATH "a built game folder holding pic/ and sound/")
set(SW_WEB_SITE ${CMAKE_BINARY_DIR}/site CACHE PATH "where the site is written")
if(NOT EXISTS ${SW_WEB_SYSROOT}/lib/libSDL2.a OR NOT EXISTS ${SW_WEB_ASSETS}/pic/etc.bmp)
  message(FATAL_ERROR "the browser build needs SW_WEB_SYSROOT and SW_WEB_ASSETS (make web)")
endif()

# The game catches its run-time errors: exceptions stay on.
target_compile_options(sevenwell_core PRIVATE -fexceptions)

add_library(sevenwell_web_sdl STATIC
  src/present/graphics_sdl.cpp
  src/present/scaler.cpp
  src/present/sound_sdl.cpp
  src/platform/events.cpp
  src/platform/sdl_platform.cpp
  src/platform/web_platform.cpp)
target_compile_options(sevenwell_web_sdl PRIVATE -fexceptions)
target_include_directories(sevenwell_web_sdl PUBLIC ${SW_WEB_SYSROOT}/include/SDL2)
target_link_libraries(sevenwell_web_sdl PUBLIC sevenwell_core
  ${SW_WEB_SYSROOT}/lib/libSDL2_mixer.a ${SW_WEB_SYSROOT}/lib/libSDL2.a)

file(GLOB SW_WEB_DATA ${SW_WEB_ASSETS}/pic/*.bmp ${SW_WEB_ASSETS}/sound/*.wav)
set(SW_WEB_PRE ${CMAKE_CURRENT_SOURCE_DIR}/web/pre.js)
add_executable(sevenwell_web src/web_main.cpp)
target_compile_options(sevenwell_web PRIVATE -fexceptions)
target_link_libraries(sevenwell_web PRIVATE sevenwell_web_sdl)
target_link_options(sevenwell_web PRIVATE -fexceptions -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web -lidbfs.js
  "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/web/library.js"
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=sw_audio_helpers "SHELL:--pre-js ${SW_WEB_PRE}"
  "SHELL:--preload-file ${SW_WEB_ASSETS}/pic@/sevenwell/pic"
  "SHELL:--preload-file ${SW_WEB_ASSETS}/sound@/sevenwell/sound")
set_target_properties(sevenwell_web PROPERTIES OUTPUT_NAME game SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${SW_WEB_SITE} LINK_DEPENDS "${SW_WEB_PRE};${CMAKE_CURRENT_SOURCE_DIR}/web/library.js;${SW_WEB_DATA}")
configure_file(web/index.html ${SW_WEB_SITE}/index.html COPYONLY)
foreach(page touch.js touch.css onetab.js)
  configure_file(web/${page} ${SW_WEB_SITE}/${page} COPYONLY)
endforeach()
