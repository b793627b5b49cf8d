# cmake -DKORVO=<korvo> -DLIBRARY=<data.dll> -DOUT=<folder> -P Screenshots.cmake
# The screenshots the game's metainfo shows, taken by the game itself: drawn
# headless with OpenGL in a private folder, then kept as OUT/title.png,
# OUT/boss.png (a boss enters) and OUT/barrage.png (its fire, the autopilot
# flying).
set(home ${OUT}/home)
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home})
file(CREATE_LINK ${LIBRARY} ${home}/data.dll SYMBOLIC)
file(WRITE ${home}/critical.ini "scorename,screenshots\n")

function(take)
  execute_process(COMMAND ${KORVO} --headless --unpaced --home ${home} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "korvo ${ARGN} ended with ${rc}:\n${out}")
  endif()
endfunction()

take(--frames 201 --snapshot-at 200)
file(COPY_FILE ${home}/snapshot/frame000200.png ${OUT}/title.png)
take(--autopilot --stage 0:3 --frames 691 --snapshot-at 400,690)
file(COPY_FILE ${home}/snapshot/frame000400.png ${OUT}/boss.png)
file(COPY_FILE ${home}/snapshot/frame000690.png ${OUT}/barrage.png)
file(REMOVE_RECURSE ${home})
