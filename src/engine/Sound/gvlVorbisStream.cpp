// Ogg Vorbis files through libvorbisfile, loaded at run time.
#include "Sound/gvlVorbisStream.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <dlfcn.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>
#include <cstring>

#include "log/ErrorLog.h"
#include "paths.h"
#include "system.h"
#include "util/ClampInt.h"

namespace {
const char kVorbisModule[] = "libvorbisfile.so.3";

template <typename F>
void Bind(void* module, const char* name, F& out) {
    out = reinterpret_cast<F>(dlsym(module, name));
}

// The page checksum: CRC-32 with the polynomial 0x04C11DB7, unreflected, from zero.
uint32_t PageCrc(const unsigned char* p, size_t n) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < n; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ p[i]) & 0xFF];
    return crc;
}

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

// The decoder library trusts a damaged page sequence too far (pages of another stream
// or out of order can make it copy a negative length while seeking), so a music file
// is checked whole before it is handed over: one logical stream of intact pages, in
// order, from its first page to its last.
bool CheckOggPages(const std::vector<unsigned char>& b, std::string& why) {
    size_t at = 0;
    uint32_t serial = 0, expected = 0;
    bool continued = false;
    while (at < b.size()) {
        if (b.size() - at < 27 || std::memcmp(&b[at], "OggS", 4) != 0 || b[at + 4] != 0) {
            why = "no page at byte " + std::to_string(at);
            return false;
        }
        const unsigned char flags = b[at + 5];
        const size_t segments = b[at + 26];
        if (b.size() - at < 27 + segments) {
            why = "page cut short at byte " + std::to_string(at);
            return false;
        }
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += b[at + 27 + i];
        const size_t length = 27 + segments + body;
        if (b.size() - at < length) {
            why = "page cut short at byte " + std::to_string(at);
            return false;
        }
        std::vector<unsigned char> page(b.begin() + at, b.begin() + at + length);
        const uint32_t stored = Le32(&page[22]);
        std::memset(&page[22], 0, 4);
        if (PageCrc(page.data(), page.size()) != stored) {
            why = "page checksum wrong at byte " + std::to_string(at);
            return false;
        }
        const bool first = at == 0;
        const uint32_t pageSerial = Le32(&b[at + 14]);
        const uint32_t sequence = Le32(&b[at + 18]);
        if (first) serial = pageSerial;
        if (bool(flags & 2) != first || pageSerial != serial || sequence != expected ||
            bool(flags & 1) != continued || (flags & ~7u) != 0) {
            why = "pages out of order at byte " + std::to_string(at);
            return false;
        }
        continued = segments > 0 && b[at + 27 + segments - 1] == 255;
        ++expected;
        at += length;
        if (flags & 4) break;
    }
    if (at != b.size() || expected == 0) {
        why = at != b.size() ? "data after the last page" : "no pages";
        return false;
    }
    return true;
}

VorbisLibrary& VorbisLibrary::Instance() {
    // Kept to the very end: streams may be closed during static destruction.
    static VorbisLibrary* library = new VorbisLibrary(kVorbisModule, true);
    return *library;
}

VorbisLibrary::VorbisLibrary(const char* moduleName, bool tellUser) {
    m_hModule = dlopen(moduleName, RTLD_NOW | RTLD_LOCAL);
    if (!m_hModule) {
        const std::string text = std::string(moduleName) + "の読み込みに失敗しました。";
        g_ErrorLog.Write(text);
        if (tellUser) plat::MessageBox(text.c_str(), "", plat::kMbOk);
        return;
    }
    Bind(m_hModule, "ov_clear", ov_clear);
    Bind(m_hModule, "ov_open", ov_open);
    Bind(m_hModule, "ov_seekable", ov_seekable);
    Bind(m_hModule, "ov_info", ov_info);
    Bind(m_hModule, "ov_read", ov_read);
    Bind(m_hModule, "ov_time_seek", ov_time_seek);
    Bind(m_hModule, "ov_time_tell", ov_time_tell);
    Bind(m_hModule, "ov_time_total", ov_time_total);
}

VorbisLibrary::~VorbisLibrary() {
    // The module stays mapped to the end of the program: streams may still be
    // released during shutdown.
}

CVorbisStream::CVorbisStream() : m_pLibrary(nullptr) {}

CVorbisStream::CVorbisStream(VorbisLibrary* library) : m_pLibrary(library) {}

CVorbisStream::~CVorbisStream() { Close(); }

int CVorbisStream::Open(const char* path) {
    Close();
    if (!m_pLibrary) m_pLibrary = &VorbisLibrary::Instance();
    const std::string name = path ? path : "";
    FILE* file = std::fopen(plat::ResolvePath(name).c_str(), "rb");
    if (!file) {
        SOUND_CHECK_FAILED("Ogg file cannot be opened: " + name);
        return 1;
    }
    VorbisLibrary& lib = *m_pLibrary;
    if (!lib.IsLoaded() || !lib.ov_open || !lib.ov_clear || !lib.ov_info || !lib.ov_read || !lib.ov_seekable ||
        !lib.ov_time_seek || !lib.ov_time_tell || !lib.ov_time_total) {
        std::fclose(file);
        SOUND_CHECK_FAILED("no Ogg Vorbis decoder for: " + name);
        return 2;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
    std::string why;
    if (!CheckOggPages(bytes, why)) {
        std::fclose(file);
        SOUND_CHECK_FAILED("damaged Ogg file (" + why + "): " + name);
        return 2;
    }
    std::rewind(file);
    m_pState = std::make_unique<OggVorbis_File>();
    std::memset(m_pState.get(), 0, sizeof(OggVorbis_File));
    if (lib.ov_open(file, m_pState.get(), nullptr, 0) != 0) {
        std::fclose(file);
        m_pState.reset();
        SOUND_CHECK_FAILED("not an Ogg Vorbis file: " + name);
        return 2;
    }
    m_pFile = file;  // now owned by the decoder state
    m_bOpened = true;
    if (!lib.ov_seekable(m_pState.get())) {
        Close();
        SOUND_CHECK_FAILED("Ogg file not seekable: " + name);
        return 3;
    }
    vorbis_info* info = lib.ov_info(m_pState.get(), -1);
    if (!info || info->channels <= 0 || info->channels > 8 || info->rate <= 0) {
        Close();
        SOUND_CHECK_FAILED("Ogg file without a usable stream: " + name);
        return 2;
    }
    m_Format = audio::MakePcmFormat(static_cast<uint16_t>(info->channels), static_cast<uint32_t>(info->rate), 16);
    return 0;
}

int CVorbisStream::Close() {
    if (m_bOpened && m_pLibrary && m_pLibrary->ov_clear) m_pLibrary->ov_clear(m_pState.get());  // closes the file too
    m_bOpened = false;
    m_pFile = nullptr;
    m_pState.reset();
    m_Format = WAVEFORMATEX{};
    return 0;
}

// The decoder's seconds as whole milliseconds.  A damaged file can make it report
// anything (infinities, NaN, error codes as negative times): such values read as 0,
// and a time beyond the int range as its largest value.
static int MillisecondsOf(double seconds) {
    const double ms = seconds * 1000.0;
    return ms > 0 ? ClampDoubleToInt(ms) : 0;
}

int CVorbisStream::GetLength() {
    if (!m_bOpened) return -1;
    return MillisecondsOf(m_pLibrary->ov_time_total(m_pState.get(), -1));
}

int CVorbisStream::Seek(int milliseconds) {
    if (!m_bOpened) return 1;
    return m_pLibrary->ov_time_seek(m_pState.get(), milliseconds / 1000.0);
}

int CVorbisStream::GetPosition() {
    if (!m_bOpened) return -1;
    return MillisecondsOf(m_pLibrary->ov_time_tell(m_pState.get()));
}

unsigned CVorbisStream::Read(void* buffer, unsigned bytes) {
    if (!m_bOpened || !buffer) return 0;
    char* out = static_cast<char*>(buffer);
    unsigned done = 0;
    int holes = 0;
    while (done < bytes) {
        const int want = static_cast<int>(std::min<unsigned>(bytes - done, 1u << 30));
        const long got = m_pLibrary->ov_read(m_pState.get(), out + done, want, 0, 2, 1, nullptr);
        if (got == 0) break;
        if (got < 0) {
            // A gap in the data is skipped; anything else ends the sound here.
            if (got == OV_HOLE && ++holes < 64) continue;
            break;
        }
        done += static_cast<unsigned>(got);
    }
    return done;
}
