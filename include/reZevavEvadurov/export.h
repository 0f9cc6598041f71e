#pragma once

// RZ_API marks what the shared library libreZevavEvadurov exports: the functions and classes
// of the headers in this folder. The library is built with hidden visibility, so everything
// else in it stays private. Users define nothing.

#if defined(__GNUC__) || defined(__clang__)
#define RZ_API __attribute__((visibility("default")))
#else
#define RZ_API
#endif
