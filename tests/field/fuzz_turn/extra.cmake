# The field fuzz target's turn, played as the target plays it, on the runnable
# game's folder.
target_include_directories(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
