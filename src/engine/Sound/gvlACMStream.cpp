// Compressed sound files: MPEG audio found raw or in a RIFF WAVE file, decoded whole
// by the MP3 decoder.
#include "Sound/gvlACMStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"

namespace {


// MPEG-1 bit rates in kbit/s by layer (1 to 3) and index; 0 marks the free and the
// forbidden index.
const int kBitRates[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
};
const int kSampleRates[4] = {44100, 48000, 32000, 0};

}  // namespace

int CACMStream::Open(const char* path) {
    Close();
    const std::string name = path ? path : "";
    std::vector<unsigned char> file;
    if (!CFilePack::LoadFile(name, file)) {
        SOUND_CHECK_FAILED("sound file not loaded: " + name);
        return 1;
    }
    try {
        m_vBlock.reserve(file.size() + 2);
    } catch (const std::bad_alloc&) {
        SOUND_CHECK_FAILED("no memory for sound file: " + name);
        return 3;
    }
    m_vBlock.assign(file.begin(), file.end());
    m_vBlock.push_back(0);
    m_vBlock.push_back(0);

    int parsed = ParseRiff();
    if (parsed == 2) parsed = ParseMpegHeader();
    if (parsed != 0) {
        SOUND_CHECK_FAILED("sound header not recognised: " + name);
        Close();
        return 2;
    }
    if (m_SrcFormat.formatTag != audio::kFormatMpegLayer3 && m_SrcFormat.formatTag != audio::kFormatMpeg) {
        SOUND_CHECK_FAILED("no decoder for sound format " + std::to_string(m_SrcFormat.formatTag) + ": " + name);
        Close();
        return 3;
    }
    const int decoded = m_Decoder.Open(m_vBlock.data() + m_nDataOffset, m_nDataSize);
    if (decoded != audio::Mp3Decoder::kOk) {
        int result = decoded == audio::Mp3Decoder::kNoDecoder ? 4 : decoded == audio::Mp3Decoder::kNoAudio ? 3 : 5;
        SOUND_CHECK_FAILED((result == 3   ? "no decodable audio in: "
                            : result == 4 ? "sound decoder not available for: "
                                          : "sound length unknown: ") +
                           name);
        Close();
        return result;
    }
    m_DestFormat = audio::MakePcmFormat(static_cast<uint16_t>(m_Decoder.Channels()),
                                        static_cast<uint32_t>(m_Decoder.Rate()), 16);
    m_nLength = static_cast<int>(std::min<int64_t>(m_Decoder.LengthFrames() * 1000 / m_Decoder.Rate(), 0x7FFFFFFF));
    m_nPcmPos = 0;
    m_bOpen = true;
    return 0;
}

int CACMStream::ParseRiff() {
    const size_t size = m_vBlock.size() >= 2 ? m_vBlock.size() - 2 : 0;
    const unsigned char* b = m_vBlock.data();
    if (size < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0) return 2;
    const uint64_t end = std::min<uint64_t>(size, uint64_t(ReadRiffU32(b + 4)) + 8);
    bool haveFormat = false, haveData = false;
    uint64_t at = 12;
    while (at + 8 <= end && !(haveFormat && haveData)) {
        const uint64_t chunk = ReadRiffU32(b + at + 4);
        const uint64_t body = at + 8;
        if (!haveFormat && std::memcmp(b + at, "fmt ", 4) == 0) {
            if (chunk < 16 || body + chunk > end) return 3;
            m_SrcFormat = audio::ReadWaveFormat(b + body, static_cast<uint32_t>(std::min<uint64_t>(chunk, 18)));
            if (m_SrcFormat.cbSize == 0) m_SrcFormat.cbSize = 18;
            if (m_SrcFormat.formatTag == audio::kFormatPcm) return 4;
            haveFormat = true;
        } else if (!haveData && std::memcmp(b + at, "data", 4) == 0) {
            m_nDataOffset = static_cast<uint32_t>(body);
            m_nDataSize = static_cast<uint32_t>(std::min<uint64_t>(chunk, end > body ? end - body : 0));
            haveData = true;
        }
        at = body + chunk + (chunk & 1);
    }
    if (!haveFormat) return 3;
    if (!haveData || m_nDataSize == 0) return 4;
    m_nSrcBlockAlign = m_SrcFormat.blockAlign;
    return 0;
}

int CACMStream::ParseMpegHeader() {
    const size_t size = m_vBlock.size() >= 2 ? m_vBlock.size() - 2 : 0;
    const unsigned char* b = m_vBlock.data();
    if (size <= 128) return 1;
    uint64_t start = 0;
    if (std::memcmp(b, "ID3", 3) == 0) {
        if (size < 10) return 1;
        start = ((uint64_t(b[6] & 0x7F) << 21) | (uint64_t(b[7] & 0x7F) << 14) | (uint64_t(b[8] & 0x7F) << 7) |
                 uint64_t(b[9] & 0x7F)) + 10;
        if (b[3] >= 4 && (b[5] & 0x10)) start += 10;
        if (size <= start + 128) return 1;
    }
    const unsigned char* h = b + start;
    if (h[0] != 0xFF || (h[1] & 0xF8) != 0xF8) return 1;
    const int layer = 4 - ((h[1] >> 1) & 3);
    if (layer > 3) return 1;
    const int bitRate = kBitRates[layer - 1][h[2] >> 4];
    const int rate = kSampleRates[(h[2] >> 2) & 3];
    // The free-format and forbidden bit-rate codes and the reserved rate give no
    // usable frame size.
    if (bitRate == 0 || rate == 0) return 1;
    const int channels = (h[3] & 0xC0) == 0xC0 ? 1 : 2;

    m_SrcFormat = WAVEFORMATEX{};
    m_SrcFormat.formatTag = audio::kFormatMpegLayer3;
    m_SrcFormat.channels = static_cast<uint16_t>(channels);
    m_SrcFormat.samplesPerSec = static_cast<uint32_t>(rate);
    m_SrcFormat.avgBytesPerSec = static_cast<uint32_t>(bitRate * 1000 / 8);
    m_SrcFormat.blockAlign = 1;
    m_SrcFormat.bitsPerSample = 0;
    m_SrcFormat.cbSize = 12;

    uint64_t audioEnd = size;
    if (std::memcmp(b + size - 128, "TAG", 3) == 0) audioEnd -= 128;  // an ID3v1 tag is not audio
    if (audioEnd <= start) return 1;
    // The decoder starts at the first frame's header.
    m_nDataOffset = static_cast<uint32_t>(start);
    m_nDataSize = static_cast<uint32_t>(audioEnd - start);
    m_nSrcBlockAlign = static_cast<uint32_t>(72000 * bitRate / rate);
    return 0;
}

int CACMStream::Close() {
    m_Decoder.Close();
    m_vBlock.clear();
    m_vBlock.shrink_to_fit();
    m_SrcFormat = WAVEFORMATEX{};
    m_DestFormat = WAVEFORMATEX{};
    m_nDataSize = 0;
    m_nDataOffset = 0;
    m_nLength = 0;
    m_nPcmPos = 0;
    m_nSrcBlockAlign = 0;
    m_bOpen = false;
    return 0;
}

int CACMStream::Seek(int milliseconds) {
    if (milliseconds < 0) return 1;
    if (milliseconds >= m_nLength) return 2;
    if (!m_bOpen) return 3;
    const int64_t frame = int64_t(milliseconds) * m_DestFormat.samplesPerSec / 1000;
    if (!m_Decoder.Seek(frame)) return 3;
    m_nPcmPos = uint64_t(frame) * m_DestFormat.blockAlign;
    return 0;
}

int CACMStream::GetPosition() {
    if (m_DestFormat.avgBytesPerSec == 0) return -1;
    return static_cast<int>(m_nPcmPos * 1000 / m_DestFormat.avgBytesPerSec);
}

unsigned CACMStream::Read(void* buffer, unsigned bytes) {
    if (!m_bOpen) return static_cast<unsigned>(-1);
    if (!buffer || bytes == 0) return 0;
    const unsigned got = ConvertChunk(buffer, bytes);
    m_nPcmPos += got;
    return got;
}

unsigned CACMStream::ConvertChunk(void* buffer, unsigned bytes) {
    return static_cast<unsigned>(m_Decoder.Read(buffer, bytes));
}
