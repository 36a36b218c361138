# Writes the site: the page's files, the game's code and first data
# gzipped (a plain static server sends them as they are; zopfli's gzip
# streams are 6 % smaller than gzip -9's), and the service
# worker with the list of what it keeps and a cache name that changes with
# every build that changes a file.
#   cmake -DSTAGE=... -DSITE=... -DPAGE=files -DZOPFLI=... -DSW_IN=web/sw.js -P web/site.cmake
file(COPY ${PAGE} DESTINATION ${SITE})
file(REMOVE ${SITE}/game.js ${SITE}/game.wasm ${SITE}/game.data)
# Each packed file is kept in STAGE with the sum of what it packs, and made
# again only when that changes (the data takes zopfli 20 s).
foreach(f game.js game.wasm game.data)
  file(SHA256 ${STAGE}/${f} sum)
  string(APPEND sum " zopfli --i1")
  set(was "")
  if(EXISTS ${STAGE}/${f}.gz.sum)
    file(READ ${STAGE}/${f}.gz.sum was)
  endif()
  if(NOT was STREQUAL sum OR NOT EXISTS ${STAGE}/${f}.gz)
    # An interrupted pack leaves no sum, so it is made again next time.
    file(REMOVE ${STAGE}/${f}.gz.sum)
    execute_process(COMMAND ${ZOPFLI} --i1 -c ${STAGE}/${f} OUTPUT_FILE ${STAGE}/${f}.gz.part
      RESULT_VARIABLE rc)
    if(rc)
      message(FATAL_ERROR "cannot pack ${STAGE}/${f}")
    endif()
    file(RENAME ${STAGE}/${f}.gz.part ${STAGE}/${f}.gz)
    file(WRITE ${STAGE}/${f}.gz.sum ${sum})
  endif()
  file(COPY ${STAGE}/${f}.gz DESTINATION ${SITE})
endforeach()
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(sums "")
set(SW_FILES "")
set(SW_TUNES "")
foreach(f ${files})
  file(SHA256 ${SITE}/${f} sum)
  string(APPEND sums "${f} ${sum}\n")
  # The tunes are kept when first asked for, not before.
  if(f MATCHES "^sound/")
    string(SUBSTRING ${sum} 0 12 short)
    string(APPEND SW_TUNES "'${f}': '${short}', ")
  else()
    string(APPEND SW_FILES "'${f}', ")
  endif()
endforeach()
string(SHA256 build "${sums}")
string(SUBSTRING ${build} 0 12 SW_BUILD)
configure_file(${SW_IN} ${SITE}/sw.js @ONLY)
