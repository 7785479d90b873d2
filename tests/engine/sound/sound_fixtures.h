#pragma once
// Sound files made in the tests: generated tones written as WAV, MP3 and Ogg Vorbis.
#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

// Interleaved 16-bit samples.
struct Pcm {
    uint16_t channels = 2;
    uint32_t rate = 44100;
    std::vector<int16_t> samples;
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

// A tone with a slowly moving pitch (no two nearby stretches alike).
Pcm Tone(double seconds, uint16_t channels = 2, uint32_t rate = 44100);
// Frames that are all different: left = frame index & 0x7FFF, right = frame index >> 15.
Pcm Counter(size_t frames, uint32_t rate = 44100);

struct WavOptions {
    bool listChunkBeforeData = false;  // an odd-sized "LIST" chunk between "fmt " and "data"
    bool trailingChunk = false;        // a chunk after "data" that must not be played
    uint32_t fmtSize = 16;             // 16 or 18
};
std::vector<uint8_t> MakeWav(const Pcm& pcm, const WavOptions& options = {});
std::vector<uint8_t> MakeWav8(const std::vector<uint8_t>& samples, uint16_t channels, uint32_t rate);

// MP3 of the tone: constant bit rate (kbit/s) or variable (vbr = true), with the
// encoder's info frame so that the decoder knows the exact length.
std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps, bool vbr = false);
// Ogg Vorbis of the tone.
std::vector<uint8_t> EncodeOgg(const Pcm& pcm, float quality = 0.3f);

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);


}  // namespace soundtest
