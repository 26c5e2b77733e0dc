# Runs the frame pipeline benchmark briefly, paced without load but with the CPUs' witnesses
# and unpaced with load into a window, and checks that each run says where it wrote its
# histogram, that the file is a PNG, that the witnessed run counts its stalled passes, and
# that the other says where it drew.
file(REMOVE_RECURSE ${OUT})
foreach(run "exp;--frames;120;--witness;--out;${OUT}|frame_times_exp.png|with its CPU stalled"
            "exp;--frames;120;--unpaced;--load;--window;1366x768;--out;${OUT}|frame_times_exp_load.png|into a 1366 x 768 window")
  string(REPLACE "|" ";" run "${run}")
  list(POP_BACK run phrase)
  list(POP_BACK run png)
  list(JOIN run " " shown)
  execute_process(COMMAND ${PROGRAM} ${DATA} ${run} RESULT_VARIABLE result OUTPUT_VARIABLE printed)
  message("${printed}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "velmora_frame_pipeline ${shown} failed: ${result}")
  endif()
  string(FIND "${printed}" "${phrase}" told)
  if(told EQUAL -1)
    message(FATAL_ERROR "velmora_frame_pipeline ${shown} does not say \"${phrase}\"")
  endif()
  string(FIND "${printed}" "histogram ${OUT}/${png}" said)
  if(said EQUAL -1)
    message(FATAL_ERROR "the table does not name ${OUT}/${png}")
  endif()
  file(READ ${OUT}/${png} signature LIMIT 8 HEX)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${OUT}/${png} is not a PNG")
  endif()
endforeach()
