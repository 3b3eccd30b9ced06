#include "util/file_routines.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>

#include "platform/path_resolve.h"
#include "platform/regular_file.h"
#include "util/dialog_service.h"
#include "util/number_text.h"

namespace util {

namespace {

constexpr std::size_t kMaxPathLength = 259;
constexpr int kEmptyReadRetries = 100;

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

struct FdCloser {
  void operator()(const int* fd) const {
    if (*fd >= 0) ::close(*fd);
  }
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CopyWhole(const std::string& from, const std::string& to) {
  // Only a regular file is copied: a FIFO put in its place must not stall a save.
  platform::ReadFileStatus status = platform::ReadFileStatus::kMissing;
  std::string why;
  const int in = platform::OpenRegularFile(from, std::numeric_limits<std::size_t>::max(), status, why);
  if (in < 0) return false;
  std::unique_ptr<const int, FdCloser> inGuard(&in);
  struct stat st {};
  if (::fstat(in, &st) != 0) return false;
  const std::string temp = to + ".tmp" + std::to_string(::getpid());
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) return false;
  bool ok = true;
  {
    std::unique_ptr<const int, FdCloser> outGuard(&out);
    char buf[65536];
    for (;;) {
      const ssize_t n = ::read(in, buf, sizeof buf);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      if (!WriteAll(out, buf, static_cast<std::size_t>(n))) {
        ok = false;
        break;
      }
    }
    ok = ok && ::fsync(out) == 0;
  }
  ok = ok && ::rename(temp.c_str(), to.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

FileDialogRequest MakeRequest(const char* title, const std::string& initialFolder, const std::string& fileType,
                              const std::string& proposedName) {
  FileDialogRequest request;
  request.title = title;
  request.initialFolder = initialFolder;
  request.filter = "File Type (*." + fileType + ")|*." + fileType;
  request.proposedName = FileBaseName(proposedName);
  return request;
}

}  // namespace

bool FileExists(const std::string& file) {
  if (file.empty()) return false;
  struct stat st {};
  return ::stat(platform::ResolvePath(file).c_str(), &st) == 0;
}

bool BackupFile(const std::string& file) {
  const std::string source = platform::ResolvePath(file);
  return CopyWhole(source, source + ".BAK");
}

std::string FileBaseName(const std::string& path) {
  std::string_view p(path);
  p = p.substr(0, kMaxPathLength);
  const auto slash = p.find_last_of("/\\");
  if (slash != std::string_view::npos) p.remove_prefix(slash + 1);
  const auto dot = p.rfind('.');
  if (dot != std::string_view::npos) p = p.substr(0, dot);
  return std::string(p);
}

void ListFileBaseNames(const std::string& folder, const std::string& extension, std::vector<std::string>& list) {
  list.clear();
  const std::string dirPath = platform::ResolvePath(folder);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(dirPath.c_str()), &::closedir);
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || !EqualNoCase(std::string_view(name).substr(dot + 1), extension)) continue;
    struct stat st {};
    if (::stat((dirPath + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    list.push_back(name.substr(0, dot));
  }
  std::sort(list.begin(), list.end());
}

bool ReadTextLine(std::FILE* stream, std::string& text, int bufferSize) {
  text.clear();
  if (!stream || bufferSize < 2) return false;
  std::string buf(static_cast<std::size_t>(bufferSize), '\0');
  for (int attempt = 0; attempt <= kEmptyReadRetries; ++attempt) {
    if (!std::fgets(buf.data(), bufferSize, stream)) {
      text.clear();
      return false;
    }
    std::string line(buf.c_str());
    line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }), line.end());
    text = TrimText(line);
    if (!text.empty()) return true;
  }
  return true;
}

bool OpenFileDialog(const std::string& initialFolder, const std::string& fileType, std::string& fileName,
                    const std::string& proposedName) {
  FileDialogRequest request = MakeRequest("Open File", initialFolder, fileType, proposedName);
  // The dialog opens only what exists: propose the file as it is on disk, extension and letter
  // case included, when the folder holds one of that name and type.
  if (!request.proposedName.empty()) {
    const std::string onDisk =
        platform::ResolvePath(initialFolder + "/" + request.proposedName + "." + fileType);
    struct stat st {};
    if (::stat(onDisk.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      request.proposedName = onDisk.substr(onDisk.find_last_of('/') + 1);
    }
  }
  return Dialogs().OpenFile(request, fileName);
}

bool SaveFileDialog(const std::string& initialFolder, const std::string& fileType, std::string& fileName,
                    const std::string& proposedName) {
  return Dialogs().SaveFile(MakeRequest("Save File", initialFolder, fileType, proposedName), fileName);
}

bool PickColour(TColor& colour) { return Dialogs().PickColour(colour); }

}  // namespace util
