#include "card/zp90_binding.h"

#include <dlfcn.h>

#include <cstring>
#include <type_traits>
#include <utility>

#include "card/shared_object_check.h"
#include "platform/path_resolve.h"
#include "util/error_log.h"
#include "util/process_globals.h"

namespace card {

SharedLibraryHandle::~SharedLibraryHandle() { Close(); }

LibraryOpenStatus SharedLibraryHandle::Open(const std::string& path, std::string& error) {
  Close();
  bool missing = false;
  error = SharedObjectFileFault(path, missing);
  if (missing) return LibraryOpenStatus::kMissing;
  if (!error.empty()) return LibraryOpenStatus::kRefused;
  // Bind every symbol now, so that a library with unresolved references of its own fails here
  // and not in the middle of a card call; keep its symbols out of the global scope, so that two
  // libraries never satisfy each other's entries.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* message = dlerror();
    error = message != nullptr ? message : "unknown loader error";
    return LibraryOpenStatus::kLoaderError;
  }
  return LibraryOpenStatus::kOpened;
}

void SharedLibraryHandle::Close() {
  if (handle_ != nullptr) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

void* SharedLibraryHandle::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, name.c_str());
}

template <class Api>
DeviceLibraryBinding<Api>::DeviceLibraryBinding(std::string fileName, std::string symbolPrefix)
    : fileName_(std::move(fileName)), symbolPrefix_(std::move(symbolPrefix)) {}

template <class Api>
void DeviceLibraryBinding<Api>::Unload() {
  // The pointers go before the code they point into.
  functions_ = Functions{};
  present_.fill(false);
  resolvedCount_ = 0;
  missingCount_ = 0;
  loaded_ = false;
  library_.Close();
}

template <class Api>
bool DeviceLibraryBinding<Api>::Load(const std::string& folder) {
  Unload();

  std::string base = folder.empty() ? util::ProgramFolder() : folder;
  if (base.empty()) base = ".";
  path_ = platform::ResolvePath(base + "/" + fileName_);

  std::string error;
  switch (library_.Open(path_, error)) {
    case LibraryOpenStatus::kOpened:
      break;
    case LibraryOpenStatus::kMissing:
      // Normal on a machine without this kind of card: one plain line, no alarm.
      util::WriteErrorLogLine("Device library " + path_ + " not found", 0);
      return false;
    case LibraryOpenStatus::kRefused:
      util::LogError("Device library " + path_ + " refused: " + error, 0, false);
      return false;
    case LibraryOpenStatus::kLoaderError:
      util::LogError("Device library " + path_ + " could not be loaded: " + error, 0, false);
      return false;
  }

  Functions found{};
  std::array<bool, Api::kEntryCount> present{};
  std::size_t index = 0;
  std::size_t resolved = 0;
  std::size_t missing = 0;
  bool complete = true;
  Api::ForEachPointer(found, [&](auto& pointer) {
    const EntryInfo& info = Api::Entries()[index];
    const std::string symbol = symbolPrefix_ + std::string(info.name);
    void* address = library_.Symbol(symbol);
    if (address == nullptr) {
      ++missing;
      if (info.need == EntryNeed::Required) {
        complete = false;
        util::LogError("Device library " + path_ + " refused: entry point " + symbol + " missing", 0, false);
      }
    } else {
      // dlsym hands back an object pointer; its bits are the function's address.
      using Pointer = std::remove_reference_t<decltype(pointer)>;
      static_assert(sizeof(Pointer) == sizeof(address));
      std::memcpy(&pointer, &address, sizeof(Pointer));
      present[index] = true;
      ++resolved;
    }
    ++index;
  });

  resolvedCount_ = resolved;
  missingCount_ = missing;
  if (!complete) {
    library_.Close();
    return false;
  }

  functions_ = found;
  present_ = present;
  loaded_ = true;
  util::WriteErrorLogLine("Device library " + path_ + " loaded: " + std::to_string(resolved) + " of " +
                              std::to_string(Api::kEntryCount) + " entry points",
                          0);
  return true;
}

template <class Api>
bool DeviceLibraryBinding<Api>::Has(Entry entry) const {
  const auto index = static_cast<std::size_t>(entry);
  return loaded_ && index < present_.size() && present_[index];
}

template class DeviceLibraryBinding<Zp90Api>;
template class DeviceLibraryBinding<DnCvtApi>;

zp90class::zp90class() : DeviceLibraryBinding(kZp90LibraryFileName, std::string(kZp90SymbolPrefix)) {}

dncvtlibclass::dncvtlibclass(DnCvtLibraryKind kind)
    : DeviceLibraryBinding(kind == DnCvtLibraryKind::Kr12 ? kKr12LibraryFileName : kKr14LibraryFileName,
                           std::string(kind == DnCvtLibraryKind::Kr12 ? kKr12SymbolPrefix : kKr14SymbolPrefix)),
      kind_(kind) {}

}  // namespace card
