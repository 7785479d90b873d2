#pragma once
// Decoders that turn one sound file into PCM for the sound channels.
#include <cstdint>
#include <string>

#include "audio/wave_format.h"

// The format record a stream reports (PCM for what Read delivers).
using WAVEFORMATEX = audio::WaveFormat;

// A little-endian 32-bit value of a RIFF header.
inline uint32_t ReadRiffU32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

class ISoundStream {
public:
    virtual ~ISoundStream() = default;
    // 0 on success, else a code of the stream's own (see each stream).
    virtual int Open(const char* path) = 0;
    virtual int Close() = 0;
    // Length in milliseconds (-1 when nothing is open).
    virtual int GetLength() = 0;
    // 0 on success.
    virtual int Seek(int milliseconds) = 0;
    virtual int GetPosition() = 0;
    // Decoded bytes delivered; 0 at the end of the sound.
    virtual unsigned Read(void* buffer, unsigned bytes) = 0;
    virtual WAVEFORMATEX* GetFormat() = 0;
};

// Picks the decoder by the file's extension (the text after the last "."; letters
// compared without regard to case): "wav" plain wave files, "ogg" Ogg Vorbis, anything
// else compressed audio (MP3, raw or inside a wave file).  Null when the file cannot
// be opened.
ISoundStream* CreateSoundStream(const std::string& path);

// Writes a failed check of the sound code to the error log: source file, line, text.
void SoundCheckFailed(const char* file, int line, const std::string& text);
#define SOUND_CHECK_FAILED(text) SoundCheckFailed(__FILE__, __LINE__, (text))
