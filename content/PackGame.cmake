cmake_minimum_required(VERSION 3.25)
# Lays out the packed variant of the runnable folder (run with cmake -P):
#   GAME_DIR    the runnable folder (loose files)
#   PACKED_DIR  the folder to make
#   PACKWRITER  the pack writer: packwriter <folder> <out.pck>
#   FOLDERS     folders (relative to GAME_DIR) whose files go into <folder>.pck
#   STAGE_DIR   scratch space
# Every file of GAME_DIR is copied except the files directly inside a packed folder;
# a pack holds only the files directly inside its folder (member names carry no folder).

file(REMOVE_RECURSE ${PACKED_DIR})
file(MAKE_DIRECTORY ${PACKED_DIR})

file(GLOB_RECURSE _files LIST_DIRECTORIES false RELATIVE ${GAME_DIR} ${GAME_DIR}/*)
foreach(_rel ${_files})
  get_filename_component(_dir ${_rel} DIRECTORY)
  if(_dir IN_LIST FOLDERS)
    continue()
  endif()
  get_filename_component(_outdir ${PACKED_DIR}/${_rel} DIRECTORY)
  file(MAKE_DIRECTORY ${_outdir})
  file(COPY ${GAME_DIR}/${_rel} DESTINATION ${_outdir} USE_SOURCE_PERMISSIONS)
endforeach()

foreach(_folder ${FOLDERS})
  if(NOT IS_DIRECTORY ${GAME_DIR}/${_folder})
    continue()
  endif()
  file(GLOB _members LIST_DIRECTORIES false ${GAME_DIR}/${_folder}/*)
  if(NOT _members)
    continue()
  endif()
  set(_stage ${STAGE_DIR}/${_folder})
  file(REMOVE_RECURSE ${_stage})
  file(MAKE_DIRECTORY ${_stage})
  file(COPY ${_members} DESTINATION ${_stage})
  get_filename_component(_pckdir ${PACKED_DIR}/${_folder}.pck DIRECTORY)
  file(MAKE_DIRECTORY ${_pckdir})
  execute_process(COMMAND ${PACKWRITER} ${_stage} ${PACKED_DIR}/${_folder}.pck RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "packwriter failed for ${_folder} (${_rc})")
  endif()
endforeach()
