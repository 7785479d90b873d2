#pragma once
// Plain PCM wave files ("RIFF" / "WAVE" with "fmt " and "data" chunks), read whole
// through the file loader, so a wave file inside a pack file plays too.
#include <cstdint>
#include <string>
#include <vector>

#include "Sound/gvlSoundStream.h"

class CWaveStream : public ISoundStream {
public:
    // Open results: 0 opened, 1 file not loaded, 2 header not recognised.
    CWaveStream() = default;
    ~CWaveStream() override { Close(); }

    int Open(const char* path) override;
    int Close() override;
    int GetLength() override;
    // Positions are rounded down to whole sample frames.  1 for a negative time,
    // 2 at or beyond the length.
    int Seek(int milliseconds) override;
    int GetPosition() override;
    // Delivers samples of the data chunk only; fewer at its end, then 0.
    unsigned Read(void* buffer, unsigned bytes) override;
    WAVEFORMATEX* GetFormat() override { return &m_Format; }

    // Parses RIFF bytes: 0 ok, else a step code (2 not a RIFF WAVE, 3 no usable
    // "fmt ", 4 not plain PCM the player can take, 5 no "data").
    int ParseHeader();

    uint32_t GetDataOffset() const { return m_dwDataOffset; }
    uint32_t GetDataSize() const { return m_dwDataSize; }

private:
    std::string m_strFileName;
    std::vector<unsigned char> m_vBytes;
    WAVEFORMATEX m_Format;
    uint32_t m_dwDataOffset = 0;
    uint32_t m_dwDataSize = 0;
    uint32_t m_dwReadPos = 0;
};
