// A library with one entry, loaded by the library tests.
extern "C" __attribute__((visibility("default"))) int KxTestAnswer(int x) { return x * 2 + 1; }
