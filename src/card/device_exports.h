#pragma once
// For the libraries that implement the entry lists (the simulated cards, test stand-ins): the
// declaration of every exported C function, generated from the lists. A library defines the
// entries it implements with `extern "C"` spelled out at the definition, so that a parameter list
// that differs from the list's is a compile error ("conflicting declaration of C function")
// instead of a silent C++ overload.
#include "card/device_api.h"

#define QUORX_DEVICE_EXPORT extern "C" __attribute__((visibility("default")))

#define ZP90_API(need, name, params, args) QUORX_DEVICE_EXPORT int Zp90_##name params;
#include "card/device_api.def"
#undef ZP90_API

#define DNCVT_API(need, name, params, args) QUORX_DEVICE_EXPORT int Kr12_##name params;
#include "card/dncvt_api.def"
#undef DNCVT_API

#define DNCVT_API(need, name, params, args) QUORX_DEVICE_EXPORT int Kr14_##name params;
#include "card/dncvt_api.def"
#undef DNCVT_API
