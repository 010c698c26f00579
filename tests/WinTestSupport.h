#pragma once
// Helpers for tests that run under wine: scratch folders, raw file access
// that bypasses the code under test, and a sleep that only records.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "util/Seams.h"
#include "util/WinText.h"

namespace qv::test {

inline std::string TestDataDir() {
  // The test data of the source tree, as wine sees the host's file system.
  std::string unix = QV_TESTDATA_DIR;
  std::string path = "Z:" + unix;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path + "\\";
}

inline void ClearAttributesBelow(const std::filesystem::path& root) {
  std::error_code ec;
  SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A fresh folder below the temporary folder, removed with everything in it.
class TTempDir {
 public:
  TTempDir() {
    static std::atomic<int> counter{0};
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    path_ = Narrow(buffer) + "qvtest-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++) + "\\";
    std::filesystem::create_directories(Widen(path_));
  }
  ~TTempDir() {
    std::error_code ec;
    ClearAttributesBelow(Widen(path_));
    std::filesystem::remove_all(Widen(path_), ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Points TMP at a folder of its own for the object's lifetime, so that the
// scratch and cache folders of other test programs running at the same time
// stay apart.
class TPrivateTempFolder {
 public:
  explicit TPrivateTempFolder(const std::string& folder) {
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    GetEnvironmentVariableW(L"TMP", saved_, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", Widen(folder).c_str());
  }
  ~TPrivateTempFolder() { SetEnvironmentVariableW(L"TMP", saved_); }
  TPrivateTempFolder(const TPrivateTempFolder&) = delete;
  TPrivateTempFolder& operator=(const TPrivateTempFolder&) = delete;

 private:
  wchar_t saved_[MAX_PATH + 1] = {};
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(Widen(path)).parent_path());
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

inline std::string ReadBytes(const std::string& path) {
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[65536];
  DWORD done = 0;
  while (ReadFile(h, buffer, sizeof buffer, &done, nullptr) && done) bytes.append(buffer, done);
  CloseHandle(h);
  return bytes;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A second handle on a file, as another program would hold it.
class THeldFile {
 public:
  THeldFile(const std::string& path, DWORD access, DWORD share) {
    handle_ = CreateFileW(Widen(path).c_str(), access, share, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
  ~THeldFile() { Release(); }
  THeldFile(const THeldFile&) = delete;
  THeldFile& operator=(const THeldFile&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }
  void Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Records the pauses of retry loops instead of waiting.
class TRecordingSleeper final : public ISleeper {
 public:
  TRecordingSleeper() { SetSleeperForTest(this); }
  ~TRecordingSleeper() override { SetSleeperForTest(nullptr); }
  TRecordingSleeper(const TRecordingSleeper&) = delete;
  TRecordingSleeper& operator=(const TRecordingSleeper&) = delete;
  void SleepMs(unsigned ms) override { pauses.push_back(ms); }
  std::vector<unsigned> pauses;
};

}  // namespace qv::test
