// MP3 decoding through libmpg123, reading from memory.
#include "audio/mp3_decoder.h"

#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace audio {

namespace {

std::once_flag g_initOnce;
bool g_initOk = false;

mpg123_ssize_t ReadSource(void* handle, void* buffer, size_t count) {
    auto* src = static_cast<Mp3MemorySource*>(handle);
    if (src->pos >= src->size) return 0;
    size_t n = std::min(count, src->size - src->pos);
    std::memcpy(buffer, src->data + src->pos, n);
    src->pos += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t SeekSource(void* handle, off_t offset, int whence) {
    auto* src = static_cast<Mp3MemorySource*>(handle);
    long long base = 0;
    if (whence == SEEK_CUR) base = static_cast<long long>(src->pos);
    else if (whence == SEEK_END) base = static_cast<long long>(src->size);
    else if (whence != SEEK_SET) return -1;
    long long to = base + static_cast<long long>(offset);
    if (to < 0 || to > static_cast<long long>(src->size)) return -1;
    src->pos = static_cast<size_t>(to);
    return static_cast<off_t>(to);
}

}  // namespace

Mp3Decoder::~Mp3Decoder() { Close(); }

void Mp3Decoder::Close() {
    if (m_handle) {
        auto* h = static_cast<mpg123_handle*>(m_handle);
        mpg123_close(h);
        mpg123_delete(h);
        m_handle = nullptr;
    }
    m_source = Mp3MemorySource{};
    m_channels = 0;
    m_rate = 0;
    m_lengthFrames = 0;
    m_ended = false;
    m_carryLen = 0;
}

int Mp3Decoder::Open(const uint8_t* data, size_t size) {
    Close();
    std::call_once(g_initOnce, [] { g_initOk = mpg123_init() == MPG123_OK; });
    if (!g_initOk) return kNoDecoder;
    int err = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) return kNoDecoder;
    // Gapless: the encoder's info frame says how many samples of delay lead the sound
    // and how many of padding end it; both are left out, so a looping piece comes back
    // round without a hush.
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(h, ReadSource, SeekSource, nullptr) != MPG123_OK) {
        mpg123_delete(h);
        return kNoDecoder;
    }
    m_handle = h;
    m_source.data = data;
    m_source.size = size;
    m_source.pos = 0;
    if (mpg123_open_handle(h, &m_source) != MPG123_OK) {
        Close();
        return kNoAudio;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0 ||
        encoding != MPG123_ENC_SIGNED_16) {
        Close();
        return kNoAudio;
    }
    // Keep this format for the whole stream.
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, MPG123_ENC_SIGNED_16);
    if (mpg123_scan(h) != MPG123_OK) {
        Close();
        return kScanFailed;
    }
    off_t length = mpg123_length(h);
    if (length <= 0 || mpg123_seek(h, 0, SEEK_SET) < 0) {
        Close();
        return kScanFailed;
    }
    m_rate = rate;
    m_channels = channels;
    m_lengthFrames = static_cast<int64_t>(length);
    m_ended = false;
    return kOk;
}

size_t Mp3Decoder::DecodeSome(uint8_t* out, size_t bytes) {
    auto* h = static_cast<mpg123_handle*>(m_handle);
    size_t total = 0;
    int idle = 0;
    while (total < bytes && !m_ended) {
        size_t done = 0;
        int r = mpg123_read(h, out + total, bytes - total, &done);
        total += done;
        if (r == MPG123_DONE) {
            m_ended = true;
        } else if (r == MPG123_OK || r == MPG123_NEW_FORMAT) {
            if (done == 0 && ++idle > 16) m_ended = true;
        } else if (done == 0) {
            // A damaged frame the decoder cannot get past.
            m_ended = true;
        }
    }
    return total;
}

size_t Mp3Decoder::Read(void* out, size_t bytes) {
    if (!m_handle || bytes == 0) return 0;
    auto* dst = static_cast<uint8_t*>(out);
    size_t total = 0;
    if (m_carryLen) {
        size_t n = std::min(bytes, m_carryLen);
        std::memcpy(dst, m_carry, n);
        std::memmove(m_carry, m_carry + n, m_carryLen - n);
        m_carryLen -= n;
        total += n;
    }
    const size_t frameBytes = static_cast<size_t>(m_channels) * 2;
    size_t whole = (bytes - total) / frameBytes * frameBytes;
    if (whole) total += DecodeSome(dst + total, whole);
    if (total < bytes && !m_ended) {
        // A request that ends inside a sample frame: decode the frame, keep its rest.
        uint8_t frame[sizeof(m_carry)];
        size_t got = DecodeSome(frame, frameBytes);
        size_t n = std::min(got, bytes - total);
        std::memcpy(dst + total, frame, n);
        total += n;
        m_carryLen = got - n;
        std::memcpy(m_carry, frame + n, m_carryLen);
    }
    return total;
}

bool Mp3Decoder::Seek(int64_t frame) {
    if (!m_handle || frame < 0) return false;
    auto* h = static_cast<mpg123_handle*>(m_handle);
    if (mpg123_seek(h, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
    m_ended = false;
    m_carryLen = 0;
    return true;
}

}  // namespace audio
