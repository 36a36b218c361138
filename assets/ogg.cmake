# Sounds as Ogg Vorbis, for the builds that carry them compressed (the
# browser's and Windows'). The mixer tells the format by the content, so
# an encoded sound may keep its .wav name.
find_program(SW_OGGENC oggenc REQUIRED)
# sw_ogg(WAV OUT): a build step encoding WAV into OUT.
function(sw_ogg wav out)
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${SW_OGGENC} -Q -q 4 -o ${out} ${wav}
    DEPENDS ${wav} VERBATIM)
endfunction()
