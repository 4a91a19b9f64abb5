# One run of cpu_matrix into a folder made empty first, so that no file of an older case list stays:
#   cmake -DOUT=DIR -DOUT_ARG=ARG -P run.cmake -- RUNNER... PROGRAM
# ARG is DIR as the program sees it; RUNNER is the tree's emulator, if any.
set(command)
set(after_dashes FALSE)
foreach(i RANGE ${CMAKE_ARGC})
  if(after_dashes)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif("${CMAKE_ARGV${i}}" STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")   # and its parents, which a fresh tree lacks
execute_process(COMMAND ${command} "${OUT_ARG}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpu_matrix failed (${rc})")
endif()
