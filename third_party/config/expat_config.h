/* expat's configuration for the builds that compile the pinned sources (Windows, WebAssembly):
   written for this project (expat's own build generates this file), with the settings of
   expat's default CMake build, which Debian's libexpat1 is built with as well, but for the
   one below, which makes the code smaller and changes nothing the engine sees. */
#ifndef DISSIM_EXPAT_CONFIG_H
#define DISSIM_EXPAT_CONFIG_H

/* 1234: little-endian, as x86-64 and WebAssembly are. */
#define BYTEORDER 1234
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define STDC_HEADERS 1

/* Where the hash salt's random bytes come from: rand_s on Windows (expat's own choice there);
   under Emscripten, whose C library has no getrandom, its getentropy (the browser's or node's
   crypto.getRandomValues) in the place of BSD's arc4random_buf; getrandom elsewhere. */
#if defined(__EMSCRIPTEN__)
#  include <stddef.h>
int getentropy(void *buffer, size_t length);
#  define HAVE_ARC4RANDOM_BUF 1
#  define arc4random_buf(buffer, length) ((void)getentropy((buffer), (length)))
#elif !defined(_WIN32)
#  define HAVE_GETRANDOM 1
#endif

/* The document type declaration is parsed (and refused by the engine); with it comes expat's
   protection against entity expansion (billion laughs). */
#define XML_DTD 1
/* XML_NS (namespaces resolved by expat) is left out: the engine creates its parsers without
   namespace processing and resolves prefixes itself, so the code would never run. */
/* How much context XML_GetInputContext keeps, expat's default. */
#define XML_CONTEXT_BYTES 1024

#endif
