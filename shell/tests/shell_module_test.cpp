#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "elf_sections.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/framework_registry.h"
#include "kadrix/platform/library.h"

using namespace kadrix::platform;

namespace {

struct Build {
    const char* file;
    ModuleVersion version;
};

const Build kBuilds[] = {
    {"libkadrix_shell.so", {{7, 0, 0, 1}}},
    {"libkadrix_shell_b.so", {{9, 0, 1, 1}}},
};

std::vector<ExtensionModule> registrationsOf(const std::string& file) {
    std::vector<ExtensionModule> found;
    for (const ExtensionModule& m : extensionModules())
        if (m.file == file)
            found.push_back(m);
    return found;
}

std::string programOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    return output;
}

// The module's own exports: the markers the linker puts in every shared library don't count.
std::vector<std::string> exportsOf(const kadrix::testing::ElfFile& file) {
    std::vector<std::string> own;
    for (const std::string& name : file.definedDynamicSymbols)
        if (name != "_end" && name != "_edata" && name != "__bss_start")
            own.push_back(name);
    return own;
}

}  // namespace

TEST(ShellModule, RegistersWhileLoadedAndLeavesNoRegistrationBehind) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.file);
        const std::string path = hostProgramFolder() + build.file;
        const size_t before = extensionModules().size();
        auto library = SharedLibrary::load(build.file);
        ASSERT_TRUE(library.ok()) << library.message();
        ASSERT_EQ(library->path(), path);

        const auto mine = registrationsOf(path);
        ASSERT_EQ(mine.size(), 1u);
        EXPECT_EQ(mine[0].name, "Kadrix.dll");
        EXPECT_EQ(mine[0].version.file, build.version);
        EXPECT_EQ(mine[0].version.product, build.version);
        EXPECT_EQ(extensionModules().size(), before + 1);

        library.value().unload();
        EXPECT_TRUE(registrationsOf(path).empty());
        EXPECT_EQ(extensionModules().size(), before);
    }
}

TEST(ShellModule, BothBuildsRegisterSideBySideAndDifferOnlyInVersion) {
    auto first = SharedLibrary::load(kBuilds[0].file);
    auto second = SharedLibrary::load(kBuilds[1].file);
    ASSERT_TRUE(first.ok() && second.ok());
    auto a = registrationsOf(first->path());
    auto b = registrationsOf(second->path());
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0].name, b[0].name);
    EXPECT_NE(a[0].version, b[0].version);

    const std::string firstPath = first->path();
    first.value().unload();
    EXPECT_TRUE(registrationsOf(firstPath).empty());
    EXPECT_EQ(registrationsOf(second->path()).size(), 1u) << "unloading one build leaves the other";
    const std::string secondPath = second->path();
    second.value().unload();
    EXPECT_TRUE(registrationsOf(secondPath).empty());
}

TEST(ShellModule, VersionRecordIsReadableFromTheFile) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.file);
        const std::string path = hostProgramFolder() + build.file;
        auto record = readVersionRecord(path);
        ASSERT_TRUE(record.ok()) << record.message();
        EXPECT_EQ(record->file, build.version);
        EXPECT_EQ(record->product, build.version);

        const std::string text = build.version.text();
        EXPECT_EQ(programOutput(hostProgramFolder() + "kadrix-module-version " + path),
                  path + "\tfile " + text + "\tproduct " + text + "\n");
    }
    EXPECT_EQ(programOutput(hostProgramFolder() + "kadrix-module-version " +
                            moduleFileName(reinterpret_cast<const void*>(&kx_load_library)) +
                            " 2>/dev/null; echo $?"),
              "1\n")
        << "a module without a record is reported";
}

TEST(ShellModule, BuildsExportNothingAndDifferOnlyInTheirVersionRecords) {
    const auto a = kadrix::testing::readElfFile(hostProgramFolder() + kBuilds[0].file);
    const auto b = kadrix::testing::readElfFile(hostProgramFolder() + kBuilds[1].file);
    EXPECT_EQ(exportsOf(a), std::vector<std::string>{});
    EXPECT_EQ(exportsOf(b), std::vector<std::string>{});

    // Everything that is loaded is the same, byte for byte, except the version record and the
    // build id the linker derives from the contents.
    auto loaded = [](const kadrix::testing::ElfFile& file) {
        std::map<std::string, std::string> sections;
        for (const auto& s : file.sections)
            if (s.allocated)
                sections[s.name] = s.contents;
        return sections;
    };
    auto sa = loaded(a);
    auto sb = loaded(b);
    ASSERT_TRUE(sa.count(".note.kadrix.version") && sb.count(".note.kadrix.version"));
    EXPECT_NE(sa[".note.kadrix.version"], sb[".note.kadrix.version"]);
    for (auto* sections : {&sa, &sb}) {
        sections->erase(".note.kadrix.version");
        sections->erase(".note.gnu.build-id");
    }
    ASSERT_EQ(sa.size(), sb.size());
    for (const auto& [name, contents] : sa) {
        ASSERT_TRUE(sb.count(name)) << name;
        EXPECT_TRUE(contents == sb[name]) << "section " << name << " differs";
    }
}
