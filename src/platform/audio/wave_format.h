#pragma once
// The description of a block of sound samples: the classic 18-byte wave format
// record (format tag, channels, rate, bytes per second, block size, bits, extra size).
#include <cstdint>
#include <cstring>

namespace audio {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatMpeg = 0x50;
constexpr uint16_t kFormatMpegLayer3 = 0x55;

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t cbSize = 0;
};

// Size of the record as stored in a wave file's "fmt " chunk.
constexpr uint32_t kWaveFormatBytes = 18;

inline WaveFormat MakePcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormat f;
    f.formatTag = kFormatPcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * (bits / 8));
    f.avgBytesPerSec = rate * f.blockAlign;
    f.cbSize = 0;
    return f;
}

// Reads the little-endian record from `size` bytes (16 or more); missing trailing
// fields stay 0.
inline WaveFormat ReadWaveFormat(const unsigned char* p, uint32_t size) {
    auto u16 = [&](uint32_t at) -> uint16_t {
        return at + 2 <= size ? static_cast<uint16_t>(p[at] | (p[at + 1] << 8)) : 0;
    };
    auto u32 = [&](uint32_t at) -> uint32_t {
        return at + 4 <= size ? static_cast<uint32_t>(p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) |
                                                      (uint32_t(p[at + 3]) << 24))
                              : 0;
    };
    WaveFormat f;
    f.formatTag = u16(0);
    f.channels = u16(2);
    f.samplesPerSec = u32(4);
    f.avgBytesPerSec = u32(8);
    f.blockAlign = u16(12);
    f.bitsPerSample = u16(14);
    f.cbSize = u16(16);
    return f;
}

}  // namespace audio
