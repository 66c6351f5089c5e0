#include "lookup_recorder.h"

#include <atomic>
#include <cstring>

namespace lookup_recorder {
namespace {

struct Record {
    HMODULE module;
    char name[64];
};

// Filled from any thread without a lock or an allocation.
constexpr unsigned capacity = 512;
Record records[capacity];
std::atomic<unsigned> recorded{0};

FARPROC WINAPI recording_get_proc_address(HMODULE module, LPCSTR name) {
    const FARPROC address = GetProcAddress(module, name);
    const DWORD error = GetLastError();
    const unsigned index = recorded.fetch_add(1);
    if (index < capacity) {
        records[index].module = module;
        std::strncpy(records[index].name, name, sizeof records[index].name - 1);
    }
    SetLastError(error); // the caller reads the lookup's own error code
    return address;
}

// An RVA is 32 bits, but a 64-bit image's import thunks hold it in 64.
template <typename T> T at(HMODULE base, ULONG_PTR offset) {
    return reinterpret_cast<T>(reinterpret_cast<BYTE*>(base) + offset);
}

// The import address table entry through which `plugin` calls `function` of `dll`.
FARPROC* import_slot(HMODULE plugin, const char* dll, const char* function) {
    const auto dos = at<const IMAGE_DOS_HEADER*>(plugin, 0);
    const auto nt = at<const IMAGE_NT_HEADERS*>(plugin, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto desc = at<const IMAGE_IMPORT_DESCRIPTOR*>(plugin, imports.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (_stricmp(at<const char*>(plugin, desc->Name), dll) != 0) {
            continue;
        }
        auto names = at<const IMAGE_THUNK_DATA*>(plugin, desc->OriginalFirstThunk);
        auto slots = at<FARPROC*>(plugin, desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto by_name = at<const IMAGE_IMPORT_BY_NAME*>(plugin, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
                return slots;
            }
        }
    }
    return nullptr;
}

} // namespace

bool install(HMODULE plugin) {
    FARPROC* slot = import_slot(plugin, "KERNEL32.dll", "GetProcAddress");
    if (slot == nullptr) {
        return false;
    }
    DWORD old_protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old_protection)) {
        return false;
    }
    *slot =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&recording_get_proc_address));
    VirtualProtect(slot, sizeof *slot, old_protection, &old_protection);
    take();
    return true;
}

std::vector<Lookup> take() {
    const unsigned count = recorded.exchange(0);
    std::vector<Lookup> lookups;
    for (unsigned i = 0; i < count && i < capacity; ++i) {
        lookups.push_back({records[i].module, records[i].name});
        std::memset(&records[i], 0, sizeof records[i]);
    }
    return lookups;
}

} // namespace lookup_recorder
