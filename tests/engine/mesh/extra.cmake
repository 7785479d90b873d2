target_link_libraries(${TEST_TARGET} PRIVATE vormant_meshgen)
