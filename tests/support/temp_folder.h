// A fresh folder for one test, removed with everything in it when the test ends; optionally
// made the current folder for the test's duration. Helpers read and write whole files there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace engine::testing {

class TempFolder {
 public:
  explicit TempFolder(bool make_current = false) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvendal-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
    if (make_current) {
      previous_ = std::filesystem::current_path();
      std::filesystem::current_path(path_);
    }
  }
  ~TempFolder() {
    std::error_code ec;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full path of a name inside the folder.
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // The file's bytes; "<missing>" when it does not exist.
  std::string Read(std::string_view name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Has(std::string_view name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace engine::testing
