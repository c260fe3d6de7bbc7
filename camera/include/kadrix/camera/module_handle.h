// Module handles as hosts publish them: the address where a module (the executable or a shared
// library) is loaded, as dladdr reports it. Null stands for the executable. The block
// SHARED_NAME_HANDLE holds one handle, sizeof(void*) = 8 bytes.
#pragma once

#include <dlfcn.h>

#include <cstring>

#include "kadrix/camera/shared_memory.h"

constexpr unsigned long MODULE_HANDLE_BYTES = sizeof(void*);

// Handle of the module that holds the address; null when no module holds it.
inline void* KxModuleHandleOf(const void* pAddressInModule) {
    Dl_info info{};
    if (dladdr(pAddressInModule, &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

// Publishes hModule under SHARED_NAME_HANDLE. The block stays open (and published) until the
// caller frees it. 1 on success, 0 on failure.
inline int KxPublishModuleHandle(CSharedMemory& block, void* hModule) {
    if (!block.MallocSharedMemory(MODULE_HANDLE_BYTES, SHARED_NAME_HANDLE, MUTEX_NAME_HANDLE))
        return 0;
    const int locked = block.LockSharedMemory();
    std::memcpy(block.GetpSharedMemory(), &hModule, sizeof hModule);
    if (locked)
        block.UnlockSharedMemory();
    return 1;
}

// Takes back what KxPublishModuleHandle published, before the host frees the block: a handle
// left behind would name a module of a process that is gone. Another host's handle is left.
inline void KxUnpublishModuleHandle(CSharedMemory& block, void* hModule) {
    void* published = nullptr;
    const int locked = block.LockSharedMemory();
    std::memcpy(&published, block.GetpSharedMemory(), sizeof published);
    if (published == hModule) {
        void* none = nullptr;
        std::memcpy(block.GetpSharedMemory(), &none, sizeof none);
    }
    if (locked)
        block.UnlockSharedMemory();
}
