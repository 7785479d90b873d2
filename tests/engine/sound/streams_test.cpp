// Decoding WAV, MP3 and Ogg Vorbis files of our own, and refusing broken ones.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <regex>

#include "Sound/gvlACMStream.h"
#include "Sound/gvlSoundStream.h"
#include "Sound/gvlVorbisStream.h"
#include "Sound/gvlWaveStream.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "sound_fixtures.h"

namespace {

using soundtest::Pcm;

std::vector<int16_t> ReadAll(ISoundStream& stream, unsigned chunk = 4096) {
    std::vector<int16_t> out;
    std::vector<uint8_t> buf(chunk);
    for (;;) {
        const unsigned got = stream.Read(buf.data(), chunk);
        if (got == 0 || got > chunk) break;
        const size_t at = out.size();
        out.resize(at + got / 2);
        std::memcpy(out.data() + at, buf.data(), got / 2 * 2);
    }
    return out;
}

class SoundStreams : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd{dir.path()};
};

constexpr size_t kMp3Frame = 1152;

TEST_F(SoundStreams, WaveDecodesToTheExactSamplesAndStopsAtTheDataChunk) {
    const Pcm pcm = soundtest::Tone(0.5);
    soundtest::WavOptions o;
    o.listChunkBeforeData = true;
    o.trailingChunk = true;
    o.fmtSize = 18;
    soundtest::WriteFile("tone.wav", soundtest::MakeWav(pcm, o));

    std::unique_ptr<ISoundStream> s(CreateSoundStream("tone.wav"));
    ASSERT_TRUE(s);
    ASSERT_NE(dynamic_cast<CWaveStream*>(s.get()), nullptr);
    const WAVEFORMATEX* f = s->GetFormat();
    EXPECT_EQ(f->formatTag, 1);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->samplesPerSec, 44100u);
    EXPECT_EQ(f->avgBytesPerSec, 176400u);
    EXPECT_EQ(s->GetLength(), 500);
    EXPECT_EQ(ReadAll(*s, 1000), pcm.samples);  // the trailing chunk is not sound
    std::vector<uint8_t> more(16);
    EXPECT_EQ(s->Read(more.data(), 16), 0u);

    // Seeking lands on whole frames.
    EXPECT_EQ(s->Seek(1), 0);  // 176.4 bytes -> frame 44
    int16_t frame[2];
    ASSERT_EQ(s->Read(frame, 4), 4u);
    EXPECT_EQ(frame[0], pcm.samples[88]);
    EXPECT_EQ(frame[1], pcm.samples[89]);
    EXPECT_EQ(s->Seek(-1), 1);
    EXPECT_EQ(s->Seek(500), 2);
    EXPECT_EQ(s->Seek(0), 0);
    EXPECT_EQ(s->GetPosition(), 0);
}

TEST_F(SoundStreams, WaveReadPastTheEndGivesFewerBytesThenNothing) {
    Pcm pcm = soundtest::Counter(100);
    soundtest::WriteFile("c.wav", soundtest::MakeWav(pcm));
    CWaveStream s;
    ASSERT_EQ(s.Open("c.wav"), 0);
    std::vector<uint8_t> buf(300);
    EXPECT_EQ(s.Read(buf.data(), 300), 300u);
    EXPECT_EQ(s.Read(buf.data(), 300), 100u);
    EXPECT_EQ(s.Read(buf.data(), 300), 0u);
}

// A pack file standing in for a folder: "VPK", then name, 0, size, offset per member,
// a 0 after the directory, and the members' bytes xor 0xE7.
std::vector<uint8_t> PackOf(const std::string& name, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    for (char c : std::string("VPK") + name) out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
    const uint32_t size = static_cast<uint32_t>(data.size());
    const uint32_t offset = static_cast<uint32_t>(3 + name.size() + 1 + 8 + 1);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(offset >> (8 * i)));
    out.push_back(0);
    for (uint8_t b : data) out.push_back(b ^ 0xE7);
    return out;
}

TEST_F(SoundStreams, PackedWaveAndMp3FilesPlay) {
    const Pcm pcm = soundtest::Tone(0.3);
    soundtest::WriteFile("sound.pck", PackOf("hit.wav", soundtest::MakeWav(pcm)));
    std::unique_ptr<ISoundStream> wav(CreateSoundStream("./sound/hit.wav"));
    ASSERT_TRUE(wav);
    EXPECT_EQ(ReadAll(*wav), pcm.samples);

    soundtest::WriteFile("BGM.pck", PackOf("theme.mp3", soundtest::EncodeMp3(pcm, 128)));
    std::unique_ptr<ISoundStream> mp3(CreateSoundStream("./BGM/theme.mp3"));
    ASSERT_TRUE(mp3);
    EXPECT_NEAR(double(ReadAll(*mp3).size() / 2), double(pcm.Frames()), kMp3Frame);
}

TEST_F(SoundStreams, UpperCaseWavExtensionStillOpensAsAWaveFile) {
    soundtest::WriteFile("LOUD.WAV", soundtest::MakeWav(soundtest::Counter(1000)));
    std::unique_ptr<ISoundStream> s(CreateSoundStream("loud.WAV"));
    ASSERT_TRUE(s);
    EXPECT_NE(dynamic_cast<CWaveStream*>(s.get()), nullptr);
}

TEST_F(SoundStreams, EightBitMonoWaveKeepsItsFormat) {
    std::vector<uint8_t> samples(11025);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i);
    soundtest::WriteFile("m8.wav", soundtest::MakeWav8(samples, 1, 11025));
    CWaveStream s;
    ASSERT_EQ(s.Open("m8.wav"), 0);
    EXPECT_EQ(s.GetFormat()->bitsPerSample, 8);
    EXPECT_EQ(s.GetFormat()->channels, 1);
    EXPECT_EQ(s.GetLength(), 1000);
}

TEST_F(SoundStreams, BrokenWaveFilesAreRefusedWithALogLine) {
    const std::vector<uint8_t> good = soundtest::MakeWav(soundtest::Counter(1000));
    // Cut inside the "fmt " chunk.
    soundtest::WriteFile("cut.wav", std::vector<uint8_t>(good.begin(), good.begin() + 26));
    CWaveStream s;
    EXPECT_EQ(s.Open("cut.wav"), 2);
    EXPECT_NE(g_ErrorLog.GetLastText().find("cut.wav"), std::string::npos);
    // The line names the code that wrote it from the source root, wherever the sources
    // were built (and this test's own failures name it so too).
    EXPECT_TRUE(std::regex_match(g_ErrorLog.GetLastText(),
                                 std::regex(R"(src/engine/Sound/gvlWaveStream\.cpp\(\d+\): .*cut\.wav)")))
        << g_ErrorLog.GetLastText();
    EXPECT_STREQ(__FILE__, "tests/engine/sound/streams_test.cpp");
    EXPECT_EQ(CreateSoundStream("cut.wav"), nullptr);

    // Not a wave file at all.
    soundtest::WriteFile("text.wav", std::vector<uint8_t>(200, 'x'));
    EXPECT_EQ(s.Open("text.wav"), 2);
    EXPECT_NE(g_ErrorLog.GetLastText().find("text.wav"), std::string::npos);

    // Missing file.
    EXPECT_EQ(s.Open("missing.wav"), 1);
    EXPECT_NE(g_ErrorLog.GetLastText().find("missing.wav"), std::string::npos);

    // Compressed data in a ".wav" is not plain PCM.
    std::vector<uint8_t> adpcm = good;
    adpcm[20] = 2;
    soundtest::WriteFile("adpcm.wav", adpcm);
    EXPECT_EQ(s.Open("adpcm.wav"), 2);

    // No "data" chunk.
    soundtest::WriteFile("nodata.wav", std::vector<uint8_t>(good.begin(), good.begin() + 36));
    EXPECT_EQ(s.Open("nodata.wav"), 2);
}

TEST_F(SoundStreams, TruncatedWaveDataPlaysWhatIsThereInWholeFrames) {
    const Pcm pcm = soundtest::Counter(1000);
    std::vector<uint8_t> bytes = soundtest::MakeWav(pcm);
    bytes.resize(bytes.size() - 1001);  // 250 frames and one byte missing
    soundtest::WriteFile("short.wav", bytes);
    CWaveStream s;
    ASSERT_EQ(s.Open("short.wav"), 0);
    EXPECT_NE(g_ErrorLog.GetLastText().find("short.wav"), std::string::npos);
    EXPECT_EQ(s.GetDataSize(), 749u * 4);
    auto got = ReadAll(s);
    ASSERT_EQ(got.size(), 749u * 2);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), pcm.samples.begin()));
}

TEST_F(SoundStreams, Mp3DecodesToTheToneLength) {
    const Pcm pcm = soundtest::Tone(3.0);
    soundtest::WriteFile("tone.mp3", soundtest::EncodeMp3(pcm, 128));
    std::unique_ptr<ISoundStream> s(CreateSoundStream("tone.mp3"));
    ASSERT_TRUE(s);
    ASSERT_NE(dynamic_cast<CACMStream*>(s.get()), nullptr);
    const WAVEFORMATEX* f = s->GetFormat();
    EXPECT_EQ(f->formatTag, 1);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->samplesPerSec, 44100u);
    EXPECT_EQ(f->bitsPerSample, 16);
    // The encoder's info frame gives its delay and padding: exactly the samples encoded.
    EXPECT_EQ(s->GetLength(), 3000);
    const auto got = ReadAll(*s, 4096);
    EXPECT_EQ(got.size(), pcm.samples.size());
    // The decoded tone follows the original closely (lossy, so not exactly).
    double err = 0, ref = 0;
    for (size_t i = 0; i < std::min(got.size(), pcm.samples.size()); ++i) {
        err += std::abs(got[i] - pcm.samples[i]);
        ref += std::abs(pcm.samples[i]);
    }
    EXPECT_LT(err / ref, 0.2);

    // Rewinding starts the same samples again.
    ASSERT_EQ(s->Seek(0), 0);
    std::vector<int16_t> again(2000);
    ASSERT_EQ(s->Read(again.data(), 4000), 4000u);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), got.begin()));
    EXPECT_EQ(s->Seek(1000), 0);
    EXPECT_EQ(s->GetPosition(), 1000);
    ASSERT_EQ(s->Read(again.data(), 4000), 4000u);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), got.begin() + 44100 * 2));
    EXPECT_EQ(s->Seek(s->GetLength()), 2);
    EXPECT_EQ(s->Seek(-1), 1);
}

TEST_F(SoundStreams, VariableBitRateMp3GetsItsTrueLength) {
    const Pcm pcm = soundtest::Tone(4.0, 1, 44100);
    soundtest::WriteFile("vbr.mp3", soundtest::EncodeMp3(pcm, 0, true));
    CACMStream s;
    ASSERT_EQ(s.Open("vbr.mp3"), 0);
    EXPECT_EQ(s.GetFormat()->channels, 1);
    EXPECT_EQ(s.GetLength(), 4000);
    EXPECT_EQ(ReadAll(s, 3000).size(), pcm.samples.size());
}

TEST_F(SoundStreams, Mp3TagsAreSkipped) {
    const Pcm pcm = soundtest::Tone(1.0);
    const std::vector<uint8_t> mp3 = soundtest::EncodeMp3(pcm, 128);
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0x0A};
    tagged.insert(tagged.end(), 10, 0);  // ten bytes of payload
    tagged.insert(tagged.end(), mp3.begin(), mp3.end());
    std::vector<uint8_t> v1(128, ' ');
    std::memcpy(v1.data(), "TAG", 3);
    tagged.insert(tagged.end(), v1.begin(), v1.end());
    soundtest::WriteFile("tagged.mp3", tagged);
    CACMStream s;
    ASSERT_EQ(s.Open("tagged.mp3"), 0);
    EXPECT_EQ(s.GetDataOffset(), 20u);
    EXPECT_EQ(s.GetDataSize(), mp3.size());
    EXPECT_NEAR(double(ReadAll(s).size() / 2), double(pcm.Frames()), kMp3Frame);
}

TEST_F(SoundStreams, Mp3InsideARiffWaveFilePlays) {
    const Pcm pcm = soundtest::Tone(1.0);
    const std::vector<uint8_t> mp3 = soundtest::EncodeMp3(pcm, 128);
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 30, 0, 0, 0};
    const uint8_t fmt[30] = {0x55, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x00, 0x3E, 0, 0, 1, 0, 0, 0, 12, 0,
                             1,    0, 2, 0, 0,    0,    0x80, 1, 1, 0, 0x71, 5};
    b.insert(b.end(), fmt, fmt + 30);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    const uint32_t n = static_cast<uint32_t>(mp3.size());
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(n >> (8 * i)));
    b.insert(b.end(), mp3.begin(), mp3.end());
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
    soundtest::WriteFile("riff.mp3", b);
    CACMStream s;
    ASSERT_EQ(s.Open("riff.mp3"), 0);
    EXPECT_EQ(s.GetSourceFormat().formatTag, 0x55);
    EXPECT_NEAR(double(ReadAll(s).size() / 2), double(pcm.Frames()), kMp3Frame);

    // Named "WAV" in upper case, the wave reader refuses the MP3 data and the
    // compressed-audio reader takes the file; named "wav", it stays refused.
    soundtest::WriteFile("RIFF.WAV", b);
    std::unique_ptr<ISoundStream> named(CreateSoundStream("RIFF.WAV"));
    ASSERT_TRUE(named);
    EXPECT_NE(dynamic_cast<CACMStream*>(named.get()), nullptr);
    soundtest::WriteFile("riff.wav", b);
    g_ErrorLog.SetMode(0);
    EXPECT_EQ(CreateSoundStream("riff.wav"), nullptr);
    g_ErrorLog.SetMode(1);

    // Plain PCM is refused by the compressed-audio reader.
    soundtest::WriteFile("pcm.bin", soundtest::MakeWav(soundtest::Counter(1000)));
    EXPECT_EQ(s.Open("pcm.bin"), 2);
}

TEST_F(SoundStreams, BadMp3FilesAreRefusedWithALogLine) {
    CACMStream s;
    // Too short to hold a frame.
    soundtest::WriteFile("tiny.mp3", std::vector<uint8_t>(128, 0xFF));
    EXPECT_EQ(s.Open("tiny.mp3"), 2);
    EXPECT_NE(g_ErrorLog.GetLastText().find("tiny.mp3"), std::string::npos);
    EXPECT_EQ(CreateSoundStream("tiny.mp3"), nullptr);

    // Not audio at all.
    std::string text(5000, 'a');
    soundtest::WriteFile("text.mp3", std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(s.Open("text.mp3"), 2);
    EXPECT_NE(g_ErrorLog.GetLastText().find("text.mp3"), std::string::npos);

    // A frame header with the free-format bit rate gives no frame size.
    std::vector<uint8_t> free(4000, 0);
    free[0] = 0xFF;
    free[1] = 0xFB;
    free[2] = 0x00;
    soundtest::WriteFile("free.mp3", free);
    EXPECT_EQ(s.Open("free.mp3"), 2);

    // A valid first header followed by garbage: nothing decodes.
    std::vector<uint8_t> garbage(20000);
    uint32_t x = 12345;
    for (auto& byte : garbage) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<uint8_t>((x >> 16) & 0x7F);  // never a sync byte
    }
    garbage[0] = 0xFF;
    garbage[1] = 0xFB;
    garbage[2] = 0x90;
    garbage[3] = 0x64;
    soundtest::WriteFile("garbage.mp3", garbage);
    const int r = s.Open("garbage.mp3");
    EXPECT_NE(r, 0);
    EXPECT_NE(g_ErrorLog.GetLastText().find("garbage.mp3"), std::string::npos);
    EXPECT_EQ(CreateSoundStream("garbage.mp3"), nullptr);

    EXPECT_EQ(s.Open("missing.mp3"), 1);
    std::vector<uint8_t> buf(16);
    EXPECT_EQ(s.Read(buf.data(), 16), static_cast<unsigned>(-1));  // nothing open
}

TEST_F(SoundStreams, Mp3WithGarbageFramesInsideStillDecodes) {
    const Pcm pcm = soundtest::Tone(2.0);
    std::vector<uint8_t> mp3 = soundtest::EncodeMp3(pcm, 128);
    // Overwrite a stretch in the middle with noise, sync bytes included.
    uint32_t x = 99;
    for (size_t i = mp3.size() / 2; i < mp3.size() / 2 + 3000; ++i) {
        x = x * 1103515245u + 12345u;
        mp3[i] = static_cast<uint8_t>(x >> 16);
    }
    soundtest::WriteFile("hurt.mp3", mp3);
    CACMStream s;
    ASSERT_EQ(s.Open("hurt.mp3"), 0);
    const auto got = ReadAll(s);
    EXPECT_GT(got.size() / 2, pcm.Frames() / 2);
    EXPECT_LE(got.size() / 2, pcm.Frames() + kMp3Frame);
}

TEST_F(SoundStreams, OggDecodesToTheToneLength) {
    const Pcm pcm = soundtest::Tone(3.0);
    soundtest::WriteFile("tone.ogg", soundtest::EncodeOgg(pcm));
    std::unique_ptr<ISoundStream> s(CreateSoundStream("TONE.ogg"));  // loose file, found without regard to case
    ASSERT_TRUE(s);
    ASSERT_NE(dynamic_cast<CVorbisStream*>(s.get()), nullptr);
    EXPECT_EQ(s->GetFormat()->channels, 2);
    EXPECT_EQ(s->GetFormat()->samplesPerSec, 44100u);
    EXPECT_EQ(s->GetFormat()->avgBytesPerSec, 176400u);
    EXPECT_NEAR(s->GetLength(), 3000, 2);
    const auto got = ReadAll(*s, 4096);  // several library reads per call
    EXPECT_NEAR(double(got.size() / 2), double(pcm.Frames()), 1);
    ASSERT_EQ(s->Seek(0), 0);
    EXPECT_EQ(s->GetPosition(), 0);
    std::vector<int16_t> again(4096);
    ASSERT_EQ(s->Read(again.data(), 8192), 8192u);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), got.begin()));
}

TEST_F(SoundStreams, BadOggFilesAreRefused) {
    CVorbisStream s;
    EXPECT_EQ(s.Open("missing.ogg"), 1);
    EXPECT_NE(g_ErrorLog.GetLastText().find("missing.ogg"), std::string::npos);
    soundtest::WriteFile("text.ogg", std::vector<uint8_t>(3000, 'q'));
    EXPECT_EQ(s.Open("text.ogg"), 2);
    EXPECT_NE(g_ErrorLog.GetLastText().find("text.ogg"), std::string::npos);
    EXPECT_EQ(CreateSoundStream("text.ogg"), nullptr);
    // Damaged files that once broke the decoder library: pages of two streams, out of
    // order, refused before the library sees them.
    for (const char* file : {"header_leak_in_decoder.ogg", "pages_of_two_streams_seek.ogg"}) {
        std::ifstream in(std::string(VORMANT_SOURCE_DIR "/fuzz/inputs/ogg/") + file, std::ios::binary);
        soundtest::WriteFile("cut.ogg", std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
        EXPECT_EQ(s.Open("cut.ogg"), 2) << file;
        EXPECT_NE(g_ErrorLog.GetLastText().find("damaged Ogg file"), std::string::npos) << file;
    }
}

TEST_F(SoundStreams, OggPagesAreCheckedWholeBeforeDecoding) {
    const std::vector<uint8_t> tone = soundtest::EncodeOgg(soundtest::Tone(0.5));
    std::string why;
    ASSERT_TRUE(CheckOggPages(tone, why)) << why;
    // The second page begins after the first page's header, lacing values and body.
    const size_t second = 27 + tone[26] + [&] {
        size_t body = 0;
        for (size_t i = 0; i < tone[26]; ++i) body += tone[27 + i];
        return body;
    }();
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* fault;
    };
    const Case cases[] = {
        {"a flipped body byte", [](auto& b) { b[b.size() / 2] ^= 0x40; }, "checksum"},
        {"the last page cut", [](auto& b) { b.resize(b.size() - 7); }, "cut short"},
        {"bytes after the end", [](auto& b) { b.insert(b.end(), {'O', 'g', 'g'}); }, "after the last page"},
        {"the first page twice", [&](auto& b) { b.insert(b.begin() + second, tone.begin(), tone.begin() + second); },
         "out of order"},
        {"no pages", [](auto& b) { b.clear(); }, "no pages"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = tone;
        c.damage(bytes);
        EXPECT_FALSE(CheckOggPages(bytes, why)) << c.what;
        EXPECT_NE(why.find(c.fault), std::string::npos) << c.what << ": " << why;
    }
}

TEST_F(SoundStreams, WithoutTheVorbisLibraryOggFilesFailToOpen) {
    soundtest::WriteFile("tone.ogg", soundtest::EncodeOgg(soundtest::Tone(0.5)));
    VorbisLibrary missing("libvorbisfile-not-here.so.3", false);
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_NE(g_ErrorLog.GetLastText().find("libvorbisfile-not-here.so.3"), std::string::npos);
    CVorbisStream s(&missing);
    EXPECT_EQ(s.Open("tone.ogg"), 2);
    // The real library still works.
    CVorbisStream ok;
    EXPECT_EQ(ok.Open("tone.ogg"), 0);
}

}  // namespace

namespace {

// Damaged copies of good files (bytes flipped, cut short) open or fail cleanly, and
// reading them stays within bounds.
TEST_F(SoundStreams, DamagedFilesNeverBreakTheReaders) {
    const Pcm pcm = soundtest::Tone(0.4);
    const std::vector<uint8_t> wav = soundtest::MakeWav(pcm);
    const std::vector<uint8_t> mp3 = soundtest::EncodeMp3(pcm, 128);
    const std::vector<uint8_t> ogg = soundtest::EncodeOgg(pcm);
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        for (const auto* source : {&wav, &mp3, &ogg}) {
            std::vector<uint8_t> bytes = *source;
            const int flips = 1 + int(rng() % 40);
            // Headers get most of the damage.
            for (int i = 0; i < flips; ++i) {
                const size_t at = rng() % 3 ? rng() % std::min<size_t>(bytes.size(), 64) : rng() % bytes.size();
                bytes[at] = static_cast<uint8_t>(rng());
            }
            if (rng() % 3 == 0) bytes.resize(rng() % bytes.size());
            const char* name = source == &wav ? "d.wav" : source == &mp3 ? "d.mp3" : "d.ogg";
            soundtest::WriteFile(name, bytes);
            std::unique_ptr<ISoundStream> s(CreateSoundStream(name));
            if (!s) continue;
            const WAVEFORMATEX* f = s->GetFormat();
            ASSERT_GT(f->blockAlign, 0);
            std::vector<uint8_t> buf(5000);
            size_t total = 0;
            for (int i = 0; i < 2000; ++i) {
                const unsigned got = s->Read(buf.data(), 5000);
                ASSERT_LE(got, 5000u);
                if (got == 0) break;
                total += got;
            }
            EXPECT_LE(total, bytes.size() * 400);  // nothing endless
            s->Seek(0);
        }
    }
}

}  // namespace
