#pragma once
// Drives one sound stream over a file written from the input: open, length, reads,
// seeks inside and outside the sound, reads again.
#include <cstdint>
#include <string>
#include <vector>

#include "Sound/gvlSoundStream.h"
#include "fuzz_util.h"

namespace fuzz {

inline void PlayStream(ISoundStream& stream, const std::string& name, const uint8_t* data, size_t size) {
    WriteFile(name, data, size);
    if (stream.Open((Scratch() + name).c_str()) == 0) {
        std::vector<unsigned char> buffer(4096);
        const int length = stream.GetLength();
        stream.GetFormat();
        // At most a quarter megabyte of samples per input.
        unsigned total = 0;
        while (total < (1u << 18)) {
            const unsigned got = stream.Read(buffer.data(), 4093);
            if (got == 0) break;
            if (got > 4093) __builtin_trap();
            total += got;
        }
        for (int ms : {-5, 0, length / 2, length - 1, length, length + 100}) {
            stream.Seek(ms);
            stream.GetPosition();
            stream.Read(buffer.data(), 1000);
        }
        stream.Close();
    }
    stream.Close();
    EndInput();
}

}  // namespace fuzz
