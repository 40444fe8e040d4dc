include_guard(GLOBAL)
# Puts the rule files and their README in a "data" folder beside the varnex program, as a user
# unpacks them. Included from varnex/ui once the program target exists.
if(TARGET varnex)
  get_target_property(vx_program_dir varnex RUNTIME_OUTPUT_DIRECTORY)
  set(vx_shipped "")
  foreach(name sign.txt folder.txt appdatainfo.txt whitepath.txt scanpath.txt excludepath.txt README.txt)
    add_custom_command(OUTPUT ${vx_program_dir}/data/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_LIST_DIR}/${name} ${vx_program_dir}/data/${name}
      DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${name}
      VERBATIM)
    list(APPEND vx_shipped ${vx_program_dir}/data/${name})
  endforeach()
  add_custom_target(vx_shipped_data ALL DEPENDS ${vx_shipped})
  add_dependencies(varnex vx_shipped_data)
endif()
