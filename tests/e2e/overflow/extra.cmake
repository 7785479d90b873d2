# The scene runs play the built program in a copy of the runnable folder.
add_dependencies(${TEST_TARGET} vormant-replay)
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
