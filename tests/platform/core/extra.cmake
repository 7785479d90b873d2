# The live back end is driven here through the system library's own event queue.
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::SDL2)
