// A real, throwaway Wine prefix under the build folder for the POSIX backend's tests, made the
// current one.
#pragma once

#include <gtest/gtest.h>
#include <cstdlib>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "forms/errors.h"

namespace fs = std::filesystem;

class TempPrefix : public ::testing::Test {
 public:
  static void write(const fs::path& path, const std::string& bytes,
                    fs::perms mode = fs::perms(0644)) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
  }

 protected:
  void SetUp() override {
    fs::create_directories(LOMA_TEST_SCRATCH);
    std::string pattern = (fs::path(LOMA_TEST_SCRATCH) / "loma-posix-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    savedPrefix_ = saved("WINEPREFIX");
    savedHome_ = saved("HOME");
    setenv("WINEPREFIX", root_.c_str(), 1);
    fs::create_directories(programFolder());
  }
  void TearDown() override {
    restore("WINEPREFIX", savedPrefix_);
    restore("HOME", savedHome_);
    fs::remove_all(root_);
  }

  [[nodiscard]] fs::path programFolder() const { return root_ / "drive_c" / "ORNPrg" / "ZAVRO_Fi"; }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Polls a condition that a started process makes true; false after five seconds.
  template <class Condition>
  static bool eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  fs::path root_;

 private:
  static std::optional<std::string> saved(const char* name) {
    const char* value = getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> savedPrefix_, savedHome_;
};

// The number of the runtime error a statement raises, or 0.
template <class Statement>
int errorNumber(Statement statement) {
  try {
    statement();
  } catch (const forms::RuntimeError& e) {
    return e.number();
  }
  return 0;
}
