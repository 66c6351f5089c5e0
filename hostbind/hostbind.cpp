// Windows binding layer: the plug-in is not linked against the renderer, so
// the three host functions the shader calls are found by name, on first use,
// in the module the renderer handed over, and every call is forwarded there.
//
// All state is constant-initialised statics: nothing runs at load, nothing is
// allocated, and nothing is released at unload.
#include "hostbind.h"

#include <atomic>
#include <stdio.h>

namespace {

// A cached entry point. Renderer threads read and fill slots without a lock:
// each slot is one pointer-sized atomic, and racing lookups store the same address.
struct Slot {
    const char* name;
    std::atomic<FARPROC> address;
};

enum Entry { trace_eye_entry, vector_to_camera_entry, vector_from_camera_entry, entry_count };

Slot slots[entry_count] = {
    {"mi_trace_eye", {nullptr}},
    {"mi_vector_to_camera", {nullptr}},
    {"mi_vector_from_camera", {nullptr}},
};

std::atomic<HMODULE> host_module{nullptr};

// What the failure line prints for the handle: %08x takes an unsigned int, so a
// 64-bit handle is converted to its low 32 bits here, never passed whole.
unsigned handle_bits(HMODULE module) {
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(module));
}

FARPROC look_up(Slot& slot) {
    const HMODULE module = host_module.load(std::memory_order_relaxed);
    if (module == nullptr) {
        fprintf(stderr, "DYNLOAD: dl_handle null\n");
    }
    const FARPROC address = GetProcAddress(module, slot.name);
    // Read before anything else can overwrite the thread's last error.
    const DWORD error = address == nullptr ? GetLastError() : 0;
    slot.address.store(address, std::memory_order_relaxed);
    if (address == nullptr) {
        fprintf(stderr, "dlsym failed on \"%s\" (handle: %08x error: %d)\n", slot.name,
                handle_bits(module), static_cast<int>(error));
    }
    return address;
}

// Through the generic function-pointer type, which GCC accepts as a cast target.
template <typename Function> Function as_function(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// Calls the host function cached in the entry's slot with the entry's own
// arguments. The common path (slot filled) is a load, a test and a jump to
// the host function, with no stack frame of its own; a call that finds the
// slot empty takes the out-of-line path, which looks the name up first. When
// that lookup fails, the slot stays empty (the next call tries again) and the
// entry does nothing and returns R(): 0 from mi_trace_eye, so a ray that was
// never traced is not reported as traced, and the vector entries leave their
// output untouched.
template <Entry entry, typename Function> struct Forward;

template <Entry entry, typename R, typename... Args> struct Forward<entry, R (*)(Args...)> {
    static R call(Args... args) {
        const FARPROC address = slots[entry].address.load(std::memory_order_relaxed);
        if (__builtin_expect(address == nullptr, 0)) {
            return call_after_lookup(args...);
        }
        return as_function<R (*)(Args...)>(address)(args...);
    }

    __attribute__((noinline, cold)) static R call_after_lookup(Args... args) {
        const FARPROC address = look_up(slots[entry]);
        if (address == nullptr) {
            return R();
        }
        return as_function<R (*)(Args...)>(address)(args...);
    }
};

} // namespace

extern "C" KELMORA_EXPORT int32_t miSetModuleHandle(HMODULE module) {
    host_module.store(module, std::memory_order_relaxed);
    for (Slot& slot : slots) {
        slot.address.store(nullptr, std::memory_order_relaxed);
    }
    return 0;
}

// The forwarding entries, under the host functions' own names: the shader
// calls them exactly as it calls the renderer in the other builds.

extern "C" mi_boolean mi_trace_eye(mi_color* result, mi_state* state, const mi_vector* origin,
                                   const mi_vector* direction) {
    return Forward<trace_eye_entry, decltype(&mi_trace_eye)>::call(result, state, origin,
                                                                   direction);
}

extern "C" void mi_vector_to_camera(mi_state* state, mi_vector* out, const mi_vector* in) {
    Forward<vector_to_camera_entry, decltype(&mi_vector_to_camera)>::call(state, out, in);
}

extern "C" void mi_vector_from_camera(mi_state* state, mi_vector* out, const mi_vector* in) {
    Forward<vector_from_camera_entry, decltype(&mi_vector_from_camera)>::call(state, out, in);
}
