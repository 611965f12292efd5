#pragma once

// fontconfig keeps its caches until the process ends, and cairo 1.16 loses
// a buffer while finishing a PostScript page with text; LeakSanitizer would
// report both. The cairo frame is found only by the slow unwinder, since the
// system libraries have no frame pointers. Include this in exactly one file
// of a program that draws through the cairo targets.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:cairo_surface_finish\n";
}
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
#endif
