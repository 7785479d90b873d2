// Sound: decoding one minute of MP3 and of Ogg Vorbis the way the feeder thread reads
// them (10000-byte chunks), and mixing one second of output.
//
// The MP3 and Ogg files are encoded once at start from a generated tone; the
// encoders are loaded at run time so the benchmark needs no extra link libraries.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lame/lame.h>
#include <stdlib.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Sound/gvlACMStream.h"
#include "Sound/gvlVorbisStream.h"
#include "audio/sound_device.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kRate = 44100;

std::vector<short> ToneMinute() {
    std::vector<short> s(size_t(kSeconds) * kRate * 2);
    double phase = 0;
    for (size_t i = 0; i < s.size() / 2; ++i) {
        phase += 2 * M_PI * (330.0 + 220.0 * std::sin(double(i) / kRate * 0.7)) / kRate;
        s[2 * i] = short(std::sin(phase) * 9000);
        s[2 * i + 1] = short(std::sin(phase + 0.5) * 9000);
    }
    return s;
}

#define BIND(lib, name) auto p_##name = reinterpret_cast<decltype(&name)>(dlsym(lib, #name))

std::vector<unsigned char> EncodeMp3(const std::vector<short>& pcm) {
    std::vector<unsigned char> out;
    void* lib = dlopen("libmp3lame.so.0", RTLD_NOW);
    if (!lib) return out;
    BIND(lib, lame_init);
    BIND(lib, lame_set_num_channels);
    BIND(lib, lame_set_in_samplerate);
    BIND(lib, lame_set_brate);
    BIND(lib, lame_set_quality);
    BIND(lib, lame_init_params);
    BIND(lib, lame_encode_buffer_interleaved);
    BIND(lib, lame_encode_flush);
    BIND(lib, lame_close);
    lame_global_flags* gf = p_lame_init();
    p_lame_set_num_channels(gf, 2);
    p_lame_set_in_samplerate(gf, kRate);
    p_lame_set_brate(gf, 128);
    p_lame_set_quality(gf, 7);
    p_lame_init_params(gf);
    std::vector<unsigned char> buf(1 << 16);
    const int chunk = 8192;
    for (size_t at = 0; at < pcm.size() / 2; at += chunk) {
        int n = int(std::min<size_t>(chunk, pcm.size() / 2 - at));
        int r = p_lame_encode_buffer_interleaved(gf, const_cast<short*>(pcm.data() + at * 2), n, buf.data(),
                                                 int(buf.size()));
        if (r > 0) out.insert(out.end(), buf.begin(), buf.begin() + r);
    }
    int r = p_lame_encode_flush(gf, buf.data(), int(buf.size()));
    if (r > 0) out.insert(out.end(), buf.begin(), buf.begin() + r);
    p_lame_close(gf);
    return out;
}

std::vector<unsigned char> EncodeOgg(const std::vector<short>& pcm) {
    std::vector<unsigned char> out;
    void* lib = dlopen("libvorbisenc.so.2", RTLD_NOW);  // brings libvorbis and libogg
    if (!lib) return out;
    BIND(lib, vorbis_info_init);
    BIND(lib, vorbis_encode_init_vbr);
    BIND(lib, vorbis_comment_init);
    BIND(lib, vorbis_analysis_init);
    BIND(lib, vorbis_block_init);
    BIND(lib, ogg_stream_init);
    BIND(lib, vorbis_analysis_headerout);
    BIND(lib, ogg_stream_packetin);
    BIND(lib, ogg_stream_flush);
    BIND(lib, vorbis_analysis_buffer);
    BIND(lib, vorbis_analysis_wrote);
    BIND(lib, vorbis_analysis_blockout);
    BIND(lib, vorbis_analysis);
    BIND(lib, vorbis_bitrate_addblock);
    BIND(lib, vorbis_bitrate_flushpacket);
    BIND(lib, ogg_stream_pageout);
    BIND(lib, ogg_page_eos);
    vorbis_info vi;
    p_vorbis_info_init(&vi);
    p_vorbis_encode_init_vbr(&vi, 2, kRate, 0.3f);
    vorbis_comment vc;
    p_vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    p_vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    p_vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    p_ogg_stream_init(&os, 1);
    ogg_packet h1, h2, h3;
    p_vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
    p_ogg_stream_packetin(&os, &h1);
    p_ogg_stream_packetin(&os, &h2);
    p_ogg_stream_packetin(&os, &h3);
    ogg_page og;
    auto emit = [&] {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    while (p_ogg_stream_flush(&os, &og)) emit();
    size_t at = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min<size_t>(4096, pcm.size() / 2 - at);
        if (n == 0) {
            p_vorbis_analysis_wrote(&vd, 0);
        } else {
            float** b = p_vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i) {
                b[0][i] = pcm[(at + i) * 2] / 32768.0f;
                b[1][i] = pcm[(at + i) * 2 + 1] / 32768.0f;
            }
            p_vorbis_analysis_wrote(&vd, int(n));
            at += n;
        }
        while (p_vorbis_analysis_blockout(&vd, &vb) == 1) {
            p_vorbis_analysis(&vb, nullptr);
            p_vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (p_vorbis_bitrate_flushpacket(&vd, &op)) {
                p_ogg_stream_packetin(&os, &op);
                while (p_ogg_stream_pageout(&os, &og)) {
                    emit();
                    if (p_ogg_page_eos(&og)) eos = true;
                }
            }
        }
    }
    return out;  // encoder state is left to the end of the program
}

struct Fixtures {
    std::string dir;
    std::string mp3, ogg;
    Fixtures() {
        char tmpl[] = "/tmp/bench_sound_XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        const auto pcm = ToneMinute();
        mp3 = dir + "/minute.mp3";
        ogg = dir + "/minute.ogg";
        Write(mp3, EncodeMp3(pcm));
        Write(ogg, EncodeOgg(pcm));
    }
    ~Fixtures() {
        std::remove(mp3.c_str());
        std::remove(ogg.c_str());
        rmdir(dir.c_str());
    }
    static void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
};

Fixtures& Files() {
    static Fixtures fixtures;
    return fixtures;
}

template <typename Stream>
void DecodeMinute(benchmark::State& state, const std::string& path) {
    std::vector<unsigned char> chunk(10000);
    size_t total = 0;
    for (auto _ : state) {
        Stream stream;
        if (stream.Open(path.c_str()) != 0) {
            state.SkipWithError("fixture did not open");
            return;
        }
        total = 0;
        for (;;) {
            unsigned got = stream.Read(chunk.data(), unsigned(chunk.size()));
            if (got == 0 || got > chunk.size()) break;
            total += got;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
    state.counters["audio_s"] = double(total) / (kRate * 4);
    state.counters["x_realtime"] =
        benchmark::Counter(double(total) / (kRate * 4), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodeMp3Minute(benchmark::State& state) { DecodeMinute<CACMStream>(state, Files().mp3); }
void BM_DecodeOggMinute(benchmark::State& state) { DecodeMinute<CVorbisStream>(state, Files().ogg); }

// One second of output with a 44100 Hz stereo buffer and a 22050 Hz mono one (resampled).
void BM_MixOneSecond(benchmark::State& state) {
    auto device = audio::SoundDevice::Create(audio::SoundDevice::Output::Null);
    std::shared_ptr<audio::SoundBuffer> a, b;
    audio::BufferDesc desc;
    desc.bytes = kRate * 4;
    desc.format = audio::MakePcmFormat(2, kRate, 16);
    device->CreateBuffer(desc, &a);
    desc.bytes = 22050 * 2;
    desc.format = audio::MakePcmFormat(1, 22050, 16);
    device->CreateBuffer(desc, &b);
    a->SetVolume(-600);
    a->Play(audio::kPlayLooping);
    b->Play(audio::kPlayLooping);
    std::vector<int16_t> out(size_t(kRate) * 2);
    for (auto _ : state) {
        device->Pull(out.data(), kRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_DecodeMp3Minute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOggMinute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixOneSecond)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
