// The banners written when the shared library is loaded and unloaded.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_folder.h"

namespace kadrix::camera {
namespace {

TEST(LibraryEntry, LoadAndUnloadLeaveTheirBanners) {
    const std::filesystem::path folder = std::filesystem::absolute("entry");
    std::filesystem::create_directories(folder);
    const std::string library = (test::programFolder() / "libkadrix_camera.so").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process of its own, so the library's copy of the log state is the only one.
        std::filesystem::current_path(folder);
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            _exit(2);
        dlclose(handle);
        std::exit(0);  // runs the unload banner if dlclose kept the library
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << dlerror();
    const std::string stars = "[CMNT] " + std::string(79, '*') + "\r\n";
    EXPECT_EQ(test::readFile(folder / "ZelDll.log"),
              "\r\n" + stars + "[CMNT]  Kadrix.dll Initialize\r\n" + stars +  //
                  stars + "[CMNT]  Kadrix.dll Terminate\r\n" + stars + "\r\n");
}

}  // namespace
}  // namespace kadrix::camera
