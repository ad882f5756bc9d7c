/* Converts between UTF-8 and UTF-16 as glibc's iconv does for these names: no byte-order mark
 * written or expected, EILSEQ at a malformed sequence (a lone surrogate, an overlong or
 * out-of-range UTF-8 form), EINVAL at a sequence cut by the end of the input, E2BIG when the
 * output is full; the pointers always stand after the last whole character converted. */
#include "iconv.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

enum EForm { kUtf8, kUtf16Le, kUtf16Be };

struct tq_iconv {
    enum EForm from;
    enum EForm to;
};

static int FormOf(const char* name, enum EForm* form) {
    if (strcmp(name, "UTF-8") == 0) {
        *form = kUtf8;
    } else if (strcmp(name, "UTF-16LE") == 0) {
        *form = kUtf16Le;
    } else if (strcmp(name, "UTF-16BE") == 0) {
        *form = kUtf16Be;
    } else {
        return 0;
    }
    return 1;
}

iconv_t iconv_open(const char* to, const char* from) {
    struct tq_iconv cd;
    if (!FormOf(to, &cd.to) || !FormOf(from, &cd.from) || (cd.to == kUtf8) == (cd.from == kUtf8)) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    iconv_t p = malloc(sizeof(cd));
    if (p == NULL) {
        errno = ENOMEM;
        return (iconv_t)-1;
    }
    *p = cd;
    return p;
}

int iconv_close(iconv_t cd) {
    free(cd);
    return 0;
}

static unsigned Unit(const unsigned char* p, enum EForm form) {
    return form == kUtf16Le ? (unsigned)(p[0] | p[1] << 8) : (unsigned)(p[0] << 8 | p[1]);
}

static void PutUnit(unsigned char* p, unsigned unit, enum EForm form) {
    p[form == kUtf16Le ? 0 : 1] = (unsigned char)(unit & 0xFF);
    p[form == kUtf16Le ? 1 : 0] = (unsigned char)(unit >> 8);
}

/* Reads one character: its length in bytes, 0 when cut by the end, -1 when malformed. */
static int ReadUtf16(const unsigned char* p, size_t n, enum EForm form, uint32_t* c) {
    if (n < 2) {
        return 0;
    }
    unsigned u = Unit(p, form);
    if (u < 0xD800 || u > 0xDFFF) {
        *c = u;
        return 2;
    }
    if (u > 0xDBFF) {
        return -1;
    }
    if (n < 4) {
        return 0;
    }
    unsigned low = Unit(p + 2, form);
    if (low < 0xDC00 || low > 0xDFFF) {
        return -1;
    }
    *c = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    return 4;
}

static int ReadUtf8(const unsigned char* p, size_t n, uint32_t* c) {
    static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    int len = p[0] < 0x80 ? 1 : p[0] >= 0xC2 && p[0] < 0xE0 ? 2 : p[0] >= 0xE0 && p[0] < 0xF0 ? 3
              : p[0] >= 0xF0 && p[0] < 0xF5 ? 4 : -1;
    if (len < 0) {
        return -1;
    }
    uint32_t value = len == 1 ? p[0] : p[0] & (0x3F >> (len - 1));
    for (int i = 1; i < len; ++i) {
        if ((size_t)i >= n) {
            return 0;
        }
        if ((p[i] & 0xC0) != 0x80) {
            return -1;
        }
        value = value << 6 | (p[i] & 0x3F);
    }
    if (value < kMin[len] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return -1;
    }
    *c = value;
    return len;
}

/* Writes one character: its length in bytes, 0 when it does not fit. */
static int Write(unsigned char* p, size_t n, enum EForm form, uint32_t c) {
    if (form != kUtf8) {
        if (n < (c >= 0x10000 ? 4u : 2u)) {
            return 0;
        }
        if (c < 0x10000) {
            PutUnit(p, c, form);
            return 2;
        }
        PutUnit(p, 0xD800 + ((c - 0x10000) >> 10), form);
        PutUnit(p + 2, 0xDC00 + ((c - 0x10000) & 0x3FF), form);
        return 4;
    }
    int len = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (n < (size_t)len) {
        return 0;
    }
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = len - 1; i > 0; --i) {
        p[i] = (unsigned char)(0x80 | (c & 0x3F));
        c >>= 6;
    }
    p[0] = (unsigned char)(len == 1 ? c : kLead[len] | c);
    return len;
}

size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (in == NULL || *in == NULL) {
        return 0; /* no shift state to reset */
    }
    while (*inLeft > 0) {
        const unsigned char* p = (const unsigned char*)*in;
        uint32_t c = 0;
        int got = cd->from == kUtf8 ? ReadUtf8(p, *inLeft, &c) : ReadUtf16(p, *inLeft, cd->from, &c);
        if (got <= 0) {
            errno = got == 0 ? EINVAL : EILSEQ;
            return (size_t)-1;
        }
        int put = Write((unsigned char*)*out, *outLeft, cd->to, c);
        if (put == 0) {
            errno = E2BIG;
            return (size_t)-1;
        }
        *in += got;
        *inLeft -= (size_t)got;
        *out += put;
        *outLeft -= (size_t)put;
    }
    return 0;
}
