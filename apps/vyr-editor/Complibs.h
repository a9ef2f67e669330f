// The component libraries the editor loads: shared libraries whose icon and
// form classes register by name while they are loaded. Each library's share
// of the class registry is recorded, so that the palette lists what it brought.
#pragma once

#include <string>
#include <vector>

namespace vyr::editor {

/// One loaded component library.
struct TComplib {
  std::string file;                  ///< the library's file
  void* handle = nullptr;            ///< dlopen handle
  std::vector<std::string> classes;  ///< names it registered, in registration order
};

/// The loaded component libraries, unloaded in reverse order when destroyed;
/// every icon and form of their classes must be gone by then.
class TComplibs {
 public:
  TComplibs() = default;
  TComplibs(const TComplibs&) = delete;
  TComplibs& operator=(const TComplibs&) = delete;
  ~TComplibs();

  /// Loads a library file; false with the reason in problems.
  bool LoadFile(const std::string& file, std::vector<std::string>& problems);
  /// Loads every *.so of folder in name order; a missing folder loads nothing.
  void LoadFolder(const std::string& folder, std::vector<std::string>& problems);
  /// A file, or a folder of libraries; false (with the reason) when it is neither.
  bool Load(const std::string& fileOrFolder, std::vector<std::string>& problems);

  const std::vector<TComplib>& Libs() const { return libs_; }

 private:
  std::vector<TComplib> libs_;
};

/// The folder of the component libraries that come with the program:
/// <folder of the program>/../<library folder> (the build tree and an installed tree alike).
std::string DefaultComplibDir();

}  // namespace vyr::editor
