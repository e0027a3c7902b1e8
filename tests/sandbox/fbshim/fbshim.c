/*
 * fbshim: the framebuffer devices /dev/fb0 and /dev/fb1 for programs run in
 * the test sandbox, where the machine has none. Loaded with LD_PRELOAD.
 *
 * Environment, read at each open of /dev/fbN (N = 0 or 1):
 *   FBSHIM_FBN           file of pixels standing in for the device memory.
 *                        Unset: the device does not exist (ENOENT). The file
 *                        is created, or extended with zeros, to the frame size.
 *   FBSHIM_FBN_GEOMETRY  "WIDTHxHEIGHTxBITS[:LINE_LENGTH]", default
 *                        "1920x1080x32". BITS is 16, 24 or 32; LINE_LENGTH is
 *                        the row pitch in bytes (default: packed rows).
 *   FBSHIM_FBN_FAIL      comma-separated calls that fail on the device:
 *                        "vscreeninfo", "fscreeninfo", "mmap".
 *   FBSHIM_FBN_OFFSET    bytes in the pixel file before the device memory
 *                        (a header, as in the XWD screen file that
 *                        "Xvfb -fbdir" keeps), default 0. Device offset 0 is
 *                        this file offset; mappings need not be page-aligned
 *                        in the file, and munmap() takes them back as given.
 *
 * access() of the device succeeds when its pixel file variable is set.
 * Opening the device gives a real descriptor of the pixel file, remembered
 * as the device until close(). ioctl() on it answers FBIOGET_VSCREENINFO,
 * FBIOGET_FSCREENINFO, FBIOPUT_VSCREENINFO (the mode is fixed: the caller
 * gets the current one back), FBIOPAN_DISPLAY (the virtual size equals the
 * visible one, so only offset 0) and FBIOBLANK; other requests fail with
 * ENOTTY. mmap() maps the pixel file itself, so shared mappings in different
 * processes (a launcher drawing, the agent capturing) see the same pixels.
 *
 * Pixels are laid out as a little-endian Linux framebuffer reports them:
 * 32 bits red 16/8, green 8/8, blue 0/8 (bytes B, G, R, unused); 24 bits the
 * same in 3 bytes; 16 bits red 11/5, green 5/6, blue 0/5 (RGB565).
 *
 * Qt's linuxfb plugin draws into it when given the device by name
 * ("linuxfb:fb=/dev/fb0:nographicsmodeswitch"). Not answered: stat() of the
 * device (Qt looks for one with it when none is named), fopen(),
 * descriptors made by dup(), and the fortified __open_2() entry points.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

enum { MaxDescriptors = 4096, MaxSide = 16384, MaxShiftedMappings = 64 };
enum { FailVscreeninfo = 1, FailFscreeninfo = 2, FailMmap = 4 };

struct fake_device {
    atomic_int active; /* 1 while the descriptor stands for a device */
    int fail;
    off64_t offset; /* of the device memory in the pixel file */
    struct fb_var_screeninfo var;
    struct fb_fix_screeninfo fix;
};

static struct fake_device fakes[MaxDescriptors];

static int (*real_openat)(int, const char*, int, ...);
static int (*real_openat64)(int, const char*, int, ...);
static int (*real_access)(const char*, int);
static int (*real_close)(int);
static int (*real_ioctl)(int, unsigned long, ...);
static void* (*real_mmap)(void*, size_t, int, int, int, off_t);
static void* (*real_mmap64)(void*, size_t, int, int, int, off64_t);
static int (*real_munmap)(void*, size_t);

/* Mappings of a device whose memory is not page-aligned in its pixel file:
 * the address handed out and how far past the real mapping's start it is. */
static struct {
    char* address;
    size_t shift;
} shifted[MaxShiftedMappings];
static pthread_mutex_t shifted_lock = PTHREAD_MUTEX_INITIALIZER;

/* ISO C has no cast from dlsym's object pointer to a function pointer: copy the bits. */
#define NEXT_SYMBOL(pointer, name)                                                                 \
    do {                                                                                           \
        void* symbol = dlsym(RTLD_NEXT, name);                                                     \
        if (symbol == NULL) {                                                                      \
            fprintf(stderr, "fbshim: no %s\n", name);                                              \
            abort();                                                                               \
        }                                                                                          \
        memcpy(&(pointer), &symbol, sizeof symbol);                                                \
    } while (0)

/* Also run lazily: other libraries' constructors may open files before ours. */
__attribute__((constructor)) static void resolve(void)
{
    if (real_mmap64 != NULL)
        return;
    NEXT_SYMBOL(real_openat, "openat");
    NEXT_SYMBOL(real_openat64, "openat64");
    NEXT_SYMBOL(real_access, "access");
    NEXT_SYMBOL(real_close, "close");
    NEXT_SYMBOL(real_ioctl, "ioctl");
    NEXT_SYMBOL(real_mmap, "mmap");
    NEXT_SYMBOL(real_munmap, "munmap");
    NEXT_SYMBOL(real_mmap64, "mmap64");
}

/* The device number for "/dev/fb0" or "/dev/fb1", else -1. */
static int device_index(const char* path)
{
    if (path == NULL || strncmp(path, "/dev/fb", 7) != 0)
        return -1;
    if ((path[7] == '0' || path[7] == '1') && path[8] == '\0')
        return path[7] - '0';
    return -1;
}

static const char* device_variable(int index, const char* suffix, char* name, size_t size)
{
    snprintf(name, size, "FBSHIM_FB%d%s", index, suffix);
    return getenv(name);
}

static int has_word(const char* list, const char* word)
{
    const size_t length = strlen(word);
    for (const char* p = list; p != NULL && *p != '\0';) {
        const char* end = strchr(p, ',');
        const size_t size = end != NULL ? (size_t)(end - p) : strlen(p);
        if (size == length && strncmp(p, word, length) == 0)
            return 1;
        p = end != NULL ? end + 1 : NULL;
    }
    return 0;
}

static void set_channel(struct fb_bitfield* field, unsigned offset, unsigned length)
{
    field->offset = offset;
    field->length = length;
    field->msb_right = 0;
}

/* Fills var and fix from the geometry text; 0 when it is not valid. */
static int parse_geometry(const char* text, struct fb_var_screeninfo* var,
                          struct fb_fix_screeninfo* fix)
{
    unsigned width = 0, height = 0, bits = 0, line = 0;
    char rest = 0;
    const int fields = sscanf(text, "%ux%ux%u:%u%c", &width, &height, &bits, &line, &rest);
    if (fields != 3 && fields != 4)
        return 0;
    if (width == 0 || height == 0 || width > MaxSide || height > MaxSide
        || (bits != 16 && bits != 24 && bits != 32))
        return 0;
    if (fields == 3)
        line = width * (bits / 8);
    if (line < width * (bits / 8) || line > 4 * MaxSide)
        return 0;

    memset(var, 0, sizeof *var);
    var->xres = width;
    var->yres = height;
    var->xres_virtual = line / (bits / 8);
    var->yres_virtual = height;
    var->bits_per_pixel = bits;
    if (bits == 16) {
        set_channel(&var->red, 11, 5);
        set_channel(&var->green, 5, 6);
        set_channel(&var->blue, 0, 5);
    } else {
        set_channel(&var->red, 16, 8);
        set_channel(&var->green, 8, 8);
        set_channel(&var->blue, 0, 8);
    }
    var->activate = FB_ACTIVATE_NOW;
    var->height = UINT32_MAX; /* physical size unknown, as many drivers say */
    var->width = UINT32_MAX;
    var->vmode = FB_VMODE_NONINTERLACED;

    memset(fix, 0, sizeof *fix);
    strncpy(fix->id, "fbshim", sizeof fix->id - 1);
    fix->smem_len = line * height;
    fix->type = FB_TYPE_PACKED_PIXELS;
    fix->visual = FB_VISUAL_TRUECOLOR;
    fix->ypanstep = 1;
    fix->line_length = line;
    fix->accel = FB_ACCEL_NONE;
    return 1;
}

/* Creates the pixel file or extends it to size; failures show up later. */
static void grow(const char* file, off_t size)
{
    const int fd = real_openat(AT_FDCWD, file, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    struct stat status;
    if (fstat(fd, &status) == 0 && status.st_size < size && ftruncate(fd, size) != 0)
        fprintf(stderr, "fbshim: cannot extend %s\n", file);
    real_close(fd);
}

static int open_device(int index, int flags)
{
    char name[64];
    const char* file = device_variable(index, "", name, sizeof name);
    if (file == NULL || *file == '\0') {
        errno = ENOENT;
        return -1;
    }
    const char* geometry = device_variable(index, "_GEOMETRY", name, sizeof name);
    struct fb_var_screeninfo var;
    struct fb_fix_screeninfo fix;
    if (!parse_geometry(geometry != NULL ? geometry : "1920x1080x32", &var, &fix)) {
        fprintf(stderr, "fbshim: bad geometry for /dev/fb%d\n", index);
        errno = EINVAL;
        return -1;
    }
    const char* fail = device_variable(index, "_FAIL", name, sizeof name);
    const char* offset_text = device_variable(index, "_OFFSET", name, sizeof name);
    long long offset = 0;
    if (offset_text != NULL && *offset_text != '\0') {
        char* end = NULL;
        errno = 0;
        offset = strtoll(offset_text, &end, 10);
        if (errno != 0 || *end != '\0' || offset < 0 || offset > (1LL << 40)) {
            fprintf(stderr, "fbshim: bad offset for /dev/fb%d\n", index);
            errno = EINVAL;
            return -1;
        }
    }
    const off_t end_of_memory = (off_t)offset + (off_t)fix.smem_len;

    grow(file, end_of_memory);
    const int fd = real_openat(AT_FDCWD, file, flags & (O_ACCMODE | O_CLOEXEC | O_NONBLOCK));
    if (fd < 0)
        return -1;
    struct stat status;
    if (fd >= MaxDescriptors || fstat(fd, &status) != 0 || status.st_size < end_of_memory) {
        real_close(fd);
        errno = fd >= MaxDescriptors ? EMFILE : EIO;
        return -1;
    }
    struct fake_device* fake = &fakes[fd];
    fake->var = var;
    fake->fix = fix;
    fake->offset = (off64_t)offset;
    fake->fail = (has_word(fail, "vscreeninfo") ? FailVscreeninfo : 0)
                 | (has_word(fail, "fscreeninfo") ? FailFscreeninfo : 0)
                 | (has_word(fail, "mmap") ? FailMmap : 0);
    atomic_store_explicit(&fake->active, 1, memory_order_release);
    return fd;
}

static struct fake_device* fake_of(int fd)
{
    if (fd < 0 || fd >= MaxDescriptors)
        return NULL;
    struct fake_device* fake = &fakes[fd];
    return atomic_load_explicit(&fake->active, memory_order_acquire) ? fake : NULL;
}

/* Every open entry point comes here; arguments holds the mode when flags ask for one. */
static int open_at(int (*real)(int, const char*, int, ...), int directory, const char* path,
                   int flags, va_list arguments)
{
    resolve();
    const int index = device_index(path);
    if (index >= 0)
        return open_device(index, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t)va_arg(arguments, int) : 0;
    return real(directory, path, flags, mode);
}

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = open_at(real_openat, AT_FDCWD, path, flags, arguments);
    va_end(arguments);
    return fd;
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = open_at(real_openat64, AT_FDCWD, path, flags, arguments);
    va_end(arguments);
    return fd;
}

int openat(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = open_at(real_openat, directory, path, flags, arguments);
    va_end(arguments);
    return fd;
}

int openat64(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = open_at(real_openat64, directory, path, flags, arguments);
    va_end(arguments);
    return fd;
}

int access(const char* path, int mode)
{
    resolve();
    const int index = device_index(path);
    if (index < 0)
        return real_access(path, mode);
    char name[64];
    const char* file = device_variable(index, "", name, sizeof name);
    if (file == NULL || *file == '\0') {
        errno = ENOENT;
        return -1;
    }
    return 0;
}

int close(int fd)
{
    resolve();
    struct fake_device* fake = fake_of(fd);
    if (fake != NULL)
        atomic_store_explicit(&fake->active, 0, memory_order_release);
    return real_close(fd);
}

/* Accepts the pan offsets of var when they keep the visible frame inside the virtual one. */
static int pan(struct fake_device* fake, const struct fb_var_screeninfo* var)
{
    if (var->xoffset + fake->var.xres > fake->var.xres_virtual
        || var->yoffset + fake->var.yres > fake->var.yres_virtual) {
        errno = EINVAL;
        return -1;
    }
    fake->var.xoffset = var->xoffset;
    fake->var.yoffset = var->yoffset;
    return 0;
}

static int device_ioctl(struct fake_device* fake, unsigned long request, void* argument)
{
    switch (request) {
    case FBIOGET_VSCREENINFO:
        if (fake->fail & FailVscreeninfo)
            break;
        memcpy(argument, &fake->var, sizeof fake->var);
        return 0;
    case FBIOGET_FSCREENINFO:
        if (fake->fail & FailFscreeninfo)
            break;
        memcpy(argument, &fake->fix, sizeof fake->fix);
        return 0;
    case FBIOPUT_VSCREENINFO:
        if (pan(fake, argument) != 0)
            return -1;
        memcpy(argument, &fake->var, sizeof fake->var);
        return 0;
    case FBIOPAN_DISPLAY:
        return pan(fake, argument);
    case FBIOBLANK:
        return 0;
    default:
        errno = ENOTTY;
        return -1;
    }
    errno = EIO;
    return -1;
}

int ioctl(int fd, unsigned long request, ...)
{
    resolve();
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    struct fake_device* fake = fake_of(fd);
    return fake != NULL ? device_ioctl(fake, request, argument) : real_ioctl(fd, request, argument);
}

/* A device mapping must lie within the device memory, as the kernel demands. */
static int check_mapping(int fd, size_t length, off64_t offset)
{
    struct fake_device* fake = fake_of(fd);
    if (fake == NULL)
        return 1;
    if (fake->fail & FailMmap) {
        errno = ENODEV;
        return 0;
    }
    if (offset < 0 || length > fake->fix.smem_len
        || (uint64_t)offset > fake->fix.smem_len - length) {
        errno = EINVAL;
        return 0;
    }
    return 1;
}

/* Maps device memory that starts at a file offset which need not be
 * page-aligned: the real mapping starts at the page below, and the caller
 * gets the address of the byte it asked for. */
static void* map_shifted(struct fake_device* fake, void* address, size_t length, int protection,
                         int flags, int fd, off64_t offset)
{
    const off64_t page = (off64_t)sysconf(_SC_PAGESIZE);
    const off64_t start = fake->offset + offset;
    const size_t shift = (size_t)(start % page);
    if (shift != 0 && (flags & MAP_FIXED) != 0) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    pthread_mutex_lock(&shifted_lock);
    int slot = -1;
    for (int i = 0; i < MaxShiftedMappings && slot < 0; ++i)
        if (shifted[i].address == NULL)
            slot = i;
    void* result = MAP_FAILED;
    if (slot < 0) {
        errno = ENOMEM;
    } else {
        char* mapped = real_mmap64(address, length + shift, protection, flags, fd,
                                   start - (off64_t)shift);
        if (mapped != MAP_FAILED) {
            shifted[slot].address = mapped + shift;
            shifted[slot].shift = shift;
            result = mapped + shift;
        }
    }
    pthread_mutex_unlock(&shifted_lock);
    return result;
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    resolve();
    if (!check_mapping(fd, length, offset))
        return MAP_FAILED;
    struct fake_device* fake = fake_of(fd);
    if (fake != NULL && fake->offset != 0)
        return map_shifted(fake, address, length, protection, flags, fd, offset);
    return real_mmap(address, length, protection, flags, fd, offset);
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd, off64_t offset)
{
    resolve();
    if (!check_mapping(fd, length, offset))
        return MAP_FAILED;
    struct fake_device* fake = fake_of(fd);
    if (fake != NULL && fake->offset != 0)
        return map_shifted(fake, address, length, protection, flags, fd, offset);
    return real_mmap64(address, length, protection, flags, fd, offset);
}

int munmap(void* address, size_t length)
{
    resolve();
    size_t shift = 0;
    pthread_mutex_lock(&shifted_lock);
    for (int i = 0; i < MaxShiftedMappings; ++i) {
        if (shifted[i].address != NULL && shifted[i].address == address) {
            shift = shifted[i].shift;
            shifted[i].address = NULL;
            break;
        }
    }
    pthread_mutex_unlock(&shifted_lock);
    return real_munmap((char*)address - shift, length + shift);
}
