// Small helpers the camera tests share: the log file, files, the program's folder and the
// published module handle.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kadrix/camera/module_handle.h"
#include "kadrix/camera/shared_memory.h"

namespace kadrix::camera::test {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Lines as the log holds them: "\n" in the text becomes "\r\n".
inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// What the log file gained since construction (or the last next()).
class LogTail {
  public:
    LogTail() : start_(size()) {}
    std::string next() {
        std::string all = readFile("ZelDll.log");
        std::string tail = all.size() >= start_ ? all.substr(start_) : all;
        start_ = all.size();
        return tail;
    }

  private:
    static std::size_t size() {
        std::error_code ec;
        const auto n = std::filesystem::file_size("ZelDll.log", ec);
        return ec ? 0 : static_cast<std::size_t>(n);
    }
    std::size_t start_;
};

inline std::filesystem::path programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

// Publishes a module handle for the test's duration; afterwards the block is removed, so no
// later process reads a handle of this one.
class PublishedHandle {
  public:
    explicit PublishedHandle(void* hModule) { ok_ = KxPublishModuleHandle(block_, hModule) == 1; }
    ~PublishedHandle() {
        block_.FreeSharedMemory();
        shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    }
    bool ok() const { return ok_; }

  private:
    CSharedMemory block_;
    bool ok_ = false;
};

}  // namespace kadrix::camera::test
