# The battle pictures use the runnable folder's meshes, pictures and tables.
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
