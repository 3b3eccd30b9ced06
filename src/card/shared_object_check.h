#pragma once
// The checks a device library's file passes before the dynamic loader maps it. The loader trusts
// the file's headers: a library cut short (a copy that ran out of disk) is mapped past its end
// and the first touch of a missing page kills the process with SIGBUS inside dlopen, before
// anything could be logged. So the file is read first, without blocking, and refused unless it
// is a whole ELF shared object for the machine this program was built for.
#include <cstdint>
#include <string>

namespace card {

// Why the regular file open on `fd`, `size` bytes long, is no shared object this process can
// load; empty when it is one. Checked: the ELF identification (magic, this build's class and
// byte order, version), the type (a shared object), the machine, the header sizes, the program
// and section header tables and the file bytes of every segment lying inside the file.
std::string SharedObjectFault(int fd, std::uint64_t size);

// The same for the file at `path`, opened without blocking: a missing file sets `missing` (and
// gives a reason); a folder, FIFO, device or socket is refused without being read.
std::string SharedObjectFileFault(const std::string& path, bool& missing);

}  // namespace card
