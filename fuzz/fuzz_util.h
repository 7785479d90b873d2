#pragma once
// Shared by the fuzz targets: a scratch folder of the target's own as the current
// folder (the readers take their paths from there), the error log kept in memory,
// helpers to write files and to read small numbers from the input, and the plain
// driver's clock.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "log/ErrorLog.h"
#include "system.h"

// Defined by the plain driver (driver/standalone.cpp): true once the time it was given
// is up.  libFuzzer defines none; its -timeout stops an input that runs too long.
extern "C" bool FuzzDriverTimeIsUp() __attribute__((weak));

namespace fuzz {

// Whether the plain driver's time is up: the targets that play frames stop playing
// them then, so that a short run keeps to its time however long an input would play.
inline bool TimeIsUp() { return FuzzDriverTimeIsUp != nullptr && FuzzDriverTimeIsUp(); }

// Makes the scratch folder and enters it the first time; removed at exit.  (The
// name is kept where no static destructor reaches it: the exit handler needs it.)
inline const std::string& Scratch() {
    static const std::string* dir = [] {
        char name[] = "/tmp/vormant-fuzz-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        if (::chdir(name) != 0) std::abort();
        auto* path = new std::string(std::string(name) + "/");
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Scratch(), ec);
        });
        return path;
    }();
    return *dir;
}

// Once per run: the log lines stay in memory (no file per line).
inline void Init() {
    static const bool done = [] {
        g_ErrorLog.SetMode(0);
        Scratch();
        return true;
    }();
    (void)done;
}

// After each input: the headless message boxes shown for it are forgotten.
inline void EndInput() { plat::ClearRecordedMessageBoxes(); }

// Writes `size` bytes to `name` below the scratch folder (folders made as needed).
inline void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
    std::filesystem::path path = Scratch() + name;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

inline void RemoveFile(const std::string& name) {
    std::error_code ec;
    std::filesystem::remove(Scratch() + name, ec);
}

}  // namespace fuzz
