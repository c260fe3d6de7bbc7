// Reads the sections and the defined dynamic symbols of an ELF file, for tests that compare
// module builds.
#pragma once

#include <string>
#include <vector>

namespace kadrix::testing {

struct ElfSection {
    std::string name;
    bool allocated = false;  // part of the loaded image
    std::string contents;    // empty for sections without file contents
};

struct ElfFile {
    std::vector<ElfSection> sections;
    std::vector<std::string> definedDynamicSymbols;
};

// Fails the calling test (and returns an empty file) when the file is not a 64-bit ELF file.
ElfFile readElfFile(const std::string& path);

}  // namespace kadrix::testing
