# Builds the model-file fuzz target with clang in a build folder of its own,
# then runs it for SECONDS seconds on a fresh corpus seeded with the fixtures.
# Any finding (crash, sanitizer report, violated property, slow input) fails.
set(build "${WORK_DIR}/build")
set(corpus "${WORK_DIR}/corpus")
file(REMOVE_RECURSE "${corpus}")
file(MAKE_DIRECTORY "${corpus}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S "${FUZZ_DIR}" -B "${build}" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYR_SOURCE_DIR=${SOURCE_DIR})
run(${CMAKE_COMMAND} --build "${build}")
run("${build}/modelfile_fuzz" -max_total_time=${SECONDS} -timeout=30 -rss_limit_mb=2048
    -dict=${FUZZ_DIR}/modelfile.dict -artifact_prefix=${WORK_DIR}/ -print_final_stats=1
    "${corpus}" "${SEED_DIR}")
