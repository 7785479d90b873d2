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

// One piece of music: a seed picks the key, the mode and the tunes.  A looping piece
// ends where it begins: the notes still sounding at its end go on at its start, and
// it lasts a whole number of 10 ms steps (the tempo is bent a hair for that), so that
// a buffer sized in milliseconds holds every sample of it.
struct SongStyle {
    uint32_t seed = 1;
    double bpm = 110;
    int bars = 8;            // the loop's length
    int loops = 1;           // how many times the piece plays the loop
    int root = 57;           // MIDI note of the key's root
    bool minor = true;
    int lead = 0;            // 0 square, 1 triangle, 2 saw, 3 soft sine
    bool drums = true;
    double energy = 0.7;     // 0 calm ... 1 driving
    bool ending = false;     // plays once: ends on the tonic with a fade
};

// Peak levels of the generated sounds.  The game plays one piece of music and one
// effect at a time, both at the master volume; the two peaks together, with room for
// what lossy coding adds to a peak, stay under full scale (32767).
constexpr int kMusicPeak = 15000;
constexpr int kEffectPeak = 15500;

Pcm RenderSong(const SongStyle& style);

enum class Effect { Ok, Cancel, Cursor, Warp1, Warp2, Beep, Hit, Swing, BladeHit, Chime, Drum };
Pcm RenderEffect(Effect e);

std::vector<uint8_t> EncodeWav(const Pcm& pcm);
// Constant bit rate, led by an info frame that tells the decoder the encoder's delay
// and padding, so that it gives back exactly the samples encoded.  Empty on failure.
std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps);
std::vector<uint8_t> EncodeOgg(const Pcm& pcm, float quality, uint32_t serial);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);  // creates folders

int WriteAllSounds(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
