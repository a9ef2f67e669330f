# Installs the build tree into a fresh prefix, then configures, builds and
# runs an outside project against it, and runs the installed vyr program; all
# without LD_LIBRARY_PATH, so the installed run paths must do the work.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")
set(expected include/vyr/VYRglobal.h include/vyr/GasTypes.h lib/libvyrcomp.so
    lib/cmake/vyrcomp/vyrcompConfig.cmake bin/vyr)
if(WITH_UI)
  set(demos vyr-handles vyr-canvas vyr-flight)
  list(APPEND expected lib/libvyrcompui.so include/vyr/ClassRegistry.h include/vyr/NumInputQuery.h
       lib/vyrcomp/libvyrrun.so lib/vyrcomp/complib/libvyrgaspath.so share/vyrcomp/examples/turbojet.xml)
  foreach(d IN LISTS demos)
    list(APPEND expected bin/${d})
  endforeach()
endif()
if(WITH_PYTHON)
  list(APPEND expected ${PYTHON_DIR}/vyrcomp/__init__.py)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${prefix}/${f}")
    message(FATAL_ERROR "missing in the installed tree: ${f}")
  endif()
endforeach()
run(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${WORK_DIR}/build" -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/consumer")
if(WITH_UI)
  run("${WORK_DIR}/build/consumer_ui")
endif()
run("${prefix}/bin/vyr" gas -T 300)
if(WITH_PYTHON)
  # The installed Python module imports from the prefix and finds the core library by its run path.
  run(${CMAKE_COMMAND} -E env "PYTHONPATH=${prefix}/${PYTHON_DIR}" "${PYTHON}" -c
      "import sys, vyrcomp\nassert vyrcomp.__file__.startswith(sys.argv[1]), vyrcomp.__file__\nprint('vyrcomp.gas.Cp(300.0) =', vyrcomp.gas.Cp(300.0))"
      "${prefix}")
endif()
if(WITH_UI)
  # The run module and the component library are found next to the installed program.
  run("${prefix}/bin/vyr" run "${prefix}/share/vyrcomp/examples/turbofan.xml" --table performance)
endif()
if(WITH_UI)
  # The installed demo programs start and draw their window (offscreen).
  foreach(d IN LISTS demos)
    run("${prefix}/bin/${d}" --screenshot "${WORK_DIR}/${d}.png")
    if(NOT EXISTS "${WORK_DIR}/${d}.png")
      message(FATAL_ERROR "${d} wrote no screenshot")
    endif()
  endforeach()
endif()
