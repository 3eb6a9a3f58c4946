// A run-time library for the module-loading tests.
extern "C" __attribute__((visibility("default"))) int _SampleAdd(int a, int b)
{
    return a + b;
}
