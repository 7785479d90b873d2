#include "sound_fixtures.h"

#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace soundtest {

Pcm Tone(double seconds, uint16_t channels, uint32_t rate) {
    Pcm pcm;
    pcm.channels = channels;
    pcm.rate = rate;
    const size_t frames = static_cast<size_t>(seconds * rate);
    pcm.samples.resize(frames * channels);
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double freq = 330.0 + 220.0 * std::sin(t * 0.7);
        phase += 2.0 * M_PI * freq / rate;
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = std::sin(phase + c * 0.5) * 9000.0;
            pcm.samples[i * channels + c] = static_cast<int16_t>(std::lrint(v));
        }
    }
    return pcm;
}

Pcm Counter(size_t frames, uint32_t rate) {
    Pcm pcm;
    pcm.channels = 2;
    pcm.rate = rate;
    pcm.samples.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        pcm.samples[2 * i] = static_cast<int16_t>(i & 0x7FFF);
        pcm.samples[2 * i + 1] = static_cast<int16_t>(i >> 15);
    }
    return pcm;
}

namespace {
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutId(std::vector<uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

std::vector<uint8_t> Wav(const uint8_t* data, uint32_t dataBytes, uint16_t channels, uint32_t rate, uint16_t bits,
                         const WavOptions& o) {
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    Put32(b, 0);
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put32(b, o.fmtSize);
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Put16(b, 1);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    if (o.fmtSize >= 18) Put16(b, 0);
    if (o.listChunkBeforeData) {
        PutId(b, "LIST");
        Put32(b, 5);
        b.insert(b.end(), {'I', 'N', 'F', 'O', 'x', 0});  // 5 bytes and a pad byte
    }
    PutId(b, "data");
    Put32(b, dataBytes);
    b.insert(b.end(), data, data + dataBytes);
    if (dataBytes & 1) b.push_back(0);
    if (o.trailingChunk) {
        PutId(b, "junk");
        Put32(b, 8);
        for (int i = 0; i < 8; ++i) b.push_back(0x7F);
    }
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    std::memcpy(b.data() + 4, &riff, 4);
    return b;
}
}  // namespace

std::vector<uint8_t> MakeWav(const Pcm& pcm, const WavOptions& options) {
    return Wav(reinterpret_cast<const uint8_t*>(pcm.samples.data()),
               static_cast<uint32_t>(pcm.samples.size() * 2), pcm.channels, pcm.rate, 16, options);
}

std::vector<uint8_t> MakeWav8(const std::vector<uint8_t>& samples, uint16_t channels, uint32_t rate) {
    return Wav(samples.data(), static_cast<uint32_t>(samples.size()), channels, rate, 8, WavOptions{});
}

std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps, bool vbr) {
    lame_global_flags* gf = lame_init();
    lame_set_num_channels(gf, pcm.channels);
    lame_set_in_samplerate(gf, static_cast<int>(pcm.rate));
    lame_set_out_samplerate(gf, static_cast<int>(pcm.rate));
    lame_set_mode(gf, pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_quality(gf, 7);
    lame_set_bWriteVbrTag(gf, 1);
    if (vbr) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_quality(gf, 4.0f);
    } else {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, kbps);
    }
    lame_init_params(gf);
    std::vector<uint8_t> out;
    const size_t frames = pcm.Frames();
    const size_t chunk = 8192;
    std::vector<uint8_t> buf(chunk * 5 / 4 + 7200);
    std::vector<short> left(chunk), right(chunk);
    for (size_t at = 0; at < frames; at += chunk) {
        const size_t n = std::min(chunk, frames - at);
        for (size_t i = 0; i < n; ++i) {
            left[i] = pcm.samples[(at + i) * pcm.channels];
            right[i] = pcm.channels > 1 ? pcm.samples[(at + i) * pcm.channels + 1] : left[i];
        }
        int r = lame_encode_buffer(gf, left.data(), right.data(), static_cast<int>(n), buf.data(),
                                   static_cast<int>(buf.size()));
        if (r > 0) out.insert(out.end(), buf.data(), buf.data() + r);
    }
    int r = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
    if (r > 0) out.insert(out.end(), buf.data(), buf.data() + r);
    // The first frame is a placeholder for the info frame with the exact length.
    std::vector<uint8_t> tag(8192);
    size_t tagBytes = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tagBytes > 0 && tagBytes <= out.size()) std::memcpy(out.data(), tag.data(), tagBytes);
    lame_close(gf);
    return out;
}

std::vector<uint8_t> EncodeOgg(const Pcm& pcm, float quality) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    vorbis_encode_init_vbr(&vi, pcm.channels, static_cast<long>(pcm.rate), quality);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);
    std::vector<uint8_t> out;
    auto emitPage = [&](const ogg_page& og) {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) emitPage(og);

    const size_t frames = pcm.Frames();
    const size_t chunk = 4096;
    size_t at = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min(chunk, frames - at);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < pcm.channels; ++c)
                    buffer[c][i] = pcm.samples[(at + i) * pcm.channels + c] / 32768.0f;
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            at += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    emitPage(og);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace soundtest
