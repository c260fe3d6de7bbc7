#include "kadrix/platform/file_services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

using namespace kadrix::platform;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

class FileServices : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-files-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        fs::create_directories(root_ / "work");
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
        ::unsetenv("XDG_DATA_HOME");
    }
    fs::path work(const std::string& name) const { return root_ / "work" / name; }
    fs::path root_;
};

}  // namespace

TEST_F(FileServices, TrashKeepsTheFileRecoverable) {
    const fs::path file = work("图像 1.jpg");
    writeFile(file, "picture");
    auto trashed = moveToTrash(file);
    ASSERT_TRUE(trashed.ok()) << trashed.message();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(trashed->file.parent_path(), root_ / "data/Trash/files");
    EXPECT_EQ(readAll(trashed->file), "picture");
    const std::string record = readAll(trashed->info);
    EXPECT_EQ(record.rfind("[Trash Info]\nPath=", 0), 0u) << record;
    EXPECT_NE(record.find("%20"), std::string::npos) << "the path is URL-encoded";
    EXPECT_NE(record.find("DeletionDate="), std::string::npos);

    ASSERT_TRUE(restoreFromTrash(*trashed).ok());
    EXPECT_EQ(readAll(file), "picture");
    EXPECT_FALSE(fs::exists(trashed->info));
}

TEST_F(FileServices, TrashingTheSameNameTwiceKeepsBoth) {
    writeFile(work("a.bmp"), "first");
    auto one = moveToTrash(work("a.bmp"));
    writeFile(work("a.bmp"), "second");
    auto two = moveToTrash(work("a.bmp"));
    ASSERT_TRUE(one.ok() && two.ok());
    EXPECT_NE(one->file, two->file);
    EXPECT_EQ(readAll(one->file), "first");
    EXPECT_EQ(readAll(two->file), "second");
}

TEST_F(FileServices, TrashFailureChangesNothing) {
    EXPECT_FALSE(moveToTrash(work("missing.jpg")).ok());
    // A Trash that cannot be written leaves the file where it was, and no record.
    writeFile(root_ / "data", "a file where the Trash folder should be");
    writeFile(work("x.jpg"), "x");
    EXPECT_FALSE(moveToTrash(work("x.jpg")).ok());
    EXPECT_EQ(readAll(work("x.jpg")), "x");
}

TEST_F(FileServices, MoveIntoFolderRenamesOnCollision) {
    fs::create_directories(work("dest"));
    writeFile(work("dest/1.jpg"), "kept");
    writeFile(work("dest/1 (2).jpg"), "kept too");
    writeFile(work("1.jpg"), "new");
    writeFile(work("2.avi"), "video");
    auto moved = moveFilesIntoFolder({work("1.jpg"), work("2.avi")}, work("dest"));
    ASSERT_TRUE(moved.ok()) << moved.message();
    EXPECT_EQ(*moved, (std::vector<fs::path>{work("dest/1 (3).jpg"), work("dest/2.avi")}));
    EXPECT_EQ(readAll(work("dest/1.jpg")), "kept");
    EXPECT_EQ(readAll(work("dest/1 (3).jpg")), "new");

    auto bad = moveFilesIntoFolder({work("gone.jpg")}, work("dest"));
    EXPECT_FALSE(bad.ok());
    EXPECT_FALSE(moveFilesIntoFolder({}, work("nowhere")).ok());
}

TEST_F(FileServices, CopyHonoursOverwriteAndLeavesNoTemporaryFile) {
    writeFile(work("src.jpg"), "new");
    writeFile(work("dst.jpg"), "old");
    EXPECT_FALSE(copyFile(work("src.jpg"), work("dst.jpg"), false).ok());
    EXPECT_EQ(readAll(work("dst.jpg")), "old");
    ASSERT_TRUE(copyFile(work("src.jpg"), work("dst.jpg"), true).ok());
    EXPECT_EQ(readAll(work("dst.jpg")), "new");
    ASSERT_TRUE(copyFile(work("src.jpg"), work("fresh.jpg"), false).ok());
    EXPECT_FALSE(copyFile(work("none.jpg"), work("x.jpg"), true).ok());
    int entries = 0;
    for (auto& e : fs::directory_iterator(root_ / "work")) entries += e.is_regular_file();
    EXPECT_EQ(entries, 3);
}

TEST_F(FileServices, ReadOnlyMapsOntoTheWritePermission) {
    writeFile(work("a.dcm"), "x");
    ASSERT_TRUE(setFileAttributes(work("a.dcm"), attr::ReadOnly).ok());
    EXPECT_EQ(*fileAttributes(work("a.dcm")), attr::ReadOnly);
    EXPECT_EQ(fs::status(work("a.dcm")).permissions() & fs::perms::owner_write, fs::perms::none);
    ASSERT_TRUE(setFileAttributes(work("a.dcm"), attr::Archive).ok());
    EXPECT_EQ(*fileAttributes(work("a.dcm")), attr::Archive);
    EXPECT_FALSE(setFileAttributes(work("none"), attr::Archive).ok());
}

TEST_F(FileServices, FolderRemoval) {
    fs::create_directories(work("tree/a/b"));
    writeFile(work("tree/a/b/c.jpg"), "x");
    EXPECT_TRUE(removeFolderRecursive(work("tree")).ok());
    EXPECT_FALSE(fs::exists(work("tree")));
    EXPECT_FALSE(removeFolderRecursive(work("tree")).ok());
}

TEST_F(FileServices, FileInUseWhileAnotherProcessHoldsTheWriterLock) {
    const fs::path file = work("capture.avi");
    EXPECT_TRUE(isFileInUse(file)) << "a missing file is in use";
    writeFile(file, "x");
    EXPECT_FALSE(isFileInUse(file));

    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = ExclusiveFileLock::acquire(file);
        char c = lock.ok() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_TRUE(isFileInUse(file));
    EXPECT_FALSE(ExclusiveFileLock::acquire(file).ok()) << "a second writer is refused";
    (void)!::write(release[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(isFileInUse(file));
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST_F(FileServices, OpenWithAssociatedProgramStartsTheOpener) {
    const fs::path opener = work("opener.sh");
    writeFile(opener, "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    fs::permissions(opener, fs::perms::owner_all);
    ::setenv("KADRIX_OPEN_COMMAND", opener.c_str(), 1);
    writeFile(work("a.jpg"), "x");
    ASSERT_TRUE(openWithAssociatedProgram(work("a.jpg")).ok());
    for (int i = 0; i < 200 && readAll(work("opened.txt")).empty(); ++i) ::usleep(10000);
    EXPECT_EQ(readAll(work("opened.txt")), work("a.jpg").string() + "\n");
    EXPECT_FALSE(openWithAssociatedProgram(work("none.jpg")).ok());
    ::unsetenv("KADRIX_OPEN_COMMAND");
}

TEST_F(FileServices, ProgramAndCurrentFoldersEndWithASeparator) {
    EXPECT_EQ(hostProgramFolder().back(), '/');
    EXPECT_EQ(currentFolder(), fs::current_path().string() + "/");
}
