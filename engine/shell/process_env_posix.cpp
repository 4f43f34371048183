// The platform's ProcessEnv on POSIX: getenv with the derivations of the Windows variables the
// engine names, getcwd, /proc/self/exe and isatty.
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "engine/shell/process_env.h"

namespace engine {

namespace {

bool Get(const char* name, std::string* value) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return false;
  *value = v;
  return true;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

class PosixProcessEnv : public ProcessEnv {
 public:
  bool Variable(std::string_view name, std::string* value) override {
    const std::string key(name);
    if (Get(key.c_str(), value)) return true;
    // The variables a Windows session always has, taken from their Linux counterparts.
    if (key == "USERPROFILE" || key == "HOMEPATH") return Get("HOME", value);
    if (key == "TEMP") {
      if (!Get("TMPDIR", value)) *value = "/tmp";
      return true;
    }
    if (key == "APPDATA") {
      if (Get("XDG_CONFIG_HOME", value)) return true;
      if (!Get("HOME", value)) return false;
      *value = WithoutTrailingSlash(*value) + "/.config";
      return true;
    }
    return false;
  }

  std::string CurrentFolder() override {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return ".";
    return WithoutTrailingSlash(buffer);
  }

  std::string ProgramFolder() override {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return CurrentFolder();
    std::string path(buffer, static_cast<size_t>(n));
    const size_t cut = path.rfind('/');
    if (cut == std::string::npos) return CurrentFolder();
    return cut == 0 ? "/" : path.substr(0, cut);
  }

  bool OnTerminal() override { return ::isatty(0) == 1 && ::isatty(1) == 1; }
};

}  // namespace

ProcessEnv& PlatformProcessEnv() {
  static PosixProcessEnv env;
  return env;
}

}  // namespace engine
