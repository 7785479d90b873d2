/* The one place the image reader is compiled (the writer: stb_write_impl.c).  It is
   compiled with wrapping signed arithmetic (see CMakeLists.txt): damaged JPEG
   coefficients overflow it. */
#define STB_IMAGE_IMPLEMENTATION
/* The picture formats textures are read from besides DDS (gfx/image_dds.cpp). */
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
/* Pictures wider or taller than a texture may be (gfx::Texture::kMaxImageSide) are
   refused by each format's reader before it reserves memory for them. */
#define STBI_MAX_DIMENSIONS 4096
#include <stb_image.h>

#include <limits.h>

#include "core/picture_reader.h"

/* The same tests in the same order as the loader (stbi__load_main), so the size
   reported is that of the picture it would decode. */
int picture_reader_info(const unsigned char* data, int size, int* w, int* h, int* ok) {
    stbi__context s;
    int comp = 0;
    *w = *h = 0;
    stbi__start_mem(&s, data, size);
    if (stbi__png_test(&s)) return *ok = stbi__png_info(&s, w, h, &comp), PICTURE_PNG;
    if (stbi__bmp_test(&s)) {
        *ok = stbi__bmp_info(&s, w, h, &comp);
        /* A negative height is a picture stored top row first (the most negative one
           stays out of range). */
        if (*h < 0 && *h != INT_MIN) *h = -*h;
        return PICTURE_BMP;
    }
    if (stbi__jpeg_test(&s)) return *ok = stbi__jpeg_info(&s, w, h, &comp), PICTURE_JPEG;
    if (stbi__tga_test(&s)) return *ok = stbi__tga_info(&s, w, h, &comp), PICTURE_TGA;
    *ok = 0;
    return PICTURE_NONE;
}
