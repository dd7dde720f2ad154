// A library with one entry point, loaded by the loader tests.
extern "C" __attribute__((visibility("default"))) int ProbeAnswer(int x) {
  return x * 2 + 1;
}
