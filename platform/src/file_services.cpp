#include "kadrix/platform/file_services.h"

#include <stdio.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kadrix/platform/library.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace kadrix::platform {
namespace {

std::string why(const std::error_code& ec) { return ec.message(); }
std::string lastError() { return std::strerror(errno); }

std::string percentEncode(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string percentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string localTimestamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &tm);
    return buffer;
}

// Renames without replacing what is at the target: EEXIST when the name is taken.
int renameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    return errno;
}

// Moves a file or folder to a name that must be free, copying across file systems through a
// temporary name in the target folder; the source goes only once the copy is whole and in place.
// `taken` reports a target that another holder took meanwhile.
Status moveAcross(const fs::path& from, const fs::path& to, bool* taken = nullptr) {
    int error = renameNoReplace(from, to);
    if (error == 0) return {};
    if (error == EEXIST) {
        if (taken) *taken = true;
        return Status::failure("cannot move " + from.string() + ": " + to.string() + " exists");
    }
    if (error != EXDEV) return Status::failure("cannot move " + from.string() + ": " + std::strerror(error));
    std::error_code ec;
    const fs::path temp = to.parent_path() / ("." + to.filename().string() + ".moving-" + std::to_string(::getpid()));
    fs::remove_all(temp, ec);
    fs::copy(from, temp, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (!ec) {
        error = renameNoReplace(temp, to);
        if (error == EEXIST && taken) *taken = true;
    }
    if (ec || error != 0) {
        fs::remove_all(temp, ec);
        return Status::failure("cannot move " + from.string() + " to " + to.string());
    }
    fs::remove_all(from, ec);
    if (ec) return Status::failure("moved, but cannot remove " + from.string() + ": " + why(ec));
    return {};
}

}  // namespace

fs::path userTrashFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local/share/Trash";
}

Result<TrashedFile> moveToTrash(const fs::path& path) {
    std::error_code ec;
    const fs::path original = fs::absolute(path, ec).lexically_normal();
    if (ec || !fs::exists(fs::symlink_status(original, ec)))
        return Status::failure("cannot move to the Trash: " + path.string() + " does not exist");
    const fs::path trash = userTrashFolder();
    fs::create_directories(trash / "files", ec);
    fs::create_directories(trash / "info", ec);
    if (ec) return Status::failure("cannot create the Trash folder " + trash.string() + ": " + why(ec));

    // The record is made first and exclusively: it reserves the name in Trash/files.
    const std::string base = original.filename().string();
    TrashedFile trashed{original, {}, {}};
    int fd = -1;
    for (int n = 1; n < 10000 && fd < 0; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        trashed.info = trash / "info" / (name + ".trashinfo");
        trashed.file = trash / "files" / name;
        if (fs::exists(fs::symlink_status(trashed.file, ec))) continue;
        fd = ::open(trashed.info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return Status::failure("cannot write the Trash record: " + lastError());
    }
    if (fd < 0) return Status::failure("no free name in the Trash for " + base);
    const std::string record = "[Trash Info]\nPath=" + percentEncode(original.string()) +
                               "\nDeletionDate=" + localTimestamp() + "\n";
    const bool written = ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    ::close(fd);
    if (!written) {
        fs::remove(trashed.info, ec);
        return Status::failure("cannot write the Trash record " + trashed.info.string());
    }
    if (Status moved = moveAcross(original, trashed.file); !moved) {
        fs::remove(trashed.info, ec);
        return moved;
    }
    return trashed;
}

Status restoreFromTrash(const TrashedFile& trashed) {
    std::ifstream in(trashed.info);
    if (!in) return Status::failure("no Trash record " + trashed.info.string());
    std::string line, original;
    while (std::getline(in, line))
        if (line.rfind("Path=", 0) == 0) original = percentDecode(line.substr(5));
    in.close();
    if (original.empty()) return Status::failure("Trash record without a path: " + trashed.info.string());
    std::error_code ec;
    if (fs::exists(fs::symlink_status(original, ec)))
        return Status::failure("cannot restore: " + original + " exists");
    fs::create_directories(fs::path(original).parent_path(), ec);
    if (Status moved = moveAcross(trashed.file, original); !moved) return moved;
    fs::remove(trashed.info, ec);
    return {};
}

Status openWithAssociatedProgram(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return Status::failure("cannot open " + path.string() + ": no such file");
    const char* custom = std::getenv("KADRIX_OPEN_COMMAND");
    const QString opener = QString::fromLocal8Bit(custom && *custom ? custom : "xdg-open");
    if (!QProcess::startDetached(opener, {QString::fromStdString(path.string())}))
        return Status::failure("cannot start " + opener.toStdString() + " for " + path.string());
    return {};
}

Status removeFolderRecursive(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec)))
        return Status::failure("not a folder: " + folder.string());
    fs::remove_all(folder, ec);
    if (ec) return Status::failure("cannot remove " + folder.string() + ": " + why(ec));
    return {};
}

fs::path collisionFreeName(const fs::path& folder, const fs::path& name) {
    std::error_code ec;
    fs::path candidate = folder / name.filename();
    const std::string stem = name.stem().string();
    const std::string extension = name.extension().string();
    for (int n = 2; fs::exists(fs::symlink_status(candidate, ec)); ++n)
        candidate = folder / (stem + " (" + std::to_string(n) + ")" + extension);
    return candidate;
}

Result<std::vector<fs::path>> moveFilesIntoFolder(const std::vector<fs::path>& files,
                                                 const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Status::failure("no such folder: " + folder.string());
    std::vector<fs::path> moved;
    for (const fs::path& file : files) {
        if (!fs::exists(fs::symlink_status(file, ec)))
            return Status::failure("cannot move " + file.string() + ": no such file");
        // A name taken between the choice and the move is chosen again.
        for (int attempt = 0;; ++attempt) {
            const fs::path target = collisionFreeName(folder, file.filename());
            bool taken = false;
            Status status = moveAcross(file, target, &taken);
            if (status) {
                moved.push_back(target);
                break;
            }
            if (!taken || attempt == 100) return status;
        }
    }
    return moved;
}

Status copyFile(const fs::path& from, const fs::path& to, bool overwrite) {
    std::error_code ec;
    const auto sourceStatus = fs::status(from, ec);
    if (!fs::is_regular_file(sourceStatus)) return Status::failure("cannot copy " + from.string() + ": no such file");
    if (!overwrite && fs::exists(fs::symlink_status(to, ec)))
        return Status::failure("cannot copy to " + to.string() + ": the file exists");

    std::string temp = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
    const int out = ::mkstemp(temp.data());
    if (out < 0) return Status::failure("cannot create a file in " + to.parent_path().string() + ": " + lastError());
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    bool good = in >= 0;
    char buffer[1 << 16];
    while (good) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) break;
        good = n > 0 && ::write(out, buffer, static_cast<size_t>(n)) == n;
    }
    if (in >= 0) ::close(in);
    good = ::fchmod(out, static_cast<mode_t>(sourceStatus.permissions()) & 07777) == 0 && good;
    good = ::fsync(out) == 0 && good;  // on disk before the name says the copy is there
    good = ::close(out) == 0 && good;
    if (!good) {
        ::unlink(temp.c_str());
        return Status::failure("cannot copy " + from.string() + " to " + to.string());
    }
    // Without overwrite the link fails when the target appeared meanwhile: never replaced.
    const int placed = overwrite ? ::rename(temp.c_str(), to.c_str()) : ::link(temp.c_str(), to.c_str());
    const int placeError = errno;
    if (!overwrite || placed != 0) ::unlink(temp.c_str());
    if (placed != 0)
        return Status::failure("cannot copy to " + to.string() + ": " + std::strerror(placeError));
    return {};
}

Result<uint32_t> fileAttributes(const fs::path& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return Status::failure("no such file: " + path.string());
    return (st.st_mode & S_IWUSR) ? attr::Archive : attr::ReadOnly;
}

Status setFileAttributes(const fs::path& path, uint32_t attributes) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return Status::failure("no such file: " + path.string());
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & attr::ReadOnly) ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    if (::chmod(path.c_str(), mode) != 0)
        return Status::failure("cannot change the attributes of " + path.string() + ": " + lastError());
    return {};
}

bool isFileInUse(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the shared lock
    return locked;
}

Result<ExclusiveFileLock> ExclusiveFileLock::acquire(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Status::failure("cannot open " + path.string() + " for writing: " + lastError());
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Status::failure("file is locked by another writer: " + path.string());
    }
    if (::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return Status::failure("cannot write " + path.string() + ": " + lastError());
    }
    return ExclusiveFileLock(fd);
}

ExclusiveFileLock::ExclusiveFileLock(ExclusiveFileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

ExclusiveFileLock& ExclusiveFileLock::operator=(ExclusiveFileLock&& other) noexcept {
    if (this != &other) {
        unlock();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

ExclusiveFileLock::~ExclusiveFileLock() { unlock(); }

Status ExclusiveFileLock::write(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n <= 0) return Status::failure("cannot write: " + lastError());
        p += n;
        size -= static_cast<size_t>(n);
    }
    return {};
}

void ExclusiveFileLock::unlock() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string hostProgramFolder() {
    const std::string self = moduleFileName(nullptr);
    return self.empty() ? std::string() : fs::path(self).parent_path().string() + "/";
}

std::string currentFolder() {
    std::error_code ec;
    std::string folder = fs::current_path(ec).string();
    if (ec) return {};
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace kadrix::platform
