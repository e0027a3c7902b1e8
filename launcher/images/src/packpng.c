/* Rewrites PNGs in place in the form the launcher decodes fastest, pixels
 * unchanged: a picture of at most 256 colours (transparency included) as a
 * palette picture, any other as plain RGB or RGBA; every row unfiltered.
 * Palette pictures inflate to a quarter of the bytes, and unfiltered rows
 * decode two to three times faster than the adaptive filters most writers
 * choose; for these smooth pictures the files come out no larger.
 *   packpng FILE.png...
 * Built and run by render.sh (needs a C compiler and libpng's headers). */
#include <png.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { MaxColours = 256, Slots = 1024 };

typedef struct {
    uint32_t colour[Slots]; /* RGBA bytes packed as read */
    int index[Slots];       /* -1: slot free */
    png_color rgb[MaxColours];
    png_byte alpha[MaxColours];
    int count;
} Palette;

static uint32_t pack(const png_byte* pixel)
{
    return (uint32_t)pixel[0] << 24 | (uint32_t)pixel[1] << 16 | (uint32_t)pixel[2] << 8 | pixel[3];
}

/* The colour's palette index, added when new; -1 when the palette is full. */
static int lookup(Palette* palette, const png_byte* pixel)
{
    const uint32_t colour = pack(pixel);
    uint32_t slot = (colour * 2654435761u) % Slots;
    while (palette->index[slot] >= 0) {
        if (palette->colour[slot] == colour)
            return palette->index[slot];
        slot = (slot + 1) % Slots;
    }
    if (palette->count == MaxColours)
        return -1;
    const int index = palette->count++;
    palette->colour[slot] = colour;
    palette->index[slot] = index;
    palette->rgb[index] = (png_color){pixel[0], pixel[1], pixel[2]};
    palette->alpha[index] = pixel[3];
    return index;
}

/* Fills indices with the palette index of each RGBA pixel; 0 when there are too many colours. */
static int toPalette(Palette* palette, png_const_bytep pixels, png_bytep indices, size_t count)
{
    memset(palette->index, -1, sizeof palette->index);
    palette->count = 0;
    for (size_t i = 0; i < count; ++i) {
        const int index = lookup(palette, pixels + 4 * i);
        if (index < 0)
            return 0;
        indices[i] = (png_byte)index;
    }
    return 1;
}

static int rewrite(const char* path)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        fprintf(stderr, "packpng: %s: %s\n", path, image.message);
        return 1;
    }
    const int alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    const size_t count = (size_t)image.width * image.height;
    png_bytep pixels = malloc(PNG_IMAGE_SIZE(image));
    png_bytep indices = malloc(count);
    static Palette palette;
    if (!pixels || !indices || !png_image_finish_read(&image, NULL, pixels, 0, NULL)) {
        fprintf(stderr, "packpng: %s: %s\n", path, pixels && indices ? image.message : "out of memory");
        free(pixels);
        free(indices);
        png_image_free(&image);
        return 1;
    }
    const png_uint_32 width = image.width, height = image.height;
    const int indexed = toPalette(&palette, pixels, indices, count);
    if (indexed) {
        free(pixels);
        pixels = indices;
    } else {
        free(indices);
        if (!alpha) /* RGBA to RGB, in place */
            for (size_t i = 0; i < count; ++i)
                memmove(pixels + 3 * i, pixels + 4 * i, 3);
    }
    const size_t stride = (size_t)width * (indexed ? 1 : alpha ? 4 : 3);

    FILE* out = fopen(path, "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png ? png_create_info_struct(png) : NULL;
    if (!out || !info || setjmp(png_jmpbuf(png))) {
        fprintf(stderr, "packpng: %s: cannot write\n", path);
        if (out)
            fclose(out);
        png_destroy_write_struct(&png, &info);
        free(pixels);
        return 1;
    }
    png_init_io(png, out);
    const int type = indexed ? PNG_COLOR_TYPE_PALETTE : alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, width, height, 8, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_set_PLTE(png, info, palette.rgb, palette.count);
        int translucent = 0; /* entries up to the last one that is not opaque */
        for (int i = 0; i < palette.count; ++i)
            if (palette.alpha[i] != 255)
                translucent = i + 1;
        if (translucent)
            png_set_tRNS(png, info, palette.alpha, translucent, NULL);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < height; ++y)
        png_write_row(png, pixels + y * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    free(pixels);
    return fclose(out) != 0;
}

int main(int argc, char* argv[])
{
    int failed = 0;
    for (int i = 1; i < argc; ++i)
        failed |= rewrite(argv[i]);
    return failed;
}
