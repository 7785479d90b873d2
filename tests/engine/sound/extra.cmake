# The tests encode their own MP3 and Ogg Vorbis fixtures.
target_link_libraries(${TEST_TARGET} PRIVATE mp3lame vorbisenc vorbis ogg)
