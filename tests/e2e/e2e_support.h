// What the end-to-end tests share: the programs and fixtures CMake names, and a fresh folder per
// test laid out as the programs expect without options: the application's definitions in APPS/,
// the program's current folder work/ beside it (so that "..\APPS" finds the application), and an
// empty data/ folder (so that "..\data" names a real folder).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/temp_folder.h"

namespace orvendal::e2e {

inline const std::string kLedger = ORVENDAL_LEDGER;
inline const std::string kBilling = ORVENDAL_BILLING;
inline const std::filesystem::path kFixtures = ORVENDAL_E2E_FIXTURES;

class AppFolder {
 public:
  // `fixture` is a folder under tests/e2e/fixtures, copied to APPS/; empty leaves APPS/ empty.
  explicit AppFolder(const std::string& fixture) {
    std::filesystem::create_directory(root_.path() / "work");
    std::filesystem::create_directory(root_.path() / "data");
    std::filesystem::create_directory(root_.path() / "APPS");
    if (!fixture.empty()) {
      std::filesystem::copy(kFixtures / fixture, root_.path() / "APPS",
                            std::filesystem::copy_options::recursive);
    }
  }
  std::string work() const { return (root_.path() / "work").string(); }
  std::string apps() const { return (root_.path() / "APPS").string(); }
  std::string root() const { return root_.path().string(); }
  // Names relative to APPS/.
  void WriteApp(const std::string& name, const std::string& text) const {
    root_.Write("APPS/" + name, text);
  }
  void RemoveApp(const std::string& name) const {
    std::filesystem::remove(root_.path() / "APPS" / name);
  }
  // Names relative to work/.
  void Write(const std::string& name, const std::string& text) const {
    root_.Write("work/" + name, text);
  }
  std::string Read(const std::string& name) const { return root_.Read("work/" + name); }
  bool Has(const std::string& name) const { return root_.Has("work/" + name); }
  // The name of the file in work/ whose name equals `name` without regard to case; empty when
  // there is none.
  std::string Find(const std::string& name) const {
    for (const auto& entry : std::filesystem::directory_iterator(work())) {
      const std::string found = entry.path().filename().string();
      if (found.size() == name.size() &&
          std::equal(found.begin(), found.end(), name.begin(),
                     [](char a, char b) { return std::toupper(a) == std::toupper(b); })) {
        return found;
      }
    }
    return {};
  }

  // Runs `program` in work/ with the arguments.
  ProgramResult Run(const std::string& program, std::vector<std::string> args,
                    std::map<std::string, std::string> env = {}) const {
    ProgramRun run;
    run.args = std::move(args);
    run.env = std::move(env);
    run.env["ORVENDAL_HOST"] = "headless";
    run.folder = work();
    return RunProgram(program, run);
  }

 private:
  engine::testing::TempFolder root_;
};

// The number of times `part` occurs in `text`.
inline size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace orvendal::e2e
