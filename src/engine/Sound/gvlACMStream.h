#pragma once
// Compressed sound files: MPEG audio (MP3), raw or inside a RIFF WAVE file, decoded
// to 16-bit PCM.  The file is read whole through the file loader.
#include <cstdint>
#include <string>
#include <vector>

#include "Sound/gvlSoundStream.h"
#include "audio/mp3_decoder.h"

class CACMStream : public ISoundStream {
public:
    // Open results: 0 opened, 1 file not loaded, 2 header not recognised, 3 no
    // memory or no PCM format for the source, 4 the decoder could not be opened,
    // 5 the decoded length could not be determined.
    CACMStream() = default;
    ~CACMStream() override { Close(); }

    int Open(const char* path) override;
    int Close() override;
    int GetLength() override { return m_nLength; }
    // 1 for a negative time, 2 at or beyond the length, 3 when the decoder cannot move.
    int Seek(int milliseconds) override;
    int GetPosition() override;
    unsigned Read(void* buffer, unsigned bytes) override;
    WAVEFORMATEX* GetFormat() override { return &m_DestFormat; }

    // On the loaded block: 0 ok; RIFF: 2 not a RIFF WAVE, 3 no "fmt ", 4 PCM (not
    // compressed) or no "data"; raw MPEG: 1 not a usable first frame.
    int ParseRiff();
    int ParseMpegHeader();

    const WAVEFORMATEX& GetSourceFormat() const { return m_SrcFormat; }
    uint32_t GetDataOffset() const { return m_nDataOffset; }
    uint32_t GetDataSize() const { return m_nDataSize; }

private:
    // Decodes up to `bytes` bytes into `buffer`; the count delivered.
    unsigned ConvertChunk(void* buffer, unsigned bytes);

    std::vector<unsigned char> m_vBlock;  // the file's bytes and two zero bytes
    WAVEFORMATEX m_SrcFormat;
    WAVEFORMATEX m_DestFormat;
    audio::Mp3Decoder m_Decoder;
    uint32_t m_nDataSize = 0;
    uint32_t m_nDataOffset = 0;
    int m_nLength = 0;
    uint64_t m_nPcmPos = 0;
    uint32_t m_nSrcBlockAlign = 0;
    bool m_bOpen = false;
};
