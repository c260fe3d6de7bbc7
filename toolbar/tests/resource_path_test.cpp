#include "kadrix/toolbar/resource_path.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "kadrix/platform/file_services.h"

using namespace kadrix::toolbar;

TEST(ResourcePath, ComposesFolderAndNameWithinTheBound) {
    const std::string res = "/srv/res";
    // Room left for the name once "/srv/res/" and "/" are taken.
    const std::size_t room = kMaxResourcePathBytes - res.size() - 2;
    const std::string longFolder(300, 'f');
    struct Case {
        const char* folder;
        std::string name;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"toolbar", "open.bmp", "/srv/res/toolbar/open.bmp"},
        {"", "open.bmp", "/srv/res//open.bmp"},
        {nullptr, "open.bmp", "/srv/res//open.bmp"},
        {"", "问号.ico", "/srv/res//问号.ico"},
        {"", std::string(room, 'a'), "/srv/res//" + std::string(room, 'a')},
        {"", std::string(room + 1, 'a'), std::nullopt},
        {"", std::string(4000, 'a'), std::nullopt},
        {longFolder.c_str(), "x.bmp", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        const auto path = resourcePath(res, c.folder, c.name.c_str());
        EXPECT_EQ(path, c.expected);
        if (path) {
            EXPECT_LE(path->size(), kMaxResourcePathBytes);
        }
    }
    EXPECT_EQ(resourcePath(res, "", nullptr), std::nullopt);
}

TEST(ResourcePath, FolderComesFromTheEnvironmentElseBesideTheProgram) {
    const char* saved = std::getenv("KADRIX_RES_PATH");
    const std::string keep = saved ? saved : "";
    struct Case {
        const char* value;  // null: unset
        std::string expected;
    };
    const std::string beside = kadrix::platform::hostProgramFolder() + "res";
    const Case cases[] = {
        {"/opt/host/res", "/opt/host/res"},
        {"/opt/host/res//", "/opt/host/res"},
        {"/", "/"},
        {"", beside},
        {nullptr, beside},
    };
    for (const Case& c : cases) {
        if (c.value)
            setenv("KADRIX_RES_PATH", c.value, 1);
        else
            unsetenv("KADRIX_RES_PATH");
        EXPECT_EQ(resourceFolder(), c.expected) << (c.value ? c.value : "(unset)");
    }
    if (saved)
        setenv("KADRIX_RES_PATH", keep.c_str(), 1);
    else
        unsetenv("KADRIX_RES_PATH");
}
