// File and folder services of the shell: the recycle bin (the user's freedesktop Trash), opening
// a file with its program, folder removal, moves and copies that never leave half a file, file
// attributes and the "file in use" test that capture writers take part in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

namespace fs = std::filesystem;

struct TrashedFile {
    fs::path original;  // where it was
    fs::path file;      // where it is now, in Trash/files
    fs::path info;      // its Trash/info/*.trashinfo record
};

// $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
KX_PLATFORM_API fs::path userTrashFolder();
// Moves a file or folder to the Trash with its record, asking nothing. Nothing changes on failure.
KX_PLATFORM_API Result<TrashedFile> moveToTrash(const fs::path& path);
// Puts a trashed file back where its record says it was and removes the record.
KX_PLATFORM_API Status restoreFromTrash(const TrashedFile& trashed);

// Opens the file with the program the desktop associates with it (xdg-open; KADRIX_OPEN_COMMAND
// names another opener).
KX_PLATFORM_API Status openWithAssociatedProgram(const fs::path& path);

KX_PLATFORM_API Status removeFolderRecursive(const fs::path& folder);

// Moves the files into the folder; a name already taken there becomes "name (2).ext", "name
// (3).ext", ... Returns the new paths in order. Stops at the first file that cannot be moved;
// the files moved before it stay moved, the rest stay where they were.
KX_PLATFORM_API Result<std::vector<fs::path>> moveFilesIntoFolder(const std::vector<fs::path>& files,
                                                                 const fs::path& folder);
// The first free name for `name` in `folder`, by the rule above.
KX_PLATFORM_API fs::path collisionFreeName(const fs::path& folder, const fs::path& name);

// Copies through a temporary file renamed into place. Without overwrite an existing target fails.
KX_PLATFORM_API Status copyFile(const fs::path& from, const fs::path& to, bool overwrite);

// File attributes as the shell knows them, mapped onto the owner's write permission.
namespace attr {
inline constexpr uint32_t ReadOnly = 0x01;
inline constexpr uint32_t Archive = 0x20;  // alone: a plain writable file
}  // namespace attr
KX_PLATFORM_API Result<uint32_t> fileAttributes(const fs::path& path);
KX_PLATFORM_API Status setFileAttributes(const fs::path& path, uint32_t attributes);

// A file is in use when it does not exist, or while another holder keeps an exclusive lock on it.
KX_PLATFORM_API bool isFileInUse(const fs::path& path);

// The lock a writer holds while it writes a file others may pick up (flock, exclusive). The
// file is created when missing and opened for writing; the lock goes with the object.
class KX_PLATFORM_API ExclusiveFileLock {
public:
    static Result<ExclusiveFileLock> acquire(const fs::path& path);
    ExclusiveFileLock(ExclusiveFileLock&& other) noexcept;
    ExclusiveFileLock& operator=(ExclusiveFileLock&& other) noexcept;
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
    ~ExclusiveFileLock();

    int fd() const { return fd_; }
    Status write(const void* data, size_t size);
    void unlock();

private:
    explicit ExclusiveFileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Folder of the running program and the current folder, each ending with "/".
KX_PLATFORM_API std::string hostProgramFolder();
KX_PLATFORM_API std::string currentFolder();

}  // namespace kadrix::platform
