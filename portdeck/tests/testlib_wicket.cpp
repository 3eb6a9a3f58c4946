// A decoder library that was built without "_SetPPPLanguage": the host must
// treat it as absent and never call into it. Every call is counted.
#include "productlibs.h"

namespace {
int g_calls = 0;
}

#define TESTLIB_EXPORT extern "C" __attribute__((visibility("default")))

TESTLIB_EXPORT void _InitializeDecoder(QWidget *, TApdComPort *) { ++g_calls; }
TESTLIB_EXPORT void _SetDecoderTopLeftPoint(int, int) { ++g_calls; }
TESTLIB_EXPORT void _ShowDecoderForm(int, const char *) { ++g_calls; }
TESTLIB_EXPORT void _DestroyDecoderDll() { ++g_calls; }
TESTLIB_EXPORT int portdeckTestlibCalls() { return g_calls; }
