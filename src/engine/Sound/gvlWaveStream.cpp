// Plain PCM wave files.
#include "Sound/gvlWaveStream.h"

#include <algorithm>
#include <cstring>

#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"

int CWaveStream::Open(const char* path) {
    Close();
    if (!CFilePack::LoadFile(path ? path : "", m_vBytes)) {
        SOUND_CHECK_FAILED(std::string("wave file not loaded: ") + (path ? path : ""));
        return 1;
    }
    m_strFileName = path;
    if (ParseHeader() != 0) {
        Close();
        return 2;
    }
    return 0;
}

int CWaveStream::ParseHeader() {
    const std::vector<unsigned char>& b = m_vBytes;
    const std::string& name = m_strFileName;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
        SOUND_CHECK_FAILED("not a RIFF WAVE file: " + name);
        return 2;
    }
    // The chunks end at the RIFF size or the end of the file, whichever comes first.
    const uint64_t end = std::min<uint64_t>(b.size(), uint64_t(ReadRiffU32(b.data() + 4)) + 8);
    bool haveFormat = false, haveData = false;
    uint64_t dataOffset = 0, dataSize = 0, declaredDataSize = 0;
    uint64_t at = 12;
    while (at + 8 <= end && !(haveFormat && haveData)) {
        const unsigned char* id = b.data() + at;
        const uint64_t size = ReadRiffU32(b.data() + at + 4);
        const uint64_t body = at + 8;
        if (!haveFormat && std::memcmp(id, "fmt ", 4) == 0) {
            if (size < 16 || body + size > end) {
                SOUND_CHECK_FAILED("broken \"fmt \" chunk: " + name);
                return 3;
            }
            m_Format = audio::ReadWaveFormat(b.data() + body, static_cast<uint32_t>(std::min<uint64_t>(size, 18)));
            haveFormat = true;
        } else if (!haveData && std::memcmp(id, "data", 4) == 0) {
            dataOffset = body;
            declaredDataSize = size;
            dataSize = std::min<uint64_t>(size, end > body ? end - body : 0);
            haveData = true;
        }
        at = body + size + (size & 1);  // chunks are padded to even sizes
    }
    if (!haveFormat) {
        SOUND_CHECK_FAILED("no \"fmt \" chunk: " + name);
        return 3;
    }
    const WAVEFORMATEX& f = m_Format;
    if (f.formatTag != audio::kFormatPcm) {
        SOUND_CHECK_FAILED("not PCM (format " + std::to_string(f.formatTag) + "): " + name);
        return 4;
    }
    if (f.channels == 0 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.blockAlign != f.channels * (f.bitsPerSample / 8) || f.samplesPerSec == 0 ||
        f.avgBytesPerSec != f.samplesPerSec * f.blockAlign) {
        SOUND_CHECK_FAILED("unusable PCM layout: " + name);
        return 4;
    }
    if (!haveData) {
        SOUND_CHECK_FAILED("no \"data\" chunk: " + name);
        return 5;
    }
    if (dataSize < declaredDataSize) {
        g_ErrorLog.Printf("wave file truncated: %s (%llu of %llu sample bytes)", name.c_str(),
                          static_cast<unsigned long long>(dataSize),
                          static_cast<unsigned long long>(declaredDataSize));
    }
    m_dwDataOffset = static_cast<uint32_t>(dataOffset);
    m_dwDataSize = static_cast<uint32_t>(dataSize - dataSize % f.blockAlign);
    Seek(0);
    m_dwReadPos = 0;
    return 0;
}

int CWaveStream::Close() {
    m_vBytes.clear();
    m_vBytes.shrink_to_fit();
    m_Format = WAVEFORMATEX{};
    m_dwDataOffset = 0;
    m_dwDataSize = 0;
    m_dwReadPos = 0;
    return 0;
}

int CWaveStream::GetLength() {
    if (m_Format.avgBytesPerSec == 0) return -1;
    return static_cast<int>(uint64_t(m_dwDataSize) * 1000 / m_Format.avgBytesPerSec);
}

int CWaveStream::GetPosition() {
    if (m_Format.avgBytesPerSec == 0) return -1;
    return static_cast<int>(uint64_t(m_dwReadPos) * 1000 / m_Format.avgBytesPerSec);
}

int CWaveStream::Seek(int milliseconds) {
    if (milliseconds < 0 || m_Format.avgBytesPerSec == 0) return 1;
    if (milliseconds >= GetLength()) return 2;
    uint64_t pos = uint64_t(milliseconds) * m_Format.avgBytesPerSec / 1000;
    pos -= pos % m_Format.blockAlign;
    m_dwReadPos = static_cast<uint32_t>(std::min<uint64_t>(pos, m_dwDataSize));
    return 0;
}

unsigned CWaveStream::Read(void* buffer, unsigned bytes) {
    if (!buffer || m_dwReadPos >= m_dwDataSize) return 0;
    const unsigned n = std::min<unsigned>(bytes, m_dwDataSize - m_dwReadPos);
    std::memcpy(buffer, m_vBytes.data() + m_dwDataOffset + m_dwReadPos, n);
    m_dwReadPos += n;
    return n;
}
