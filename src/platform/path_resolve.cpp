#include "platform/path_resolve.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

namespace platform {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' || LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return b[i] == '\0';
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The entry of `folder` that matches `name` ignoring ASCII case; of several, the first in byte
// order, so the choice does not depend on the order the file system lists them in.
bool FindIgnoringCase(const std::string& folder, const std::string& name, std::string& match) {
  const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir.get())) {
    if (!EqualIgnoringAsciiCase(name, entry->d_name)) continue;
    if (!found || match.compare(entry->d_name) > 0) match = entry->d_name;
    found = true;
  }
  return found;
}

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = path.find('/', start);
    const std::size_t stop = end == std::string::npos ? path.size() : end;
    if (stop > start) parts.push_back(path.substr(start, stop - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

void Append(std::string& path, const std::string& part) {
  if (!path.empty() && path.back() != '/') path += '/';
  path += part;
}

}  // namespace

std::string NormalizeSeparators(const std::string& path) {
  // The common case, checked first: the profile store normalizes the path of every key it reads.
  if (path.find('\\') == std::string::npos && path.find("//") == std::string::npos) return path;
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result += c;
  }
  return result;
}

std::string ResolvePath(const std::string& path) {
  const std::string normal = NormalizeSeparators(path);
  if (normal.empty() || Exists(normal)) return normal;

  const bool absolute = normal.front() == '/';
  const bool trailingSlash = normal.size() > 1 && normal.back() == '/';
  const std::vector<std::string> parts = Components(normal);
  // A relative path is resolved from the current folder and stays relative.
  std::string resolved = absolute ? "/" : "";
  std::size_t i = 0;
  for (; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string candidate = resolved;
    Append(candidate, part);
    std::string match;
    if (part == "." || part == ".." || Exists(candidate)) {
      resolved = std::move(candidate);
    } else if (FindIgnoringCase(resolved, part, match)) {
      Append(resolved, match);
    } else {
      break;
    }
  }
  for (; i < parts.size(); ++i) Append(resolved, parts[i]);
  if (trailingSlash && !resolved.empty() && resolved.back() != '/') resolved += '/';
  return resolved;
}

}  // namespace platform
