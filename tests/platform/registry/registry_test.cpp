// The registry layer over its per-user key file: what the file says is what
// the calls report, with the platform's sizes and error codes, and a damaged
// or hostile file never gives more than it holds.
#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace advapi32;

std::vector<std::uint8_t> Sz(const std::string& text) {
  std::vector<std::uint8_t> v(text.begin(), text.end());
  v.push_back(0);
  return v;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pixaroo-registry-" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "sub");
    file_ = (dir_ / "sub" / "registry").string();
    ::setenv("PIXAROO_REGISTRY", file_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("PIXAROO_REGISTRY");
    fs::remove_all(dir_);
  }
  void WriteRaw(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }

  fs::path dir_;
  std::string file_;
};

const std::string kGbkName = "\xB8\xFC\xD0\xC2";  // 更新
const std::string kTrailBackslash = "\x81\x5C";   // 乗: its trail byte is a backslash

TEST_F(RegistryTest, WrittenKeysReadBackWithThePlatformsSizesAndTypes) {
  const std::vector<RegistryKey> keys = {
      {"Software\\Zorith\\Quillet\\Install",
       {{"Path", REG_SZ, Sz("/opt/q \"x\" \\ " + kGbkName)},
        {"Build", REG_DWORD, {0xE8, 0x03, 0, 0}},
        {"", REG_EXPAND_SZ, Sz("default")},
        {"Raw\tname", 7, {0x41, 0x00, 0x42}}}},
      {"Software\\" + kTrailBackslash + "\\Leaf", {{"v", REG_BINARY, {}}}},
  };
  ASSERT_TRUE(WriteRegistryFile(file_, keys));
  std::ifstream in(file_, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(ParseRegistry(text), keys);

  HKEY key = nullptr;
  // Names ignore ASCII case; the intermediate key exists too.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\ZORITH", 0, KEY_READ, &key), ERROR_SUCCESS);
  HKEY install = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, "Quillet\\Install", 0, KEY_READ, &install), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(install, "PATH", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  const std::string expected = "/opt/q \"x\" \\ " + kGbkName;
  EXPECT_EQ(size, expected.size() + 1);  // the NUL counts

  // One byte short: ERROR_MORE_DATA, the size needed, the buffer untouched.
  std::string buf(size, '#');
  DWORD small = size - 1;
  EXPECT_EQ(RegQueryValueExA(install, "Path", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(buf.data()), &small),
            ERROR_MORE_DATA);
  EXPECT_EQ(small, size);
  EXPECT_EQ(buf, std::string(size, '#'));
  DWORD exact = size;
  ASSERT_EQ(RegQueryValueExA(install, "Path", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(buf.data()), &exact),
            ERROR_SUCCESS);
  EXPECT_EQ(buf, expected + '\0');

  DWORD dword = 0;
  size = sizeof dword;
  ASSERT_EQ(
      RegQueryValueExA(install, "Build", nullptr, &type, reinterpret_cast<LPBYTE>(&dword), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(dword, 1000u);
  EXPECT_EQ(RegQueryValueExA(install, nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_EXPAND_SZ);
  EXPECT_EQ(RegQueryValueExA(install, "Raw\tname", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, 7u);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(RegQueryValueExA(install, "Missing", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(install), ERROR_SUCCESS);

  // The trail byte 0x5C is part of its character, not a separator.
  HKEY leaf = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\" + kTrailBackslash + "\\leaf").c_str(), 0,
                          KEY_READ, &leaf),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
}

TEST_F(RegistryTest, MissingKeysBadHandlesAndWriteAccessAreRefused) {
  HKEY key = HKEY_CURRENT_USER;
  // No file at all: no key, *result cleared.
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER);

  ASSERT_TRUE(WriteRegistryFile(file_, {{"A\\B", {{"v", REG_SZ, Sz("x")}}}}));
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\C", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B\\C", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B", 0, KEY_READ | KEY_SET_VALUE, &key),
            ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B", 0, KEY_READ, &key), ERROR_SUCCESS);

  // The handle keeps what the file held when it was opened.
  ASSERT_TRUE(WriteRegistryFile(file_, {}));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  std::uint8_t byte = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, &byte, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", &reserved, nullptr, nullptr, &size),
            ERROR_INVALID_PARAMETER);

  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  // A closed or made-up handle is looked up, never used.
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  HKEY sub = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "x", 0, KEY_READ, &sub), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DamagedLinesAreSkippedAndAnOversizedFileHoldsNothing) {
  WriteRaw(
      "\"Orphan\"=sz:\"before any key\"\n"
      "  # comment\r\n"
      "[Good]\r\n"
      "\"a\"=sz:\"1\"\n"
      "\"bad\"=sz:\"no end\n"
      "\"nul\"=sz:\"a\\x00b\"\n"
      "\"d\"=dword:123456789\n"
      "\"h\"=hex:0,1\n"
      "\"a\"=dword:2\n"
      "[Broken\n"
      "\"lost\"=sz:\"under a broken key\"\n"
      "[Good]\n"
      "\"t\"=hex(4294967295):ff\n");
  const std::vector<RegistryKey> keys = LoadRegistryFile(file_).value();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].values.size(), 2u);  // a as text, a again as a number
  ASSERT_EQ(keys[1].values.size(), 1u);
  EXPECT_EQ(keys[1].values[0].type, 0xFFFFFFFFu);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "good", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "a", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);  // the last line wins
  EXPECT_EQ(RegQueryValueExA(key, "lost", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  WriteRaw("[Big]\n#" + std::string(kMaxRegistryFile, 'x') + "\n");
  const auto big = LoadRegistryFile(file_);
  ASSERT_FALSE(big.ok());
  EXPECT_NE(big.error().text.find("larger than"), std::string::npos) << big.error().text;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Big", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  const auto folder = LoadRegistryFile(dir_.string());  // a folder is no file
  ASSERT_FALSE(folder.ok());
  EXPECT_NE(folder.error().text.find("not a regular file"), std::string::npos);

  // What cannot be written is refused as a whole.
  EXPECT_FALSE(FormatRegistry({{"Line\nbreak", {}}}).ok());
  EXPECT_FALSE(FormatRegistry({{"K", {{std::string("a\0b", 3), REG_SZ, Sz("x")}}}}).ok());
}

// Restores an environment variable when it goes out of scope.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    if (value != nullptr) value_ = value;
  }
  ~SavedVariable() {
    if (value_) {
      ::setenv(name_, value_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> value_;
};

TEST(RegistryLocation, OwnVariableThenXdgThenHome) {
  const SavedVariable home("HOME"), xdg("XDG_CONFIG_HOME"), own("PIXAROO_REGISTRY");
  ::setenv("PIXAROO_REGISTRY", "/tmp/own", 1);
  ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(RegistryFilePath(), "/tmp/own");
  ::unsetenv("PIXAROO_REGISTRY");
  EXPECT_EQ(RegistryFilePath(), "/xdg/pixaroo/registry");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the XDG rules say
  EXPECT_EQ(RegistryFilePath(), "/home/u/.config/pixaroo/registry");
}

}  // namespace
