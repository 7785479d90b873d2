# The preparation's windows are drawn with the runnable folder's pictures and tables.
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
