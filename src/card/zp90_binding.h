#pragma once
// Binding of the device libraries: the receiver-card library (`zp90class`) and the two
// down-converter libraries (`dncvtlibclass`). Each is loaded from the program folder (the file
// found case-insensitively), every entry of its list is looked up, and the library is accepted
// only when the five required entries exist. A missing optional entry leaves its pointer null;
// the caller tests the pointer (or Has) and treats the operation as a card that is not ready.
// Nothing here throws; failures are logged and reported by the result of Load.
#include <array>
#include <cstddef>
#include <string>

#include "card/device_api.h"

namespace card {

inline constexpr const char* kZp90LibraryFileName = "librtZp903x.so";
inline constexpr const char* kKr12LibraryFileName = "libKr12V2_Dll.so";
inline constexpr const char* kKr14LibraryFileName = "libKr14P3_Dll.so";

enum class LibraryOpenStatus {
  kOpened,
  kMissing,      // no such file
  kRefused,      // not a whole shared object for this machine (shared_object_check.h)
  kLoaderError,  // the dynamic loader failed
};

// Owns one handle of the dynamic loader; closes it when destroyed.
class SharedLibraryHandle {
 public:
  SharedLibraryHandle() = default;
  ~SharedLibraryHandle();
  SharedLibraryHandle(const SharedLibraryHandle&) = delete;
  SharedLibraryHandle& operator=(const SharedLibraryHandle&) = delete;

  // Checks the file and opens it with every symbol bound now and none made global. Anything but
  // kOpened leaves `error` saying why: the check's reason or the loader's message.
  LibraryOpenStatus Open(const std::string& path, std::string& error);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // The address of an exported symbol; null when the library has none of that name.
  void* Symbol(const std::string& name) const;

 private:
  void* handle_ = nullptr;
};

// What the binder needs to know of one entry list.
struct Zp90Api {
  using Functions = Zp90Functions;
  using Entry = Zp90Entry;
  static constexpr std::size_t kEntryCount = kZp90EntryCount;
  static constexpr const EntryInfo* Entries() { return kZp90Entries; }
  // Visits every pointer of the table in list order.
  template <class Visit>
  static void ForEachPointer(Functions& functions, Visit&& visit) {
#define ZP90_API(need, name, params, args) visit(functions.name);
#include "card/device_api.def"
#undef ZP90_API
  }
};

struct DnCvtApi {
  using Functions = DnCvtFunctions;
  using Entry = DnCvtEntry;
  static constexpr std::size_t kEntryCount = kDnCvtEntryCount;
  static constexpr const EntryInfo* Entries() { return kDnCvtEntries; }
  template <class Visit>
  static void ForEachPointer(Functions& functions, Visit&& visit) {
#define DNCVT_API(need, name, params, args) visit(functions.name);
#include "card/dncvt_api.def"
#undef DNCVT_API
  }
};

// One loaded device library and its table of entry points.
template <class Api>
class DeviceLibraryBinding {
 public:
  using Functions = typename Api::Functions;
  using Entry = typename Api::Entry;

  DeviceLibraryBinding(std::string fileName, std::string symbolPrefix);
  ~DeviceLibraryBinding() = default;  // the handle's owner unloads the library
  DeviceLibraryBinding(const DeviceLibraryBinding&) = delete;
  DeviceLibraryBinding& operator=(const DeviceLibraryBinding&) = delete;

  // Loads the library from `folder` (the program folder when empty), unloading any loaded one
  // first. True when the library was found, opened and has every required entry. Every failure
  // leaves one log line and the binding unloaded:
  //   "Device library <path> not found"
  //   "Device library <path> refused: <reason>" (a file that is no whole shared object for this
  //                                             machine, e.g. "segment 3 outside the file")
  //   "Device library <path> could not be loaded: <loader message>"
  //   "Device library <path> refused: entry point <symbol> missing" (per missing required entry)
  bool Load(const std::string& folder = {});
  // Clears the table and closes the library.
  void Unload();

  bool Loaded() const { return loaded_; }
  // The file Load looked for (case resolved); empty before the first Load.
  const std::string& Path() const { return path_; }
  // Entries found and not found by the last Load, also when it refused the library (both 0 when
  // the file could not be opened, and after Unload).
  std::size_t ResolvedCount() const { return resolvedCount_; }
  std::size_t MissingCount() const { return missingCount_; }
  // True when the loaded library has the entry.
  bool Has(Entry entry) const;

  // The table of entry points; every pointer is null while nothing is loaded.
  const Functions& Fn() const { return functions_; }

 private:
  std::string fileName_;
  std::string symbolPrefix_;
  std::string path_;
  SharedLibraryHandle library_;
  Functions functions_{};
  std::array<bool, Api::kEntryCount> present_{};
  std::size_t resolvedCount_ = 0;
  std::size_t missingCount_ = 0;
  bool loaded_ = false;
};

extern template class DeviceLibraryBinding<Zp90Api>;
extern template class DeviceLibraryBinding<DnCvtApi>;

// The receiver-card library, "librtZp903x.so", symbols "Zp90_<entry>".
class zp90class final : public DeviceLibraryBinding<Zp90Api> {
 public:
  zp90class();
};

enum class DnCvtLibraryKind { Kr12, Kr14 };

// A down-converter library: "libKr12V2_Dll.so" with symbols "Kr12_<entry>", or
// "libKr14P3_Dll.so" with symbols "Kr14_<entry>".
class dncvtlibclass final : public DeviceLibraryBinding<DnCvtApi> {
 public:
  explicit dncvtlibclass(DnCvtLibraryKind kind);
  DnCvtLibraryKind Kind() const { return kind_; }

 private:
  DnCvtLibraryKind kind_;
};

}  // namespace card
