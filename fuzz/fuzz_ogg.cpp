// Ogg Vorbis music files.
#include "Sound/gvlVorbisStream.h"
#include "sound_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CVorbisStream stream;
    fuzz::PlayStream(stream, "BGM/fuzz.ogg", data, size);
    return 0;
}
