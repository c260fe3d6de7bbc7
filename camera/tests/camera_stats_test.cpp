// kadrix-camera-stats end to end: a host that publishes itself and prints the averages.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "image_fixtures.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

std::string run(const std::string& arguments, int& status) {
    const std::string command =
        (test::programFolder() / "kadrix-camera-stats").string() + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    status = pipe ? pclose(pipe) : -1;
    return out;
}

TEST(CameraStats, PrintsSizeAndAveragesOfTheRectangles) {
    test::writeFile("flat.jpg",
                    test::jpegFromYcc(32, 16, test::Sampling::S422, 100, [](int x, int) {
                        return x < 16 ? test::Ycc{50, 100, 150} : test::Ycc{200, 60, 180};
                    }));
    int status = 0;
    EXPECT_EQ(run("flat.jpg", status),
              "width 32\nheight 16\nrectangle 0,0,32,16 Y 125 U -48 V 37 Y0 125 Y1 125\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("flat.jpg 0,0,16,16 16,0,16,16", status),
              "width 32\nheight 16\n"
              "rectangle 0,0,16,16 Y 50 U -28 V 22 Y0 50 Y1 50\n"
              "rectangle 16,0,16,16 Y 200 U -68 V 52 Y0 200 Y1 200\n");
    EXPECT_NE(run("flat.jpg 30,0,4,4", status).find("refused"), std::string::npos);
    EXPECT_NE(status, 0);
    EXPECT_NE(run("flat.jpg 1,2", status).find("usage"), std::string::npos);
    EXPECT_NE(status, 0);
}

TEST(CameraStats, RawFilesReportTheirSize) {
    test::writeTinyDng("tiny.dng", 32, 24, [](int, int) { return std::uint16_t{512}; });
    int status = 0;
    EXPECT_EQ(run("tiny.dng", status), "width 32\nheight 24\n");
    EXPECT_EQ(status, 0);
    EXPECT_NE(run("missing.dng", status).find("decoding failed"), std::string::npos);
    EXPECT_NE(status, 0);
}

}  // namespace
}  // namespace kadrix::camera
