// The picture loader: files of every format read (DDS, PNG, BMP, JPEG, TGA) become
// textures, with both fitting rules.
#include <string>

#include "fuzz_util.h"
#include "gfx/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    std::string error;
    // The rounding rule by the input's last byte, so both are reached from one file.
    const bool round = size > 0 && (data[size - 1] & 1) != 0;
    auto texture = gfx::Texture::CreateFromImage(data, size, round, round ? gfx::ImageFilter::Linear : gfx::ImageFilter::Point,
                                                 gfx::Format::A8R8G8B8, &error);
    if (texture && (texture->Width() > gfx::Texture::kMaxImageSide * 2 || texture->Height() > gfx::Texture::kMaxImageSide * 2))
        __builtin_trap();
    fuzz::EndInput();
    return 0;
}
