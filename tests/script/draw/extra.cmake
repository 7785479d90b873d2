# The presentation's own test pictures (system sheet, portraits, strategy map, markers,
# force fields) are shared with the presentation tests.
target_sources(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/tests/shell/resources/test_pictures.cpp)
target_include_directories(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/tests/shell/resources)
