/* The one place the image reader and writer are compiled. */
#define STB_IMAGE_IMPLEMENTATION
/* The game's pictures are PNG files; no other format is read. */
#define STBI_ONLY_PNG
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
