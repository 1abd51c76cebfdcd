// The font library keeps a cache for the life of the process that the leak checker
// counts as lost; it is not ours and not a leak of the backend.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
