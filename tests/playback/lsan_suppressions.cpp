// Leak-checker suppressions for third-party libraries in this test binary.
//
// FluidSynth reads DLS banks through libinstpatch, which keeps a few bytes
// of GLib-allocated state for the life of the process (its type system is
// never torn down). That is not a leak of ours; without frame pointers in
// GLib the report shows only GLib's allocator, so the suppression names it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libglib-2.0.so\nleak:libinstpatch-1.0.so\n";
}
