#include "kadrix/platform/library.h"

#include <gtest/gtest.h>

#include "kadrix/platform/file_services.h"

using namespace kadrix::platform;

TEST(Library, FindsALibraryInTheProgramFolderUnderItsHistoricalName) {
    auto library = SharedLibrary::load("KxTestPlugin.DLL");
    ASSERT_TRUE(library.ok()) << library.message();
    EXPECT_EQ(library->path(), hostProgramFolder() + "KxTestPlugin.DLL");
    auto answer = library->function<int(int)>("KxTestAnswer");
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ((*answer)(20), 41);
}

TEST(Library, MissingLibraryOrEntryIsAFailureValue) {
    auto missing = SharedLibrary::load("NoSuchLibrary.dll");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("NoSuchLibrary.dll"), std::string::npos);

    auto library = SharedLibrary::load("KxTestPlugin.DLL");
    ASSERT_TRUE(library.ok());
    EXPECT_EQ(library->entry("NoSuchEntry"), nullptr);
    auto fn = library->function<void()>("NoSuchEntry");
    ASSERT_FALSE(fn.ok());
    EXPECT_NE(fn.message().find("NoSuchEntry"), std::string::npos);

    EXPECT_FALSE(SharedLibrary::load("").ok());
    EXPECT_FALSE(SharedLibrary::load("KxTestPlugin.dll").ok()) << "names are case-sensitive files";
}

TEST(Library, TheProgramFolderComesFirst) {
    const auto folders = librarySearchFolders(reinterpret_cast<const void*>(&kx_load_library));
    ASSERT_GE(folders.size(), 1u);
    EXPECT_EQ(folders.front() + "/", hostProgramFolder());
    EXPECT_EQ(moduleFileName(nullptr), hostProgramFolder() + "platform_library_tests");
    EXPECT_NE(moduleFileName(reinterpret_cast<const void*>(&kx_load_library)).find("libkadrix_platform.so"),
              std::string::npos);
}

TEST(Library, CEntriesReportWhy) {
    EXPECT_EQ(kx_load_library("NoSuchLibrary.dll"), nullptr);
    EXPECT_NE(std::string(kx_library_error()).find("NoSuchLibrary.dll"), std::string::npos);
    void* lib = kx_load_library("KxTestPlugin.DLL");
    ASSERT_NE(lib, nullptr);
    EXPECT_NE(kx_library_entry(lib, "KxTestAnswer"), nullptr);
    EXPECT_EQ(kx_library_entry(lib, "Nope"), nullptr);
    EXPECT_NE(std::string(kx_library_error()).find("Nope"), std::string::npos);
    kx_free_library(lib);
    kx_free_library(nullptr);
}
