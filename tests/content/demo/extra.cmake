# The chapters, tables and the minimap's icon sheet come from the runnable folder.
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
