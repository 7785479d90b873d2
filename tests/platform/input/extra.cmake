# The joystick tests drive SDL's virtual joysticks directly.
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::SDL2)
# SDL brings its own definitions: these sources skip the shared precompiled header.
set_target_properties(${TEST_TARGET} PROPERTIES DISABLE_PRECOMPILE_HEADERS ON)
