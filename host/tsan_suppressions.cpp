// Built into kelmora-render under ThreadSanitizer only (see CMakeLists.txt).
//
// Embree and OpenImageIO come from the system, uninstrumented, and run work
// on thread pools of their own (TBB's workers for Embree's scene build,
// OpenImageIO's pool for writing the image). They hand that work back through
// their own atomics, which ThreadSanitizer cannot see, so a block that a pool
// thread allocates and the main thread later frees looks like a race inside
// operator new/delete, free or memmove. called_from_lib makes ThreadSanitizer
// ignore only the interceptors those two libraries call; every access made by
// this program's own code, including its calls into them, is still checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libembree3.so\n"
           "called_from_lib:libOpenImageIO_Util.so\n";
}
