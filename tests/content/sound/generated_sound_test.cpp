// The generated music and sound effects as the game plays them: looping music runs on
// across its loop point without a break, and the loudest effect over the loudest
// music stays under full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Sound/gvlDSNPlaySound.h"
#include "Sound/gvlSoundStream.h"
#include "audio/sound_device.h"
#include "game_copy.h"
#include "golden.h"
#include "sound_pull.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kRate = 44100;
// A sample frame is near-silent when both sides stay within this (-54 dBFS).
constexpr int kNearSilence = 64;

class GeneratedSound : public testsupport::NullSoundOutput {
protected:
    // The files of a folder of the runnable game, by name.
    static std::vector<std::string> Files(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testsupport::GameCopy game;
    testsupport::ScopedCurrentDir cd{game.path()};
};

// The whole file as the game's stream for it decodes it (interleaved samples), and its
// channel count.
std::vector<int16_t> Decode(const std::string& path, int* channels) {
    std::unique_ptr<ISoundStream> s(CreateSoundStream(path));
    if (!s) return {};
    *channels = s->GetFormat()->channels;
    std::vector<int16_t> all;
    std::vector<int16_t> chunk(8192);
    for (;;) {
        const unsigned got = s->Read(chunk.data(), unsigned(chunk.size() * 2));
        if (got == 0 || got > chunk.size() * 2) break;
        all.insert(all.end(), chunk.begin(), chunk.begin() + got / 2);
    }
    return all;
}

int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t v : samples) peak = std::max(peak, std::abs(int(v)));
    return peak;
}

// The longest run of near-silent stereo frames in [from, to) of the output.
size_t LongestNearSilence(const std::vector<int16_t>& out, size_t from, size_t to) {
    size_t longest = 0, run = 0;
    for (size_t f = from; f < to && 2 * f + 1 < out.size(); ++f) {
        const bool quiet = std::abs(int(out[2 * f])) <= kNearSilence && std::abs(int(out[2 * f + 1])) <= kNearSilence;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The largest step from one sample to the next over frames [from, to), either side.
int Sharpest(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    int step = 0;
    for (size_t f = std::max<size_t>(from, 1); f < to && 2 * f + 1 < pcm.size(); ++f)
        for (size_t c = 0; c < 2; ++c) step = std::max(step, std::abs(pcm[2 * f + c] - pcm[2 * f + c - 2]));
    return step;
}

// The looping music of the game: everything in "BGM" but the two ending pieces, which
// end on a fade.
bool Loops(const std::string& name) { return name != "clear.mp3" && name != "badend1.mp3"; }

TEST_F(GeneratedSound, LoopingMusicRunsOnAcrossItsLoopPoint) {
    int tested = 0;
    for (const std::string& name : Files("BGM")) {
        if (!Loops(name)) continue;
        SCOPED_TRACE(name);
        const std::string path = "./BGM/" + name;
        int channels = 0;
        const std::vector<int16_t> decoded = Decode(path, &channels);
        ASSERT_EQ(channels, 2);
        const size_t frames = decoded.size() / 2;
        ASSERT_GT(frames, kRate);

        CDSNPlaySound ch;
        ASSERT_EQ(ch.Open(path), 0);
        std::vector<int16_t> out;
        size_t seam = 0;  // the output frame where the piece starts again
        if (!ch.IsStreaming()) {
            // The buffer the channel loops holds every decoded frame, and nothing more.
            EXPECT_EQ(ch.GetBufferSize(), decoded.size() * 2);
            ch.Play(true);
            out = Device().Pull(frames + kRate / 2);
            seam = ch.GetBufferSize() / 4;
        } else {
            // The last second, then the feeder rewinds the stream and goes on.
            const int from = ch.GetStream()->GetLength() - 1000;
            ASSERT_EQ(ch.GetStream()->Seek(from), 0);
            ch.Play(true);
            ASSERT_TRUE(testsupport::WaitForFeeder(ch, 1));
            while (out.size() < 2 * 2 * kRate) ASSERT_TRUE(testsupport::PullWithFeeder(ch, 4410, out));
            seam = frames - size_t(from) * kRate / 1000;
        }
        ch.Stop();
        ASSERT_GE(out.size() / 2, seam + kRate / 4);
        // No piece rests more than 2 ms: a longer hush about the seam is a gap.
        EXPECT_LE(LongestNearSilence(out, seam - kRate / 4, seam + kRate / 4), kRate * 2 / 1000)
            << "frames of near-silence at the loop point";
        // The end flows into the start: no click sharper than the piece's own sharpest step.
        EXPECT_LE(Sharpest(out, seam - 1, seam + 2), Sharpest(decoded, 1, frames)) << "a click at the loop point";
        ++tested;
    }
    EXPECT_GE(tested, 19);
}

TEST_F(GeneratedSound, TheLoudestEffectOverTheLoudestMusicStaysUnderFullScale) {
    // One piece of music and one effect sound at a time, both at the master volume:
    // at full volume their peaks add up.
    auto loudest = [](const std::string& folder, std::string* which) {
        int peak = 0;
        for (const std::string& name : Files(folder)) {
            int channels = 0;
            const int p = Peak(Decode("./" + folder + "/" + name, &channels));
            EXPECT_GT(p, 0) << name;
            if (p > peak) {
                peak = p;
                *which = name;
            }
        }
        return peak;
    };
    std::string music, effect;
    const int musicPeak = loudest("BGM", &music);
    const int effectPeak = loudest("sound", &effect);
    EXPECT_LT(musicPeak + effectPeak, 32768)
        << music << " peaks at " << musicPeak << ", " << effect << " at " << effectPeak;
}

}  // namespace
