# The training run of the profile-guided build: the instrumented engine
# searches the bench positions, alone and then with a helper thread (whose
# code is a copy of its own), then alone with the learned evaluation (which
# without a profile of its own ran at half its speed). Old counts are removed first, since a profile
# must come from one binary only.
# Called as: cmake -DENGINE=<engine> -DPROFILE_DIR=<dir> -P pgo_training.cmake
file(GLOB old_counts "${PROFILE_DIR}/*.gcda")
if(old_counts)
  file(REMOVE ${old_counts})
endif()
file(MAKE_DIRECTORY "${PROFILE_DIR}")
file(WRITE "${PROFILE_DIR}/training.txt" "bench\nsetoption name Threads value 2\nbench\nsetoption name Threads value 1\n"
     "setoption name UseLearnedEval value true\nbench\nquit\n")
execute_process(COMMAND "${ENGINE}"
                INPUT_FILE "${PROFILE_DIR}/training.txt"
                OUTPUT_FILE "${PROFILE_DIR}/training.log"
                WORKING_DIRECTORY "${PROFILE_DIR}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "training run failed (${result}); see ${PROFILE_DIR}/training.log")
endif()
file(TOUCH "${PROFILE_DIR}/training.stamp")
