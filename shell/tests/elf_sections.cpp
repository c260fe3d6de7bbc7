#include "elf_sections.h"

#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace kadrix::testing {
namespace {

template <typename T>
T at(const std::string& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

std::string slice(const std::string& bytes, size_t offset, size_t size) {
    return offset <= bytes.size() ? bytes.substr(offset, size) : std::string();
}

// A zero-terminated name inside the file (std::string keeps a terminator after the last byte).
std::string nameAt(const std::string& bytes, size_t offset) {
    return offset < bytes.size() ? std::string(bytes.c_str() + offset) : std::string();
}

}  // namespace

ElfFile readElfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto header = at<Elf64_Ehdr>(bytes, 0);
    if (bytes.size() < sizeof header || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        ADD_FAILURE() << path << " is not a 64-bit ELF file";
        return {};
    }
    std::vector<Elf64_Shdr> headers;
    for (size_t i = 0; i < header.e_shnum; ++i)
        headers.push_back(at<Elf64_Shdr>(bytes, header.e_shoff + i * sizeof(Elf64_Shdr)));
    const Elf64_Shdr names =
        header.e_shstrndx < headers.size() ? headers[header.e_shstrndx] : Elf64_Shdr{};
    ElfFile file;
    for (const Elf64_Shdr& h : headers) {
        ElfSection section;
        section.name = nameAt(bytes, names.sh_offset + h.sh_name);
        section.allocated = (h.sh_flags & SHF_ALLOC) != 0;
        if (h.sh_type != SHT_NOBITS)
            section.contents = slice(bytes, h.sh_offset, h.sh_size);
        file.sections.push_back(section);

        if (h.sh_type != SHT_DYNSYM || h.sh_link >= headers.size())
            continue;
        const Elf64_Shdr& strings = headers[h.sh_link];
        for (size_t s = 1; s < h.sh_size / sizeof(Elf64_Sym); ++s) {
            const auto symbol = at<Elf64_Sym>(bytes, h.sh_offset + s * sizeof(Elf64_Sym));
            if (symbol.st_shndx == SHN_UNDEF)
                continue;
            file.definedDynamicSymbols.push_back(nameAt(bytes, strings.sh_offset + symbol.st_name));
        }
    }
    return file;
}

}  // namespace kadrix::testing
