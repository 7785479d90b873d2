#pragma once
// MPEG audio (MP3) decoding from bytes held in memory, to 16-bit signed PCM.
#include <cstddef>
#include <cstdint>

namespace audio {

// The bytes a decoder reads from, and how far it has read.
struct Mp3MemorySource {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

class Mp3Decoder {
public:
    enum : int {
        kOk = 0,
        kNoDecoder = 1,  // the decoder could not be created
        kNoAudio = 2,    // no decodable frame (so no output format)
        kScanFailed = 3, // the length could not be determined
    };

    Mp3Decoder() = default;
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Opens `size` bytes of MPEG audio frames (they are not copied and must outlive
    // the decoder) and scans them whole, so the length is exact for variable bit
    // rates too.  With an encoder's info frame the decoder gives exactly the samples
    // that were encoded (no delay before them, no padding after).  0 on success,
    // else one of the codes above.
    int Open(const uint8_t* data, size_t size);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    int Channels() const { return m_channels; }
    long Rate() const { return m_rate; }
    int64_t LengthFrames() const { return m_lengthFrames; }  // sample frames

    // Decodes up to `bytes` bytes (a whole number of frames is not required) of
    // interleaved 16-bit little-endian PCM; 0 at the end.
    size_t Read(void* out, size_t bytes);
    // Moves to sample frame `frame` (exact).  False on failure.
    bool Seek(int64_t frame);

private:
    size_t DecodeSome(uint8_t* out, size_t bytes);

    void* m_handle = nullptr;
    Mp3MemorySource m_source;
    int m_channels = 0;
    long m_rate = 0;
    int64_t m_lengthFrames = 0;
    bool m_ended = false;
    uint8_t m_carry[16] = {};  // decoded bytes of a frame a read ended inside
    size_t m_carryLen = 0;
};

}  // namespace audio
