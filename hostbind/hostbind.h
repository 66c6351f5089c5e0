// The Windows build's hand-over export: the renderer passes its module handle
// through it, and the plug-in then finds the host functions in that module.
#ifndef KELMORA_HOSTBIND_H
#define KELMORA_HOSTBIND_H

#include "host_api.h"

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Stores the handle and empties the entry-point cache, so every host function
// is looked up afresh, in this module, at its next call. Returns 0.
KELMORA_EXPORT int32_t miSetModuleHandle(HMODULE module);

typedef int32_t (*kelmora_set_module_handle_fn)(HMODULE module);

#ifdef __cplusplus
}
#endif

#endif
