#include "card/shared_object_check.h"

#include <elf.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/regular_file.h"

namespace card {
namespace {

using Ehdr = ElfW(Ehdr);
using Phdr = ElfW(Phdr);
using Shdr = ElfW(Shdr);

#if __ELF_NATIVE_CLASS == 64
constexpr unsigned char kNativeClass = ELFCLASS64;
constexpr const char* kNativeClassName = "64-bit";
#else
constexpr unsigned char kNativeClass = ELFCLASS32;
constexpr const char* kNativeClassName = "32-bit";
#endif

constexpr unsigned char kNativeData = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
constexpr const char* kNativeDataName = std::endian::native == std::endian::little ? "little-endian" : "big-endian";

#if defined(__x86_64__)
constexpr unsigned kNativeMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kNativeMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr unsigned kNativeMachine = EM_386;
#elif defined(__arm__)
constexpr unsigned kNativeMachine = EM_ARM;
#elif defined(__riscv)
constexpr unsigned kNativeMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr unsigned kNativeMachine = EM_PPC64;
#else
#error "the ELF machine number of this architecture is not known here"
#endif

// A library is at most a few tens of megabytes; anything far larger is no library of ours.
constexpr std::size_t kMaxLibraryBytes = std::size_t{1} << 30;

// offset + length <= size, without overflow.
bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

// Reads exactly `length` bytes at `offset`; false on a short read or an error.
bool ReadAt(int fd, std::uint64_t offset, void* out, std::size_t length) {
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd, bytes + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

std::string SharedObjectFault(int fd, std::uint64_t size) {
  Ehdr header{};
  if (size < sizeof header) return Number(size) + " bytes, too short for an ELF header";
  if (!ReadAt(fd, 0, &header, sizeof header)) return "ELF header unreadable";
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return "not an ELF file";
  if (header.e_ident[EI_CLASS] != kNativeClass) return std::string("not a ") + kNativeClassName + " ELF object";
  if (header.e_ident[EI_DATA] != kNativeData) return std::string("not a ") + kNativeDataName + " ELF object";
  if (header.e_ident[EI_VERSION] != EV_CURRENT || header.e_version != EV_CURRENT) return "unknown ELF version";
  if (header.e_type != ET_DYN) return "not a shared object";
  if (header.e_machine != kNativeMachine) {
    return "built for ELF machine " + Number(header.e_machine) + ", this machine is " + Number(kNativeMachine);
  }
  if (header.e_ehsize != sizeof(Ehdr)) {
    return "ELF header size " + Number(header.e_ehsize) + ", expected " + Number(sizeof(Ehdr));
  }
  if (header.e_phentsize != sizeof(Phdr)) {
    return "program header entry size " + Number(header.e_phentsize) + ", expected " + Number(sizeof(Phdr));
  }

  const std::uint64_t programHeaders = header.e_phnum;
  if (programHeaders == 0) return "no program headers";
  // PN_XNUM (a count kept in section 0) never occurs in a library the loader takes.
  if (programHeaders == PN_XNUM) return "no usable program header table";
  if (!Inside(header.e_phoff, programHeaders * sizeof(Phdr), size)) return "program header table outside the file";

  bool loadable = false;
  for (std::uint64_t i = 0; i < programHeaders; ++i) {
    Phdr segment{};
    if (!ReadAt(fd, header.e_phoff + i * sizeof(Phdr), &segment, sizeof segment)) return "program header unreadable";
    if (segment.p_type == PT_LOAD) {
      loadable = true;
      if (segment.p_filesz > segment.p_memsz) return "segment " + Number(i) + " larger in the file than in memory";
    }
    if (segment.p_filesz != 0 && !Inside(segment.p_offset, segment.p_filesz, size)) {
      return "segment " + Number(i) + " outside the file";
    }
  }
  if (!loadable) return "no loadable segment";

  if (header.e_shoff != 0) {
    if (header.e_shentsize != sizeof(Shdr)) {
      return "section header entry size " + Number(header.e_shentsize) + ", expected " + Number(sizeof(Shdr));
    }
    std::uint64_t sections = header.e_shnum;
    if (sections == 0) {
      // Many sections: the count is in the first section header.
      Shdr first{};
      if (!Inside(header.e_shoff, sizeof first, size) || !ReadAt(fd, header.e_shoff, &first, sizeof first)) {
        return "section header table outside the file";
      }
      sections = first.sh_size;
    }
    if (sections > size / sizeof(Shdr) || !Inside(header.e_shoff, sections * sizeof(Shdr), size)) {
      return "section header table outside the file";
    }
  }
  return {};
}

std::string SharedObjectFileFault(const std::string& path, bool& missing) {
  missing = false;
  platform::ReadFileStatus status = platform::ReadFileStatus::kOk;
  std::string why;
  const int fd = platform::OpenRegularFile(path, kMaxLibraryBytes, status, why);
  if (fd < 0) {
    switch (status) {
      case platform::ReadFileStatus::kMissing:
        missing = true;
        return "not found";
      case platform::ReadFileStatus::kNotRegular:
        return "not a regular file";
      case platform::ReadFileStatus::kTooLarge:
        return "larger than " + Number(kMaxLibraryBytes) + " bytes";
      default:
        return "unreadable: " + why;
    }
  }
  struct stat st {};
  std::string fault;
  if (::fstat(fd, &st) != 0) {
    fault = "unreadable: " + std::error_code(errno, std::generic_category()).message();
  } else {
    fault = SharedObjectFault(fd, static_cast<std::uint64_t>(st.st_size));
  }
  ::close(fd);
  return fault;
}

}  // namespace card
