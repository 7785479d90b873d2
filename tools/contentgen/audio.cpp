#include "audio.h"

#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "canvas.h"

namespace cg {

namespace {

constexpr double kTau = 6.283185307179586;

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// A stereo mix buffer in floating point.  A circular one is a loop: what sounds past
// its end goes on at its start.
struct Bus {
    int rate;
    bool circular;
    std::vector<float> l, r;
    Bus(int rate_, size_t frames, bool circular_ = false) : rate(rate_), circular(circular_), l(frames), r(frames) {}
    void Add(size_t i, float v, float pan) {
        if (i >= l.size()) {
            if (!circular || l.empty()) return;
            i %= l.size();
        }
        l[i] += v * (1.0f - pan);
        r[i] += v * pan;
    }
};

double Osc(int shape, double phase) {
    double p = phase - std::floor(phase);
    switch (shape) {
        case 0: return p < 0.5 ? 0.6 : -0.6;                            // square
        case 1: return 4.0 * std::fabs(p - 0.5) - 1.0;                  // triangle
        case 2: return 2.0 * p - 1.0;                                   // saw
        default: return std::sin(kTau * p);                             // sine
    }
}

// Attack-decay-sustain-release envelope at time t of a note lasting `len` seconds.
double Env(double t, double len, double a, double d, double s, double r) {
    if (t < 0) return 0;
    double v;
    if (t < a) v = t / a;
    else if (t < a + d) v = 1.0 - (1.0 - s) * (t - a) / d;
    else v = s;
    if (t > len) v *= std::max(0.0, 1.0 - (t - len) / r);
    return v;
}

void Note(Bus& m, double start, double len, double hz, int shape, float gain, float pan, double a, double d, double s,
          double r, double vibrato = 0.0) {
    size_t i0 = static_cast<size_t>(start * m.rate);
    size_t n = static_cast<size_t>((len + r) * m.rate);
    double phase = 0;
    for (size_t k = 0; k < n; ++k) {
        double t = double(k) / m.rate;
        double f = hz * (1.0 + vibrato * std::sin(kTau * 5.5 * t) * std::min(1.0, t * 2));
        phase += f / m.rate;
        m.Add(i0 + k, static_cast<float>(Osc(shape, phase) * Env(t, len, a, d, s, r) * gain), pan);
    }
}

void Kick(Bus& m, double start, float gain) {
    size_t i0 = static_cast<size_t>(start * m.rate);
    double phase = 0;
    for (size_t k = 0; k < static_cast<size_t>(0.25 * m.rate); ++k) {
        double t = double(k) / m.rate;
        phase += (45 + 110 * std::exp(-t * 30)) / m.rate;
        m.Add(i0 + k, static_cast<float>(std::sin(kTau * phase) * std::exp(-t * 12) * gain), 0.5f);
    }
}

void NoiseHit(Bus& m, double start, double len, float gain, uint32_t seed, float tone, float pan) {
    size_t i0 = static_cast<size_t>(start * m.rate);
    Rng rng(seed);
    float lp = 0;
    for (size_t k = 0; k < static_cast<size_t>(len * m.rate); ++k) {
        double t = double(k) / m.rate;
        float w = rng.Unit() * 2 - 1;
        lp += (w - lp) * tone;  // tone 1: bright, small: dull
        m.Add(i0 + k, static_cast<float>(lp * std::exp(-t * 6 / len) * gain), pan);
    }
}

Pcm ToPcm(const Bus& m, float master) {
    Pcm p;
    p.rate = m.rate;
    p.channels = 2;
    p.samples.resize(m.l.size() * 2);
    for (size_t i = 0; i < m.l.size(); ++i) {
        // Soft clipping keeps loud passages round.
        float a = std::tanh(m.l[i] * master), b = std::tanh(m.r[i] * master);
        p.samples[2 * i] = static_cast<int16_t>(std::lround(a * 30000));
        p.samples[2 * i + 1] = static_cast<int16_t>(std::lround(b * 30000));
    }
    return p;
}

// Scales the samples so that the loudest one reaches `target` (at most 4 times louder).
void Normalise(Pcm& p, int target) {
    int peak = 0;
    for (int16_t v : p.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
    if (peak == 0) return;
    double g = std::min(4.0, double(target) / peak);
    for (int16_t& v : p.samples) v = static_cast<int16_t>(std::lround(v * g));
}

}  // namespace

Pcm RenderSong(const SongStyle& st) {
    const int rate = 44100;
    Rng rng(st.seed * 7919u + 13);
    // The loop lasts whole steps of 10 ms; the beat follows from it.
    const int step = rate / 100;
    const long loopSteps = std::max(1L, std::lround(st.bars * 4 * 60.0 / st.bpm * rate / step));
    const size_t loopFrames = static_cast<size_t>(loopSteps) * step;
    double loopLen = double(loopFrames) / rate;
    double bar = loopLen / st.bars;
    double beat = bar / 4;
    double total = loopLen * std::max(1, st.loops);
    Bus m(rate, loopFrames * std::max(1, st.loops), !st.ending);

    const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    const int minor[7] = {0, 2, 3, 5, 7, 8, 10};
    const int* scale = st.minor ? minor : major;
    // A chord progression of scale degrees, one chord a bar.
    const int progs[4][4] = {{0, 5, 3, 4}, {0, 3, 4, 0}, {0, 6, 5, 4}, {0, 4, 5, 3}};
    const int* prog = progs[rng.Range(0, 3)];
    auto degreeNote = [&](int deg, int octave) {
        int o = deg / 7 + (deg < 0 && deg % 7 ? -1 : 0);
        int d = ((deg % 7) + 7) % 7;
        return st.root + 12 * (octave + o) + scale[d];
    };
    // The melody of one loop: a phrase of eighth notes over the chords, made once.
    std::vector<int> melody(st.bars * 8);
    int deg = 2;
    for (size_t i = 0; i < melody.size(); ++i) {
        int step = rng.Range(-2, 2);
        deg = std::clamp(deg + step, -2, 9);
        bool rest = rng.Unit() < 0.25 - 0.15 * st.energy;
        melody[i] = rest ? -999 : deg;
    }

    for (double t0 = 0; t0 < total - 1e-6; t0 += loopLen) {
        for (int b = 0; b < st.bars; ++b) {
            double bt = t0 + b * bar;
            if (bt >= total) break;
            int chord = prog[b % 4];
            bool last = st.ending && bt + bar >= total - 1e-6;
            if (last) chord = 0;
            // Pad: the chord's three notes, held for the bar.
            for (int k = 0; k < 3; ++k)
                Note(m, bt, bar * 0.95, NoteHz(degreeNote(chord + 2 * k, 0)), 1, 0.07f, 0.3f + 0.2f * k, 0.08, 0.3, 0.7,
                     0.2);
            // Bass on the beats.
            for (int q = 0; q < 4; ++q) {
                int bassDeg = (q == 2 && st.energy > 0.5) ? chord + 4 : chord;
                Note(m, bt + q * beat, beat * 0.8, NoteHz(degreeNote(bassDeg, -1)), 1, 0.22f, 0.5f, 0.005, 0.1, 0.6,
                     0.05);
            }
            // Arpeggio in sixteenths when the music drives.
            if (st.energy > 0.55)
                for (int s = 0; s < 16; ++s) {
                    int d = chord + 2 * (s % 3);
                    Note(m, bt + s * beat / 4, beat / 4 * 0.7, NoteHz(degreeNote(d, 1)), 0, 0.035f, 0.75f, 0.002, 0.05,
                         0.3, 0.03);
                }
            // Melody.
            for (int e = 0; e < 8; ++e) {
                int md = melody[(b * 8 + e) % melody.size()];
                if (md == -999) continue;
                if (last && e > 0) break;
                double len = last ? bar : beat / 2 * 0.9;
                Note(m, bt + e * beat / 2, len, NoteHz(degreeNote(last ? 7 : md, 1)), st.lead, 0.11f, 0.45f, 0.01, 0.12,
                     0.55, 0.08, st.lead == 3 ? 0.004 : 0.0);
            }
            // Drums.
            if (st.drums && !last)
                for (int q = 0; q < 4; ++q) {
                    if (q % 2 == 0 || st.energy > 0.8) Kick(m, bt + q * beat, 0.5f);
                    if (q % 2 == 1) NoiseHit(m, bt + q * beat, 0.12, 0.18f, st.seed + b * 4 + q, 0.6f, 0.55f);
                    NoiseHit(m, bt + q * beat + beat / 2, 0.04, 0.07f, st.seed + 99 + b * 4 + q, 0.95f, 0.35f);
                }
        }
    }
    Pcm p = ToPcm(m, 1.0f);
    Normalise(p, kMusicPeak);
    if (st.ending) {  // a short fade so the last chord does not click
        size_t frames = p.samples.size() / 2, fade = std::min<size_t>(frames, rate / 2);
        for (size_t i = 0; i < fade; ++i) {
            size_t f = frames - fade + i;
            double g = 1.0 - double(i) / fade;
            p.samples[2 * f] = static_cast<int16_t>(p.samples[2 * f] * g);
            p.samples[2 * f + 1] = static_cast<int16_t>(p.samples[2 * f + 1] * g);
        }
    }
    return p;
}

Pcm RenderEffect(Effect e) {
    const int rate = 44100;
    Bus m(rate, rate);  // effects last at most a second
    double len = 0.3;
    switch (e) {
        case Effect::Ok:
            Note(m, 0.0, 0.05, 880, 0, 0.3f, 0.5f, 0.002, 0.03, 0.6, 0.03);
            Note(m, 0.06, 0.08, 1320, 0, 0.3f, 0.5f, 0.002, 0.03, 0.6, 0.05);
            len = 0.22;
            break;
        case Effect::Cancel:
            Note(m, 0.0, 0.05, 660, 0, 0.3f, 0.5f, 0.002, 0.03, 0.6, 0.03);
            Note(m, 0.06, 0.08, 440, 0, 0.3f, 0.5f, 0.002, 0.03, 0.6, 0.05);
            len = 0.22;
            break;
        case Effect::Cursor:
            Note(m, 0.0, 0.025, 1760, 1, 0.3f, 0.5f, 0.001, 0.02, 0.5, 0.02);
            len = 0.06;
            break;
        case Effect::Warp1:
        case Effect::Warp2: {
            bool up = e == Effect::Warp1;
            double phase = 0;
            len = up ? 0.45 : 0.6;
            for (size_t k = 0; k < static_cast<size_t>(len * rate); ++k) {
                double t = double(k) / rate, x = t / len;
                double f = up ? 300 + 1500 * x * x : 1400 - 1100 * x;
                phase += f / rate;
                double v = std::sin(kTau * phase) * 0.5 + 0.25 * std::sin(kTau * phase * 2.01);
                m.Add(k, static_cast<float>(v * std::sin(3.14159 * x) * 0.5), 0.5f);
            }
            break;
        }
        case Effect::Beep:
            Note(m, 0.0, 0.09, 1046.5, 3, 0.45f, 0.5f, 0.002, 0.02, 0.8, 0.04);
            len = 0.15;
            break;
        case Effect::Hit:
            Kick(m, 0.0, 0.8f);
            NoiseHit(m, 0.0, 0.18, 0.6f, 9, 0.5f, 0.5f);
            len = 0.3;
            break;
        case Effect::Swing: {
            Rng rng(37);
            float lp = 0;
            len = 0.32;
            for (size_t k = 0; k < static_cast<size_t>(len * rate); ++k) {
                double x = double(k) / (len * rate);
                float tone = static_cast<float>(0.05 + 0.4 * std::sin(3.14159 * x));
                lp += ((rng.Unit() * 2 - 1) - lp) * tone;
                m.Add(k, static_cast<float>(lp * std::sin(3.14159 * x) * 0.7), static_cast<float>(0.2 + 0.6 * x));
            }
            break;
        }
        case Effect::BladeHit:
            NoiseHit(m, 0.0, 0.08, 0.5f, 21, 0.9f, 0.5f);
            for (double f : {1870.0, 2630.0, 3410.0})
                Note(m, 0.0, 0.02, f, 3, 0.12f, 0.5f, 0.001, 0.3, 0.0, 0.3);
            len = 0.45;
            break;
        case Effect::Chime:
            for (int k = 0; k < 3; ++k) Note(m, k * 0.09, 0.1, NoteHz(72 + 4 * k), 3, 0.25f, 0.5f, 0.002, 0.2, 0.3, 0.3);
            len = 0.75;
            break;
        case Effect::Drum:
            Kick(m, 0.0, 0.9f);
            NoiseHit(m, 0.1, 0.2, 0.3f, 5, 0.3f, 0.5f);
            len = 0.5;
            break;
    }
    m.l.resize(static_cast<size_t>(len * rate));
    m.r.resize(static_cast<size_t>(len * rate));
    // Mono for effects: fold the two sides.
    Pcm p;
    p.rate = rate;
    p.channels = 1;
    p.samples.resize(m.l.size());
    for (size_t i = 0; i < m.l.size(); ++i)
        p.samples[i] = static_cast<int16_t>(std::lround(std::tanh(m.l[i] + m.r[i]) * 30000));
    Normalise(p, kEffectPeak);
    return p;
}

// --- file forms -------------------------------------------------------------------------

std::vector<uint8_t> EncodeWav(const Pcm& pcm) {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    uint32_t data = static_cast<uint32_t>(pcm.samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);  // PCM
    u16(static_cast<uint16_t>(pcm.channels));
    u32(static_cast<uint32_t>(pcm.rate));
    u32(static_cast<uint32_t>(pcm.rate * pcm.channels * 2));
    u16(static_cast<uint16_t>(pcm.channels * 2));
    u16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    u32(data);
    for (int16_t s : pcm.samples) u16(static_cast<uint16_t>(s));
    return out;
}

std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps) {
    std::vector<uint8_t> out;
    lame_t lame = lame_init();
    if (!lame) return out;
    lame_set_in_samplerate(lame, pcm.rate);
    lame_set_out_samplerate(lame, pcm.rate);
    lame_set_num_channels(lame, pcm.channels);
    lame_set_mode(lame, pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, kbps);
    lame_set_VBR(lame, vbr_off);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return out;
    }
    const int chunk = 8192;
    std::vector<unsigned char> buf(static_cast<size_t>(1.25 * chunk + 7200));
    size_t frames = pcm.samples.size() / pcm.channels;
    std::vector<short> left(chunk), right(chunk);
    for (size_t f = 0; f < frames; f += chunk) {
        int n = static_cast<int>(std::min<size_t>(chunk, frames - f));
        int bytes;
        if (pcm.channels == 2) {
            bytes = lame_encode_buffer_interleaved(lame, const_cast<short*>(&pcm.samples[2 * f]), n, buf.data(),
                                                   static_cast<int>(buf.size()));
        } else {
            bytes = lame_encode_buffer(lame, &pcm.samples[f], nullptr, n, buf.data(), static_cast<int>(buf.size()));
        }
        if (bytes < 0) {
            lame_close(lame);
            return {};
        }
        out.insert(out.end(), buf.begin(), buf.begin() + bytes);
    }
    int bytes = lame_encode_flush(lame, buf.data(), static_cast<int>(buf.size()));
    if (bytes > 0) out.insert(out.end(), buf.begin(), buf.begin() + bytes);
    // The first frame was kept free for the info frame, known only now.
    std::vector<unsigned char> tag(buf.size());
    size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
    lame_close(lame);
    if (tagBytes == 0 || tagBytes > out.size()) return {};
    std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tagBytes), out.begin());
    return out;
}

std::vector<uint8_t> EncodeOgg(const Pcm& pcm, float quality, uint32_t serial) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, pcm.channels, pcm.rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "VORMANT demo music");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, static_cast<int>(serial));  // a fixed serial keeps the bytes stable
    ogg_packet hdr, hdrComm, hdrCode;
    vorbis_analysis_headerout(&vd, &vc, &hdr, &hdrComm, &hdrCode);
    ogg_stream_packetin(&os, &hdr);
    ogg_stream_packetin(&os, &hdrComm);
    ogg_stream_packetin(&os, &hdrCode);
    ogg_page og;
    auto putPage = [&]() {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    while (ogg_stream_flush(&os, &og)) putPage();

    size_t frames = pcm.samples.size() / pcm.channels;
    const size_t chunk = 4096;
    // Until a last round with nothing left tells the encoder that the piece is over, so
    // that it codes the samples it still holds.
    for (size_t f = 0;; f += chunk) {
        size_t n = std::min(chunk, frames - std::min(frames, f));
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int ch = 0; ch < pcm.channels; ++ch)
                    buffer[ch][i] = pcm.samples[(f + i) * pcm.channels + ch] / 32768.0f;
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) putPage();
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&os, &og)) putPage();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

// --- all sounds -------------------------------------------------------------------------

namespace {

struct Piece {
    const char* file;
    SongStyle style;
};

SongStyle Style(uint32_t seed, double bpm, int bars, int root, bool minor, int lead, bool drums, double energy,
                int loops = 1, bool ending = false) {
    SongStyle s;
    s.seed = seed;
    s.bpm = bpm;
    s.bars = bars;
    s.root = root;
    s.minor = minor;
    s.lead = lead;
    s.drums = drums;
    s.energy = energy;
    s.loops = loops;
    s.ending = ending;
    return s;
}

}  // namespace

int WriteAllSounds(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const std::vector<uint8_t>& bytes) {
        if (!bytes.empty() && WriteBytes(dir + "/" + rel, bytes)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot make %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };

    // Music: every file of the BGM table. Short loops of a few bars; the ending theme
    // (its loop twice) and the long sad piece (one slow loop) last more than 30 seconds
    // so that they are streamed.
    const Piece pieces[] = {
        {"agrippina.mp3", Style(1, 96, 8, 57, true, 3, false, 0.3)},
        {"battle1.mp3", Style(2, 150, 8, 52, true, 2, true, 0.9)},
        {"battle2.mp3", Style(3, 140, 8, 50, true, 0, true, 0.85)},
        {"gulf.mp3", Style(5, 84, 8, 55, false, 3, false, 0.3)},
        {"terror.mp3", Style(6, 72, 8, 48, true, 2, true, 0.6)},
        {"relaie.mp3", Style(7, 104, 8, 60, false, 1, true, 0.5)},
        {"rest_anx.mp3", Style(8, 90, 8, 53, true, 1, false, 0.4)},
        {"badend1.mp3", Style(9, 66, 4, 55, true, 3, false, 0.2, 1, true)},
        {"badend_long.mp3", Style(10, 62, 8, 55, true, 3, false, 0.2)},
        {"fatman.mp3", Style(11, 120, 8, 58, false, 0, true, 0.7)},
        {"zov_lstbtl.mp3", Style(12, 160, 8, 49, true, 2, true, 1.0)},
        {"zov_Soramdoh.mp3", Style(13, 100, 8, 62, false, 3, true, 0.5)},
        {"zov_Title.mp3", Style(14, 92, 8, 57, false, 1, true, 0.55, 2)},
        {"zov_Unsatisfy2.mp3", Style(15, 110, 8, 51, true, 0, true, 0.65)},
        {"Timeliness_pre1.mp3", Style(16, 126, 8, 56, true, 2, true, 0.75)},
        {"Roster.mp3", Style(18, 108, 8, 60, false, 1, true, 0.45)},
        {"flv.mp3", Style(21, 116, 8, 54, false, 0, true, 0.6)},
        {"bat1_a.mp3", Style(22, 146, 8, 52, true, 0, true, 0.9)},
        {"jekka_prt.mp3", Style(23, 98, 8, 59, true, 3, true, 0.5)},
        {"clear.mp3", Style(101, 120, 4, 60, false, 0, true, 0.7, 1, true)},
    };
    for (const Piece& p : pieces) put(std::string("BGM/") + p.file, EncodeMp3(RenderSong(p.style), 128));

    // Ogg Vorbis music: a short loop and a piece long enough to stream.
    put("BGM/demo_loop.ogg", EncodeOgg(RenderSong(Style(31, 112, 4, 57, false, 1, true, 0.6)), 0.3f, 0x564F5201));
    put("BGM/demo_long.ogg", EncodeOgg(RenderSong(Style(32, 96, 8, 55, true, 3, true, 0.5, 2)), 0.3f, 0x564F5202));

    // Sound effects: the id table's files and the names the field and battles play.
    put("sound/se-001.mp3", EncodeMp3(RenderEffect(Effect::Chime), 96));
    put("sound/se-038.mp3", EncodeMp3(RenderEffect(Effect::Drum), 96));
    put("sound/BladeHit.wav", EncodeWav(RenderEffect(Effect::BladeHit)));
    put("sound/ok.wav", EncodeWav(RenderEffect(Effect::Ok)));
    put("sound/cancel.wav", EncodeWav(RenderEffect(Effect::Cancel)));
    put("sound/cursol.wav", EncodeWav(RenderEffect(Effect::Cursor)));
    put("sound/warp01.wav", EncodeWav(RenderEffect(Effect::Warp1)));
    put("sound/warp02.wav", EncodeWav(RenderEffect(Effect::Warp2)));
    put("sound/pi73.wav", EncodeWav(RenderEffect(Effect::Beep)));
    put("sound/hit_s09.wav", EncodeWav(RenderEffect(Effect::Hit)));
    put("sound/swing37_b.wav", EncodeWav(RenderEffect(Effect::Swing)));
    return failures;
}

}  // namespace cg
