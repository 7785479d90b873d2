# The joystick tests drive SDL's virtual joysticks directly.
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::SDL2)
