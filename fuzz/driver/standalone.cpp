// Runs a fuzz target without libFuzzer (the GCC sanitizer build has none): every
// input file named, or found in a named folder, once, in the order named; then random
// mutations of those inputs until the time is up.  Not guided by coverage: it replays the seeds and the
// inputs that once broke a reader, and shakes them for a few seconds.  With a time
// given, the targets that play frames stop playing them once it is up (every input
// named is still read), so that the run keeps near its time.
//   fuzz_<name> [-seconds=N] [-seed=N] [-artifact_prefix=PATH] FILE-OR-FOLDER...
// A crash or a sanitizer report ends the program; the input that caused it is
// written to PATH + "crash" first.
#include <sanitizer/common_interface_defs.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Seconds on the monotonic clock (<chrono> does not build with the game's character set).
double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The end of the time given on the monotonic clock; 0 when none was given.
double g_end = 0;

std::vector<uint8_t> g_current;
std::string g_artifact = "./";

std::string g_crashPath;

// Called on a sanitizer's report and on abort: only calls safe in a signal handler.
void WriteCurrent() {
    const int fd = ::open(g_crashPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    size_t done = 0;
    while (done < g_current.size()) {
        const ssize_t n = ::write(fd, g_current.data() + done, g_current.size() - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    static const char kNote[] = "the input is written to the crash file\n";
    (void)!::write(2, kNote, sizeof kNote - 1);
}

void OnAbort(int) {
    WriteCurrent();
    std::signal(SIGABRT, SIG_DFL);
    std::raise(SIGABRT);
}

void Run(const std::vector<uint8_t>& input) {
    g_current = input;
    // A copy of exactly the input's size, so that reads past its end are caught.
    std::vector<uint8_t> copy(input);
    LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
}

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& base, const std::vector<std::vector<uint8_t>>& all,
                            std::mt19937_64& rng) {
    std::vector<uint8_t> b = base;
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : size_t(rng() % n); };
    static const uint8_t kInteresting[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFE, '-', '9', ',', '\n', '\r', '"'};
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 8) {
        case 0:  // flip a bit
            if (!b.empty()) b[pick(b.size())] ^= uint8_t(1u << (rng() % 8));
            break;
        case 1:  // a telling byte
            if (!b.empty()) b[pick(b.size())] = kInteresting[pick(sizeof kInteresting)];
            break;
        case 2: {  // a 32-bit value at the edge
            if (b.size() < 4) break;
            static const uint32_t kWords[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000, 0xFFFF};
            const uint32_t w = kWords[pick(std::size(kWords))];
            std::memcpy(&b[pick(b.size() - 3)], &w, 4);
            break;
        }
        case 3:  // cut the end
            if (!b.empty()) b.resize(pick(b.size()));
            break;
        case 4: {  // remove a run
            if (b.empty()) break;
            const size_t at = pick(b.size()), n = 1 + pick(std::min<size_t>(64, b.size() - at));
            b.erase(b.begin() + at, b.begin() + at + std::min(n, b.size() - at));
            break;
        }
        case 5: {  // repeat a run
            if (b.empty() || b.size() > (1u << 20)) break;
            const size_t at = pick(b.size()), n = 1 + pick(std::min<size_t>(64, b.size() - at));
            const std::vector<uint8_t> run(b.begin() + at, b.begin() + at + std::min(n, b.size() - at));
            b.insert(b.begin() + pick(b.size() + 1), run.begin(), run.end());
            break;
        }
        case 6: {  // a number written out in text (saves, tables, scripts) at the edge
            static const char* const kNumbers[] = {"2147483647", "-2147483648", "2147483648", "1000000000",
                                                   "-1",         "99999999999999999999", "4294967295", "1e9"};
            if (b.empty()) break;
            size_t at = pick(b.size());
            while (at < b.size() && !(b[at] >= '0' && b[at] <= '9')) ++at;
            if (at == b.size()) break;
            size_t end = at;
            while (end < b.size() && ((b[end] >= '0' && b[end] <= '9') || b[end] == '-')) ++end;
            while (at > 0 && ((b[at - 1] >= '0' && b[at - 1] <= '9') || b[at - 1] == '-')) --at;
            const char* n = kNumbers[pick(std::size(kNumbers))];
            b.erase(b.begin() + at, b.begin() + end);
            b.insert(b.begin() + at, n, n + std::strlen(n));
            break;
        }
        default: {  // splice in part of another input
            const std::vector<uint8_t>& other = all[pick(all.size())];
            if (other.empty()) break;
            const size_t at = pick(other.size()), n = 1 + pick(std::min<size_t>(256, other.size() - at));
            b.insert(b.begin() + pick(b.size() + 1), other.begin() + at, other.begin() + at + std::min(n, other.size() - at));
            break;
        }
        }
    }
    return b;
}

}  // namespace

extern "C" bool FuzzDriverTimeIsUp() { return g_end > 0 && Now() >= g_end; }

int main(int argc, char** argv) {
    double seconds = 0;
    uint64_t seed = 1;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-seconds=", 0) == 0) {
            seconds = std::atof(a.c_str() + 9);
        } else if (a.rfind("-seed=", 0) == 0) {
            seed = std::strtoull(a.c_str() + 6, nullptr, 10);
        } else if (a.rfind("-artifact_prefix=", 0) == 0) {
            g_artifact = a.substr(17);
        } else if (std::filesystem::is_directory(a)) {
            // A folder's files in name order, after those named before it.
            const size_t from = files.size();
            for (const auto& e : std::filesystem::recursive_directory_iterator(a))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin() + std::ptrdiff_t(from), files.end());
        } else if (std::filesystem::is_regular_file(a)) {
            files.push_back(a);
        }
    }
    std::vector<std::vector<uint8_t>> inputs;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (inputs.empty()) inputs.emplace_back();
    g_crashPath = std::filesystem::absolute(g_artifact + "crash").string();
    __sanitizer_set_death_callback(WriteCurrent);
    std::signal(SIGABRT, OnAbort);
    std::signal(SIGSEGV, OnAbort);

    const double end = Now() + seconds;
    if (seconds > 0) g_end = end;
    for (const auto& input : inputs) Run(input);
    size_t runs = inputs.size();
    std::mt19937_64 rng(seed);
    for (; Now() < end; ++runs) Run(Mutate(inputs[rng() % inputs.size()], inputs, rng));
    std::printf("runs: %zu (%zu inputs)\n", runs, inputs.size());
    return 0;
}
