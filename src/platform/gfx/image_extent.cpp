// Walks over the headers of BMP, TGA and JPEG files that check their data is whole.
#include "gfx/image_extent.h"

#include <cstdint>
#include <cstdlib>

namespace gfx::extent {

namespace {

uint32_t Le16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (Le16(p + 2) << 16); }

bool CutShort(const char* kind, uint64_t need, size_t size, std::string& why) {
    why = std::string("damaged ") + kind + ": " + std::to_string(need) + " bytes needed, the file holds " +
          std::to_string(size);
    return false;
}

}  // namespace

bool BmpIsWhole(const unsigned char* data, size_t size, std::string& why) {
    if (size < 30) return CutShort("BMP", 30, size, why);
    const uint32_t headerSize = Le32(data + 14);
    uint64_t width = 0, height = 0, bits = 0, compression = 0;
    if (headerSize == 12) {
        width = Le16(data + 18), height = Le16(data + 20), bits = Le16(data + 24);
    } else {
        if (size < 34) return CutShort("BMP", 34, size, why);
        width = uint64_t(std::llabs(int32_t(Le32(data + 18))));
        height = uint64_t(std::llabs(int32_t(Le32(data + 22))));
        bits = Le16(data + 28), compression = Le32(data + 30);
    }
    // Plain rows, or rows with channel masks; every row is padded to four bytes.
    if (compression != 0 && compression != 3 && compression != 6) return true;
    const uint64_t need = Le32(data + 10) + (width * bits + 31) / 32 * 4 * height;
    return need <= size || CutShort("BMP", need, size, why);
}

bool TgaIsWhole(const unsigned char* data, size_t size, std::string& why) {
    if (size < 18) return CutShort("TGA", 18, size, why);
    const uint64_t mapBytes = data[1] ? uint64_t(Le16(data + 5)) * ((data[7] + 7) / 8) : 0;
    const uint64_t texelBytes = (data[16] + 7) / 8, texels = uint64_t(Le16(data + 12)) * Le16(data + 14);
    uint64_t at = 18 + data[0] + mapBytes;
    if (data[2] < 8) {
        const uint64_t need = at + texels * texelBytes;
        return need <= size || CutShort("TGA", need, size, why);
    }
    // Run-length packets: a count byte, then one texel repeated or that many texels.
    for (uint64_t done = 0; done < texels;) {
        if (at >= size) return CutShort("TGA", at + 1, size, why);
        const unsigned char packet = data[at++];
        const uint64_t count = (packet & 0x7F) + 1;
        at += (packet & 0x80) ? texelBytes : count * texelBytes;
        done += count;
    }
    return at <= size || CutShort("TGA", at, size, why);
}

bool JpegIsWhole(const unsigned char* data, size_t size, std::string& why) {
    size_t at = 2;
    for (;;) {
        while (at + 1 < size && data[at] == 0xFF && data[at + 1] == 0xFF) ++at;  // fill bytes
        if (at + 4 > size) return CutShort("JPEG", at + 4, size, why);
        if (data[at] != 0xFF) {
            why = "damaged JPEG: no marker at byte " + std::to_string(at);
            return false;
        }
        const unsigned char marker = data[at + 1];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a segment
            at += 2;
            continue;
        }
        at += 2 + ((size_t(data[at + 2]) << 8) | data[at + 3]);  // the length counts itself
        if (at > size) return CutShort("JPEG", at, size, why);
        if (marker == 0xDA) break;  // the first scan: entropy-coded data follows
    }
    for (; at + 1 < size; ++at)
        if (data[at] == 0xFF && data[at + 1] == 0xD9) return true;
    why = "damaged JPEG: no end-of-picture marker (the file is cut short)";
    return false;
}

}  // namespace gfx::extent
