#include "host/elf_check.h"

#include <elf.h>
#include <link.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace rotaryn::host {
namespace {

using Header = ElfW(Ehdr);
using ProgramHeader = ElfW(Phdr);
using SectionHeader = ElfW(Shdr);

constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kByteOrder =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

// Copied out, as the bytes need not be aligned for the structure.
template <class T>
T at(std::string_view bytes, uint64_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// Whether [offset, offset + count * size) lies within the file, without overflow.
bool within(uint64_t fileSize, uint64_t offset, uint64_t count, uint64_t size) {
  if (offset > fileSize) return false;
  return count == 0 || size <= (fileSize - offset) / count;
}

std::string cutShort(const std::string& what, uint64_t end, uint64_t fileSize) {
  return "it is cut short at " + std::to_string(fileSize) + " bytes; its " + what + " need " +
         std::to_string(end);
}

}  // namespace

std::string sharedLibraryProblem(std::string_view bytes) {
  const uint64_t size = bytes.size();
  if (size < SELFMAG || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0) {
    return "it is not an ELF file";
  }
  if (size < sizeof(Header)) {
    return "it is cut short at " + std::to_string(size) + " bytes, within its ELF header";
  }
  const Header header = at<Header>(bytes, 0);
  if (header.e_ident[EI_CLASS] != kClass || header.e_ident[EI_DATA] != kByteOrder) {
    return "it is an ELF file of another class or byte order than this host's";
  }
  if (header.e_type != ET_DYN) return "it is an ELF file but not a shared library";
  if (header.e_phnum == 0 || header.e_phentsize != sizeof(ProgramHeader)) {
    return "its program header table is missing or malformed";
  }
  if (!within(size, header.e_phoff, header.e_phnum, sizeof(ProgramHeader))) {
    return cutShort("program headers",
                    header.e_phoff + uint64_t{header.e_phnum} * sizeof(ProgramHeader), size);
  }
  if (header.e_shnum != 0) {
    if (header.e_shentsize != sizeof(SectionHeader)) return "its section header table is malformed";
    if (!within(size, header.e_shoff, header.e_shnum, sizeof(SectionHeader))) {
      return cutShort("section headers",
                      header.e_shoff + uint64_t{header.e_shnum} * sizeof(SectionHeader), size);
    }
  }
  for (uint16_t i = 0; i < header.e_phnum; ++i) {
    const auto segment =
        at<ProgramHeader>(bytes, header.e_phoff + uint64_t{i} * sizeof(ProgramHeader));
    if (segment.p_type != PT_LOAD) continue;
    if (!within(size, segment.p_offset, 1, segment.p_filesz)) {
      return cutShort("loadable segments", uint64_t{segment.p_offset} + segment.p_filesz, size);
    }
  }
  return {};
}

std::string sharedLibraryFileProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string("it cannot be read: ") + std::strerror(errno);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return "it cannot be read";
  return sharedLibraryProblem(bytes);
}

}  // namespace rotaryn::host
