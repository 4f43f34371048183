# orvendal_demo(TARGET program): a target that runs `program` on its bundled application. The
# application folder (app/ beside the program's sources) is copied afresh to demo/app in the
# program's build folder on every run; the demo data (demo/) is copied to demo/data once and then
# kept, so that nothing the demo does reaches the repository. Removing demo/ starts over.
function(orvendal_demo target program)
  set(source ${CMAKE_CURRENT_SOURCE_DIR})
  set(demo ${CMAKE_CURRENT_BINARY_DIR}/demo)
  add_custom_target(${target}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${demo}/app
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${source}/app ${demo}/app
    COMMAND ${CMAKE_COMMAND} -D FROM=${source}/demo -D TO=${demo}/data
            -P ${PROJECT_SOURCE_DIR}/cmake/copy_once.cmake
    COMMAND ${CMAKE_COMMAND} -E chdir ${demo}/data $<TARGET_FILE:${program}> "/DPATH:'${demo}/app'"
    DEPENDS ${program}
    USES_TERMINAL
    VERBATIM)
endfunction()
