target_link_libraries(${TEST_TARGET} PRIVATE vormant_packwriter)
add_dependencies(${TEST_TARGET} packwriter)
target_compile_definitions(${TEST_TARGET} PRIVATE PACKWRITER_EXE="$<TARGET_FILE:packwriter>")
