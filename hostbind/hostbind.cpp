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

// The entry's host function, looked up when its slot is empty; null when the
// lookup failed (the slot then stays empty and the next call tries again).
template <typename Function> Function resolve(Entry entry) {
    Slot& slot = slots[entry];
    FARPROC address = slot.address.load(std::memory_order_relaxed);
    if (address == nullptr) {
        address = look_up(slot);
    }
    // Through the generic function-pointer type, which GCC accepts as a cast target.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

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
    const auto trace_eye = resolve<decltype(&mi_trace_eye)>(trace_eye_entry);
    if (trace_eye == nullptr) {
        return 0; // nothing was traced: never report success
    }
    return trace_eye(result, state, origin, direction);
}

extern "C" void mi_vector_to_camera(mi_state* state, mi_vector* out, const mi_vector* in) {
    const auto to_camera = resolve<decltype(&mi_vector_to_camera)>(vector_to_camera_entry);
    if (to_camera != nullptr) {
        to_camera(state, out, in);
    }
}

extern "C" void mi_vector_from_camera(mi_state* state, mi_vector* out, const mi_vector* in) {
    const auto from_camera = resolve<decltype(&mi_vector_from_camera)>(vector_from_camera_entry);
    if (from_camera != nullptr) {
        from_camera(state, out, in);
    }
}
