# The game folder test writes a pack of start files.
target_link_libraries(${TEST_TARGET} PRIVATE vormant_packwriter)
