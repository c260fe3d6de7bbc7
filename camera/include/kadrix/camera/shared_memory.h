// CSharedMemory: a named block of memory shared between processes and the named lock that
// guards it. The block is POSIX shared memory "/<block name>.<user id>"; the lock is a robust
// process-shared mutex in the shared memory object "/<mutex name>.<user id>", so a holder that
// dies cannot leave it locked. Names belong to one user, as a session's named objects do, so
// one user's block never locks another out. A new block is zero-filled; an existing one keeps
// its bytes.
#pragma once

#include <unistd.h>

#include <cstring>
#include <string>

#include "kadrix/camera/export.h"

// The block a host publishes its module handle in, and two more pairs kept beside it.
#define SHARED_NAME_HANDLE "SHARED_NAME_HANDLE"
#define MUTEX_NAME_HANDLE "MUTEX_NAME_HANDLE"
#define SHARED_NAME_FOLDER "SHARED_NAME_FOLDER"
#define MUTEX_NAME_FOLDER "MUTEX_NAME_FOLDER"
#define SHARED_NAME_FILE "SHARED_NAME_FILE"
#define MUTEX_NAME_FILE "MUTEX_NAME_FILE"

// The POSIX object behind a block or lock name, for this process's user.
inline std::string KxSharedObjectName(const char* name) {
    return std::string("/") + name + "." + std::to_string(getuid());
}

class KX_CAMERA_API CSharedMemory {
  public:
    CSharedMemory();
    // Copies share the mapping and the lock; each copy's FreeSharedMemory releases its share.
    CSharedMemory(const CSharedMemory& other);
    CSharedMemory& operator=(const CSharedMemory& other);
    // Releases nothing: owners call FreeSharedMemory.
    virtual ~CSharedMemory();

    // Creates or opens the block and the lock. 1 on success, 0 on failure.
    int MallocSharedMemory(unsigned long ulSize, const char* pszSharedName,
                           const char* pszMutexName);
    void FreeSharedMemory();
    void* GetpSharedMemory() { return _pSharedMemory; }
    void* GethSharedMemory() { return _hSharedMemory; }

    // Waits without time limit. 1 when held (also after taking it over from a holder that
    // died), 0 when there is no lock to take.
    int LockSharedMemory();
    void UnlockSharedMemory();

  protected:
    void* _hSharedMemory;
    void* _pSharedMemory;
    void* _hMutex;
};
