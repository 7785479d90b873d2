// Plain wave files ("RIFF" / "WAVE" PCM).
#include "Sound/gvlWaveStream.h"
#include "sound_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    CWaveStream stream;
    fuzz::PlayStream(stream, "sound/fuzz.wav", data, size);
    return 0;
}
