// Test main of the camera library: every test process works in a fresh folder of its own (the
// log file lands there), holds the staging buffer as the library's load would, and takes a
// machine-wide lock because the published module handle lives in one named block per machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "test_folder.h"
#include "trace_log.h"

namespace {

class CameraEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        lock_ = open("/tmp/kadrix-camera-tests.lock", O_RDWR | O_CREAT, 0666);
        if (lock_ >= 0)
            flock(lock_, LOCK_EX);
        char pattern[] = "/tmp/kadrix-camera-test-XXXXXX";
        folder_ = mkdtemp(pattern);
        std::filesystem::current_path(folder_);
        kadrix::camera::traceLogAttach();
    }
    void TearDown() override {
        kadrix::camera::traceLogDetach();
        std::error_code ec;
        std::filesystem::current_path("/tmp", ec);
        std::filesystem::remove_all(folder_, ec);
        if (lock_ >= 0)
            close(lock_);
    }

  private:
    int lock_ = -1;
    std::filesystem::path folder_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CameraEnvironment);
    return RUN_ALL_TESTS();
}
