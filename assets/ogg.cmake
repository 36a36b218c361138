# A synthesized wave as Ogg Vorbis, written under the name asked for: the
# mixer knows a file by its content, so the game still asks for its .wav
# names. Used by the browser's site (web/web.cmake) and the Debian
# package's tunes (assets/CMakeLists.txt); quality 4 keeps them clean.
find_program(SW_OGGENC oggenc REQUIRED)
function(sw_ogg wav ogg)
  get_filename_component(dir ${ogg} DIRECTORY)
  add_custom_command(OUTPUT ${ogg}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${SW_OGGENC} -Q -q 4 -o ${ogg} ${wav}
    DEPENDS ${wav} VERBATIM)
endfunction()
