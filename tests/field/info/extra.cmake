# The panel and minimap pictures come from the runnable folder's generated content.
if(TARGET vormant_content)
  add_dependencies(${TEST_TARGET} vormant_content)
endif()
