// Without a sound card the live output does not open: the program runs silent, the
// reason is kept for one log line, and the sound library prints nothing of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "audio/sound_device.h"
#include "golden.h"

namespace {

TEST(QuietOutput, NoSoundCardMeansNoLibraryNoise) {
    testsupport::TempDir dir;
    const std::string capture = dir.path() + "stderr.txt";
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    ::setenv("ALSA_CONFIG_PATH", (dir.path() + "no-such-alsa.conf").c_str(), 1);  // as on a machine without a card
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int fd = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ::dup2(fd, 2);
    auto device = audio::SoundDevice::Create(audio::SoundDevice::Output::Live);
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(fd);
    ::close(saved);
    ::unsetenv("ALSA_CONFIG_PATH");
    ::unsetenv("SDL_AUDIODRIVER");
    if (device) GTEST_SKIP() << "a sound device opened";
    std::ifstream in(capture);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "");
    EXPECT_FALSE(audio::LastOutputError().empty());
}

}  // namespace
