# The field tests read the runnable game's tables and pictures.
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
