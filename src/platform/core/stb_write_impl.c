/* The one place the image writer is compiled (screenshots, test pictures and fuzz
   seeds).  Its JPEG coder shifts signed integers past their sign bit, so sanitizer
   builds leave shifts in this file unchecked (see CMakeLists.txt); the reader keeps
   every check. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
