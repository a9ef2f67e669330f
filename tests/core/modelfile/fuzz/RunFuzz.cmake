# Builds the model-file fuzz target with clang in a build folder of its own,
# then runs it so that it repeats exactly: first every input of the stored
# corpus and the fixtures once, then inputs mutated from them with a fixed
# seed, up to RUNS inputs in all, starting each time from an empty work corpus.
# Any finding (crash, sanitizer report, violated property, slow input) fails;
# the input is written to WORK_DIR, to be added to the stored corpus once mended.
set(build "${WORK_DIR}/build")
set(work "${WORK_DIR}/corpus")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S "${FUZZ_DIR}" -B "${build}" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYR_SOURCE_DIR=${SOURCE_DIR})
run(${CMAKE_COMMAND} --build "${build}")
run("${build}/modelfile_fuzz" -timeout=30 -rss_limit_mb=2048 -artifact_prefix=${WORK_DIR}/ -print_final_stats=1
    -seed=${SEED} -runs=${RUNS} -dict=${FUZZ_DIR}/modelfile.dict "${work}" "${FUZZ_DIR}/corpus" "${SEED_DIR}")
