# The replay test runs the built program in the runnable folder.
add_dependencies(${TEST_TARGET} vormant-replay)
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
# The no-display test starts the game itself.
add_dependencies(${TEST_TARGET} vormant)
