#include "kadrix/camera/shared_memory.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>

#include "trace_log.h"

namespace {

using kadrix::camera::TraceBuffer;
using kadrix::camera::TraceModule;

// The unit's trace module: nothing here writes a line.
constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
[[maybe_unused]] constinit TraceModule trace(traceBuffer, traceSwitch);

// What _hSharedMemory and _hMutex point at. Copies of an object share them.
struct BlockRecord {
    std::atomic<int> shares;
    void* view;
    std::size_t size;
};

// The content of the lock's shared memory object.
struct LockPage {
    std::atomic<std::uint32_t> state;
    pthread_mutex_t mutex;
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

struct LockRecord {
    std::atomic<int> shares;
    LockPage* page;
};

constexpr std::uint32_t kFresh = 0;  // a new object is zero-filled
constexpr std::uint32_t kInitialising = 1;
constexpr std::uint32_t kReady = 2;

std::string objectName(const char* name) {
    return KxSharedObjectName(name);
}

int createOrOpen(const std::string& name, bool& created) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        fd = shm_open(name.c_str(), O_RDWR, 0);
        if (fd >= 0) {
            created = false;
            return fd;
        }
        if (errno != ENOENT)
            return -1;  // removed between the two calls: try again
    }
    return -1;
}

// Grows the object to at least `size` bytes; never shrinks what another process sized.
bool sizeAtLeast(int fd, std::size_t size, std::size_t& actual) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    actual = static_cast<std::size_t>(st.st_size);
    if (actual >= size)
        return true;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0)
        return false;
    actual = size;
    return true;
}

void* mapObject(const char* name, std::size_t size, bool& created, std::size_t& mapped) {
    const int fd = createOrOpen(objectName(name), created);
    if (fd < 0)
        return nullptr;
    void* view = MAP_FAILED;
    if (sizeAtLeast(fd, size, mapped))
        view = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);  // the mapping keeps the object
    return view == MAP_FAILED ? nullptr : view;
}

bool initialiseMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0)
        return false;
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    // A second lock from the same thread fails instead of hanging.
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ERRORCHECK);
    const bool ok = pthread_mutex_init(mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

LockPage* openLock(const char* name) {
    bool created = false;
    std::size_t mapped = 0;
    auto* page = static_cast<LockPage*>(mapObject(name, sizeof(LockPage), created, mapped));
    if (!page)
        return nullptr;
    // Whoever maps a fresh object first sets the mutex up; the others wait until it is ready. A
    // setter that died halfway leaves it initialising: after the wait it is set up anew.
    for (int round = 0; round < 2; ++round) {
        std::uint32_t expected = kFresh;
        if (page->state.compare_exchange_strong(expected, kInitialising)) {
            if (initialiseMutex(&page->mutex)) {
                page->state.store(kReady, std::memory_order_release);
                return page;
            }
            page->state.store(kFresh);
            break;
        }
        for (int i = 0; i < 2000 && page->state.load(std::memory_order_acquire) != kReady; ++i)
            usleep(1000);
        if (page->state.load(std::memory_order_acquire) == kReady)
            return page;
        expected = kInitialising;
        page->state.compare_exchange_strong(expected, kFresh);
    }
    munmap(page, mapped);
    return nullptr;
}

void releaseBlock(void* handle) {
    auto* record = static_cast<BlockRecord*>(handle);
    if (!record || --record->shares > 0)
        return;
    munmap(record->view, record->size);
    delete record;
}

void releaseLock(void* handle) {
    auto* record = static_cast<LockRecord*>(handle);
    if (!record || --record->shares > 0)
        return;
    munmap(record->page, sizeof(LockPage));
    delete record;
}

void share(void* blockHandle, void* lockHandle) {
    if (blockHandle)
        ++static_cast<BlockRecord*>(blockHandle)->shares;
    if (lockHandle)
        ++static_cast<LockRecord*>(lockHandle)->shares;
}

}  // namespace

CSharedMemory::CSharedMemory()
    : _hSharedMemory(nullptr), _pSharedMemory(nullptr), _hMutex(nullptr) {}

CSharedMemory::CSharedMemory(const CSharedMemory& other)
    : _hSharedMemory(other._hSharedMemory),
      _pSharedMemory(other._pSharedMemory),
      _hMutex(other._hMutex) {
    share(_hSharedMemory, _hMutex);
}

CSharedMemory& CSharedMemory::operator=(const CSharedMemory& other) {
    if (this == &other)
        return *this;
    share(other._hSharedMemory, other._hMutex);
    FreeSharedMemory();
    _hSharedMemory = other._hSharedMemory;
    _pSharedMemory = other._pSharedMemory;
    _hMutex = other._hMutex;
    return *this;
}

CSharedMemory::~CSharedMemory() = default;

int CSharedMemory::MallocSharedMemory(unsigned long ulSize, const char* pszSharedName,
                                      const char* pszMutexName) {
    // Mapping again releases this object's earlier share instead of leaking it.
    if (_hSharedMemory || _hMutex)
        FreeSharedMemory();
    if (!pszSharedName || ulSize == 0)
        return 0;
    bool created = false;
    std::size_t mapped = 0;
    void* view = mapObject(pszSharedName, ulSize, created, mapped);
    if (!view)
        return 0;
    _hSharedMemory = new BlockRecord{{1}, view, mapped};
    _pSharedMemory = view;
    if (pszMutexName) {
        if (LockPage* page = openLock(pszMutexName))
            _hMutex = new LockRecord{{1}, page};
    }
    if (created) {
        const int locked = LockSharedMemory();
        std::memset(view, 0, ulSize);
        if (locked)
            UnlockSharedMemory();
    }
    return 1;
}

void CSharedMemory::FreeSharedMemory() {
    releaseBlock(_hSharedMemory);
    _pSharedMemory = nullptr;
    _hSharedMemory = nullptr;
    releaseLock(_hMutex);
    _hMutex = nullptr;
}

int CSharedMemory::LockSharedMemory() {
    if (!_hMutex)
        return 0;
    pthread_mutex_t* mutex = &static_cast<LockRecord*>(_hMutex)->page->mutex;
    const int rc = pthread_mutex_lock(mutex);
    if (rc == EOWNERDEAD) {
        // The holder died while holding it: the bytes are as it left them; take the lock over.
        pthread_mutex_consistent(mutex);
        return 1;
    }
    return rc == 0 ? 1 : 0;
}

void CSharedMemory::UnlockSharedMemory() {
    if (!_hMutex)
        return;
    pthread_mutex_unlock(&static_cast<LockRecord*>(_hMutex)->page->mutex);
}
