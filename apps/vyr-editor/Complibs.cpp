#include "Complibs.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ClassRegistry.h"

namespace vyr::editor {

TComplibs::~TComplibs() {
  for (auto it = libs_.rbegin(); it != libs_.rend(); ++it) dlclose(it->handle);
}

bool TComplibs::LoadFile(const std::string& file, std::vector<std::string>& problems) {
  const std::filesystem::path path(file);
  // A relative name without a slash would make dlopen search the library path.
  const std::string name = path.has_parent_path() ? file : "./" + file;
  const std::vector<std::string> before = RegisteredClassNames();
  dlerror();
  void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) {
    const char* why = dlerror();
    problems.push_back("component library " + file + " not loaded: " + (why ? why : "unknown reason"));
    return false;
  }
  // A library loaded twice registers nothing the second time: keep one entry.
  for (const TComplib& lib : libs_)
    if (lib.handle == h) {
      dlclose(h);
      return true;
    }
  TComplib lib{file, h, {}};
  for (const std::string& n : RegisteredClassNames())
    if (std::find(before.begin(), before.end(), n) == before.end()) lib.classes.push_back(n);
  libs_.push_back(std::move(lib));
  return true;
}

void TComplibs::LoadFolder(const std::string& folder, std::vector<std::string>& problems) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ".so" && it->is_regular_file(ec)) files.push_back(it->path());
  std::sort(files.begin(), files.end());
  for (const auto& f : files) LoadFile(f.string(), problems);
}

bool TComplibs::Load(const std::string& fileOrFolder, std::vector<std::string>& problems) {
  std::error_code ec;
  if (std::filesystem::is_directory(fileOrFolder, ec)) {
    LoadFolder(fileOrFolder, problems);
    return true;
  }
  if (std::filesystem::exists(fileOrFolder, ec)) return LoadFile(fileOrFolder, problems);
  problems.push_back("component library " + fileOrFolder + ": no such file or folder");
  return false;
}

std::string DefaultComplibDir() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return VYR_COMPLIB_SUBDIR;
  path.resize(static_cast<std::size_t>(n));
  return (std::filesystem::path(path).parent_path() / ".." / VYR_COMPLIB_SUBDIR).lexically_normal().string();
}

}  // namespace vyr::editor
