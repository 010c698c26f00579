#include "engine/FileSource.h"

#include <filesystem>
#include <fstream>

#include "util/PathUtf8.h"
#include "util/StrUtils.h"

namespace qv {

// --- TMemoryFileSource -------------------------------------------------------

std::string TMemoryFileSource::Key(const std::string& path) {
  return LowerCase1252(WithoutTrailingBackslash(path));
}

void TMemoryFileSource::Put(const std::string& path, std::vector<std::uint8_t> bytes) {
  files_[Key(path)] = std::move(bytes);
}

void TMemoryFileSource::Put(const std::string& path, const std::string& bytes) {
  Put(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void TMemoryFileSource::Lock(const std::string& path) { locked_[Key(path)] = true; }

void TMemoryFileSource::AddFolder(const std::string& path) { folders_[Key(path)] = true; }

TOpenedFile TMemoryFileSource::OpenForReading(const std::string& path) {
  TOpenedFile opened;
  auto it = files_.find(Key(path));
  if (it == files_.end()) return opened;
  if (locked_.count(Key(path))) {
    opened.Status = TOpenStatus::OpenFailed;
    return opened;
  }
  opened.Status = TOpenStatus::Ok;
  opened.Stream = std::make_unique<TMemoryStream>(it->second);
  return opened;
}

bool TMemoryFileSource::FolderExists(const std::string& path) {
  return folders_.count(Key(path)) > 0;
}

// --- TStdFileSource ----------------------------------------------------------

namespace {

class TStdStream final : public IStream {
 public:
  TStdStream(std::ifstream file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    std::size_t n = static_cast<std::size_t>(file_.gcount());
    position_ += n;
    file_.clear();
    return n;
  }
  void Write(const void*, std::size_t) override { throw EStreamError(kStreamWriteError); }
  void Seek(std::uint64_t position) override {
    file_.seekg(static_cast<std::streamoff>(position));
    position_ = position;
  }
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return size_; }

 private:
  std::ifstream file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

std::filesystem::path HostPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return PathFromUtf8(p);
}

// The path itself, or a sibling whose name differs only in letter case.
std::filesystem::path Resolve(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return path;
  std::string wanted = LowerCase1252(Utf8FromPath(path.filename()));
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec))
    if (LowerCase1252(Utf8FromPath(entry.path().filename())) == wanted) return entry.path();
  return path;
}

}  // namespace

TOpenedFile TStdFileSource::OpenForReading(const std::string& path) {
  TOpenedFile opened;
  std::filesystem::path host = Resolve(HostPath(path));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(host, ec)) return opened;
  std::uint64_t size = std::filesystem::file_size(host, ec);
  std::ifstream file(host, std::ios::binary);
  if (ec || !file) {
    opened.Status = TOpenStatus::OpenFailed;
    return opened;
  }
  opened.Status = TOpenStatus::Ok;
  opened.Stream = std::make_unique<TStdStream>(std::move(file), size);
  return opened;
}

bool TStdFileSource::FolderExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(HostPath(WithoutTrailingBackslash(path)), ec);
}

}  // namespace qv
