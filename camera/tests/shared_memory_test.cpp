#include "kadrix/camera/shared_memory.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "dll_handle.h"
#include "kadrix/camera/module_handle.h"
#include "module_file.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

class SharedMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string suffix = std::to_string(getpid());
        blockName = "KADRIX_TEST_BLOCK_" + suffix;
        mutexName = "KADRIX_TEST_MUTEX_" + suffix;
        TearDown();
    }
    void TearDown() override {
        shm_unlink(KxSharedObjectName(blockName.c_str()).c_str());
        shm_unlink(KxSharedObjectName(mutexName.c_str()).c_str());
    }
    std::string blockName, mutexName;
};

TEST_F(SharedMemoryTest, TwoObjectsOfOneNameSeeTheSameBytesAndOnlyTheFirstZeroes) {
    CSharedMemory first, second;
    ASSERT_EQ(first.MallocSharedMemory(64, blockName.c_str(), mutexName.c_str()), 1);
    auto* bytes = static_cast<unsigned char*>(first.GetpSharedMemory());
    for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << i;
    std::memcpy(bytes, "published", 10);
    ASSERT_EQ(second.MallocSharedMemory(64, blockName.c_str(), mutexName.c_str()), 1);
    EXPECT_STREQ(static_cast<const char*>(second.GetpSharedMemory()), "published");
    std::strcpy(static_cast<char*>(second.GetpSharedMemory()), "back");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "back");
    first.FreeSharedMemory();
    second.FreeSharedMemory();
    EXPECT_EQ(first.GetpSharedMemory(), nullptr);
    EXPECT_EQ(first.GethSharedMemory(), nullptr);
}

TEST_F(SharedMemoryTest, FreeWithoutMallocAndBadNames) {
    CSharedMemory block;
    block.FreeSharedMemory();
    EXPECT_EQ(block.GetpSharedMemory(), nullptr);
    EXPECT_EQ(block.GethSharedMemory(), nullptr);
    EXPECT_EQ(block.LockSharedMemory(), 0);
    EXPECT_EQ(block.MallocSharedMemory(8, "bad/name", mutexName.c_str()), 0);
    EXPECT_EQ(block.MallocSharedMemory(8, nullptr, mutexName.c_str()), 0);
    EXPECT_EQ(block.MallocSharedMemory(0, blockName.c_str(), mutexName.c_str()), 0);
    EXPECT_EQ(block.GethSharedMemory(), nullptr);
}

TEST_F(SharedMemoryTest, CopiesShareTheMappingUntilTheLastOneFrees) {
    CSharedMemory original;
    ASSERT_EQ(original.MallocSharedMemory(16, blockName.c_str(), mutexName.c_str()), 1);
    CSharedMemory copy(original);
    EXPECT_EQ(copy.GetpSharedMemory(), original.GetpSharedMemory());
    original.FreeSharedMemory();
    std::strcpy(static_cast<char*>(copy.GetpSharedMemory()), "still mapped");
    EXPECT_EQ(copy.LockSharedMemory(), 1);
    copy.UnlockSharedMemory();
    copy.FreeSharedMemory();
}

TEST_F(SharedMemoryTest, ALockWhoseHolderDiedIsTakenOver) {
    CSharedMemory block;
    ASSERT_EQ(block.MallocSharedMemory(8, blockName.c_str(), mutexName.c_str()), 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSharedMemory holder;
        if (!holder.MallocSharedMemory(8, blockName.c_str(), mutexName.c_str()))
            _exit(2);
        if (!holder.LockSharedMemory())
            _exit(3);
        std::memcpy(holder.GetpSharedMemory(), "child", 6);
        _exit(0);  // dies holding the lock
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(block.LockSharedMemory(), 1);
    EXPECT_STREQ(static_cast<const char*>(block.GetpSharedMemory()), "child");
    block.UnlockSharedMemory();
    // And it works normally afterwards, from another object too.
    CSharedMemory other;
    ASSERT_EQ(other.MallocSharedMemory(8, blockName.c_str(), mutexName.c_str()), 1);
    EXPECT_EQ(other.LockSharedMemory(), 1);
    other.UnlockSharedMemory();
    other.FreeSharedMemory();
    block.FreeSharedMemory();
}

TEST_F(SharedMemoryTest, ALockLeftHalfSetUpIsSetUpAnew) {
    // What a process that died while setting the lock up leaves: the state says "initialising".
    const std::string object = KxSharedObjectName(mutexName.c_str());
    const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    const std::uint32_t initialising = 1;
    ASSERT_EQ(pwrite(fd, &initialising, sizeof initialising, 0),
              static_cast<ssize_t>(sizeof initialising));
    close(fd);
    CSharedMemory block;
    ASSERT_EQ(block.MallocSharedMemory(8, blockName.c_str(), mutexName.c_str()), 1);
    EXPECT_EQ(block.LockSharedMemory(), 1);
    block.UnlockSharedMemory();
    block.FreeSharedMemory();
}

TEST(ModuleHandle, TurnsBackIntoTheModulesFileName) {
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string name;
    ASSERT_TRUE(moduleFileName(nullptr, name));
    EXPECT_EQ(name, exe);
    void* self = KxModuleHandleOf(reinterpret_cast<const void*>(&executableModuleHandle));
    EXPECT_EQ(self, executableModuleHandle());
    ASSERT_TRUE(moduleFileName(self, name));
    EXPECT_EQ(name, exe);

    const std::string fake = (test::programFolder() / "camera_fakes/ijl15.dll").string();
    void* library = dlopen(fake.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    void* hModule = KxModuleHandleOf(dlsym(library, "fakeAnchor"));
    ASSERT_TRUE(moduleFileName(hModule, name));
    EXPECT_EQ(name, fake);
    dlclose(library);

    // An address where no module starts (a stale handle of another process, say) names nothing.
    int local = 0;
    EXPECT_FALSE(moduleFileName(&local, name));
    EXPECT_FALSE(moduleFileName(static_cast<char*>(self) + 4096, name));
}

TEST(GetDllHandle, ReadsWhatTheHostPublished) {
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    void* hModule = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetDllHandle(hModule), ERR_NONE);
    EXPECT_EQ(hModule, nullptr);  // nobody published: a fresh block of zeros
    void* libc = KxModuleHandleOf(reinterpret_cast<const void*>(&std::printf));
    {
        test::PublishedHandle published(libc);
        ASSERT_TRUE(published.ok());
        EXPECT_EQ(GetDllHandle(hModule), ERR_NONE);
        EXPECT_EQ(hModule, libc);
    }
}

TEST(GetDllHandle, AHostTakesBackOnlyItsOwnHandle) {
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    void* libc = KxModuleHandleOf(reinterpret_cast<const void*>(&std::printf));
    void* self = KxModuleHandleOf(reinterpret_cast<const void*>(&GetDllHandle));
    CSharedMemory block;
    ASSERT_EQ(KxPublishModuleHandle(block, libc), 1);
    KxUnpublishModuleHandle(block, self);  // not ours: left
    void* hModule = nullptr;
    EXPECT_EQ(GetDllHandle(hModule), ERR_NONE);
    EXPECT_EQ(hModule, libc);
    KxUnpublishModuleHandle(block, libc);
    EXPECT_EQ(GetDllHandle(hModule), ERR_NONE);
    EXPECT_EQ(hModule, nullptr) << "a host that went leaves no handle behind";
    block.FreeSharedMemory();
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
}

}  // namespace
}  // namespace kadrix::camera
