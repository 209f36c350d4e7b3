# The scripted sessions as tests of another edition's program in pipe mode
# against the native program (tests/same_play.sh): one test a session, named
# PREFIX.program.SESSION, except the gnome fights' sessions, whose dice follow
# the clock. The tests' names are added to the list named by OUT.
function(add_same_play_tests prefix edition runner program native line_ends out)
  file(GLOB scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scripts/*.play)
  set(names ${${out}})
  foreach(script ${scripts})
    get_filename_component(script_name ${script} NAME_WE)
    file(STRINGS ${script} clock_lines REGEX "^clock ")
    if(clock_lines)
      continue()
    endif()
    set(script_dir ${CMAKE_CURRENT_BINARY_DIR}/work/program/${script_name})
    file(MAKE_DIRECTORY ${script_dir})
    add_test(NAME ${prefix}.program.${script_name}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/same_play.sh ${edition} "${runner}" ${program}
                     ${native} ${script} ${line_ends}
             WORKING_DIRECTORY ${script_dir})
    list(APPEND names ${prefix}.program.${script_name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
