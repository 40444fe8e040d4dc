# vx_folder_library(<name> [LINKS <windows libraries>...])
# Makes the two libraries of a source folder: vx_<name>_pure from the files ending in _pure.cpp
# (no Windows calls; also built natively) and, in Windows builds, vx_<name> from all other .cpp
# files. New files are picked up without editing the folder's CMakeLists.
function(vx_folder_library name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB pure CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_pure.cpp)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM all ${pure} "")

  if(pure)
    add_library(vx_${name}_pure STATIC ${pure})
  else()
    add_library(vx_${name}_pure INTERFACE)
  endif()
  target_link_libraries(vx_${name}_pure INTERFACE vx_core_pure vx_rules_pure vx_winaccess_pure vx_text)

  if(NOT VARNEX_NATIVE)
    if(all)
      add_library(vx_${name} STATIC ${all})
    else()
      add_library(vx_${name} INTERFACE)
    endif()
    target_link_libraries(vx_${name} INTERFACE vx_${name}_pure ${ARG_LINKS} vx_core vx_rules vx_winaccess
                          ole32 oleaut32 uuid advapi32 shell32 shlwapi)
  endif()
endfunction()
