// Linked into every libFuzzer target: fontconfig keeps a few hundred bytes of its
// configuration until FcFini, which a long-lived process never calls. That is no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
