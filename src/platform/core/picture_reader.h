/* Which of the image reader's formats takes a picture file, and its size. */
#ifndef VORMANT_PICTURE_READER_H
#define VORMANT_PICTURE_READER_H

#ifdef __cplusplus
extern "C" {
#endif

enum { PICTURE_NONE = 0, PICTURE_PNG = 1, PICTURE_BMP = 2, PICTURE_JPEG = 3, PICTURE_TGA = 4 };

/* The format the reader's loader will decode the bytes as: the first whose test
   passes, PNG, BMP and JPEG by their magic numbers, then TGA, which has none, by a
   plausible header.  Its header's width and height go to *w and *h; *ok is 0 when
   that header is refused (stbi_failure_reason tells why).  PICTURE_NONE when no
   format takes the bytes. */
int picture_reader_info(const unsigned char* data, int size, int* w, int* h, int* ok);

#ifdef __cplusplus
}
#endif

#endif
