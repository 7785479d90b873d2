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

bool StartsAsJpeg(const unsigned char* data, size_t size) {
    size_t at = 0;
    while (at + 1 < size && data[at] == 0xFF && data[at + 1] == 0xFF) ++at;  // fill bytes
    return at + 1 < size && data[at] == 0xFF && data[at + 1] == 0xD8;
}

namespace {

// The Huffman tables defined so far, by class (DC, AC) and number, and whether the
// frame is progressive.
struct JpegTables {
    bool defined[2][4] = {};
    bool progressive = false;
};

// The Huffman tables of one table segment: each has its 16 code counts and then
// that many values, at most 256 of them (the reader keeps room for no more).
bool ReadHuffmanTables(const unsigned char* p, size_t length, JpegTables& tables, std::string& why) {
    for (size_t at = 0; at < length;) {
        size_t values = 0;
        for (size_t i = at + 1; i < at + 17 && i < length; ++i) values += p[i];
        if (values > 256 || at + 17 + values > length) {
            why = "damaged JPEG: a Huffman table of " + std::to_string(values) + " codes";
            return false;
        }
        if ((p[at] >> 4) < 2 && (p[at] & 15) < 4) tables.defined[p[at] >> 4][p[at] & 15] = true;
        at += 17 + values;
    }
    return true;
}

// Every table a scan decodes with must have been defined before it (the reader
// would search an empty one past its end).  Progressive scans of the first
// coefficient use DC tables only, the others AC tables only.
bool ScanTablesDefined(const unsigned char* p, size_t length, const JpegTables& tables, std::string& why) {
    const size_t components = length ? p[0] : 0;
    if (length < 4 + 2 * components) return true;  // the reader refuses a short scan header
    const bool dc = !tables.progressive || p[1 + 2 * components] == 0;
    const bool ac = !tables.progressive || p[1 + 2 * components] != 0;
    for (size_t i = 0; i < components; ++i) {
        const unsigned dcTable = p[2 + 2 * i] >> 4, acTable = p[2 + 2 * i] & 15;
        const bool dcMissing = dc && (dcTable > 3 || !tables.defined[0][dcTable]);
        if (dcMissing || (ac && (acTable > 3 || !tables.defined[1][acTable]))) {
            why = "damaged JPEG: a scan uses a Huffman table that is not defined";
            return false;
        }
    }
    return true;
}

bool IsRestart(unsigned char marker) { return marker >= 0xD0 && marker <= 0xD7; }

}  // namespace

bool JpegIsWhole(const unsigned char* data, size_t size, std::string& why) {
    size_t at = 0;
    bool first = true;
    JpegTables tables;
    for (;;) {
        while (at + 1 < size && data[at] == 0xFF && data[at + 1] == 0xFF) ++at;  // fill bytes
        if (at + 2 > size) break;
        if (data[at] != 0xFF || (first && data[at + 1] != 0xD8)) {
            why = "damaged JPEG: no marker at byte " + std::to_string(at);
            return false;
        }
        first = false;
        const unsigned char marker = data[at + 1];
        at += 2;
        if (marker == 0xD9) return true;  // end of picture
        if (marker == 0xD8 || marker == 0x01 || IsRestart(marker)) continue;  // markers without a segment
        if (at + 2 > size) break;
        const size_t length = (size_t(data[at]) << 8) | data[at + 1];  // counts itself
        if (length < 2 || at + length > size) break;
        tables.progressive = tables.progressive || marker == 0xC2;
        if (marker == 0xC4 && !ReadHuffmanTables(data + at + 2, length - 2, tables, why)) return false;
        if (marker == 0xDA && !ScanTablesDefined(data + at + 2, length - 2, tables, why)) return false;
        at += length;
        if (marker != 0xDA) continue;
        // A scan's coded data runs to the next marker: a 0xFF followed by neither a
        // stuffed zero nor a restart marker.
        while (at + 1 < size && !(data[at] == 0xFF && data[at + 1] != 0 && !IsRestart(data[at + 1]))) ++at;
    }
    why = "damaged JPEG: the file is cut short before its end-of-picture marker";
    return false;
}

}  // namespace gfx::extent
