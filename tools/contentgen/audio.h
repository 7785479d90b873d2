#pragma once
// Synthesised music and sound effects, and the three file forms the game plays:
// RIFF WAVE (16-bit PCM), MP3 (libmp3lame) and Ogg Vorbis (libvorbisenc).
#include <cstdint>
#include <string>
#include <vector>

namespace cg {

struct Pcm {
    int rate = 44100;
    int channels = 2;
    std::vector<int16_t> samples;  // interleaved
    double Seconds() const { return channels ? samples.size() / double(channels) / rate : 0.0; }
};

// One piece of music: a seed picks the key, the mode and the tunes.
struct SongStyle {
    uint32_t seed = 1;
    double bpm = 110;
    int bars = 8;            // the loop's length; the piece repeats it to reach `seconds`
    double seconds = 0;      // 0: exactly `bars` bars
    int root = 57;           // MIDI note of the key's root
    bool minor = true;
    int lead = 0;            // 0 square, 1 triangle, 2 saw, 3 soft sine
    bool drums = true;
    double energy = 0.7;     // 0 calm ... 1 driving
    bool ending = false;     // plays once: ends on the tonic with a fade
};

Pcm RenderSong(const SongStyle& style);

enum class Effect { Ok, Cancel, Cursor, Warp1, Warp2, Beep, Hit, Swing, BladeHit, Chime, Drum };
Pcm RenderEffect(Effect e);

std::vector<uint8_t> EncodeWav(const Pcm& pcm);
std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps);  // empty on failure
std::vector<uint8_t> EncodeOgg(const Pcm& pcm, float quality, uint32_t serial);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);  // creates folders

int WriteAllSounds(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
