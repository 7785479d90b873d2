// Compressed sound: MPEG audio, raw or inside a RIFF WAVE file.
#include "Sound/gvlACMStream.h"
#include "sound_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CACMStream stream;
    fuzz::PlayStream(stream, "BGM/fuzz.mp3", data, size);
    return 0;
}
