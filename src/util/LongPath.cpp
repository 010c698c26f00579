#include "util/LongPath.h"

#include <algorithm>
#include <vector>

namespace qv {
namespace {

constexpr std::string_view kLongPrefix = "\\\\?\\";
constexpr std::string_view kLongUncPrefix = "\\\\?\\UNC\\";

bool IsDevicePath(std::string_view path) {
  std::string_view head = path.substr(0, 4);
  return head == "\\\\?\\" || head == "\\\\.\\" || head == "\\??\\";
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The parts below a root with ".", ".." and empty parts resolved (".." never
// climbs above the root); a trailing separator stays.
std::string ResolvedBelowRoot(std::string_view rest) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = std::min(rest.find('\\', start), rest.size());
    std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string joined;
  for (std::string_view part : parts) {
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  if (!joined.empty() && rest.back() == '\\') joined += '\\';
  return joined;
}

// Length of "\\server\share" at the start of a network path; 0 when the
// path names no share.
std::size_t ShareRootLength(std::string_view path) {
  std::size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return 0;
  std::size_t shareEnd = std::min(path.find('\\', serverEnd + 1), path.size());
  return shareEnd > serverEnd + 1 ? shareEnd : 0;
}

}  // namespace

std::string LongPathForm(std::string_view path) {
  if (IsDevicePath(path)) return std::string(path);
  std::string slashed(path);
  for (char& c : slashed)
    if (c == '/') c = '\\';
  std::string_view s = slashed;
  if (IsDevicePath(s)) return slashed;
  if (s.size() >= 3 && IsDriveLetter(s[0]) && s[1] == ':' && s[2] == '\\')
    return std::string(kLongPrefix) + std::string(s.substr(0, 3)) + ResolvedBelowRoot(s.substr(3));
  if (s.size() < 3 || s[0] != '\\' || s[1] != '\\' || s[2] == '\\') return std::string(path);
  std::size_t root = ShareRootLength(s);
  if (root == 0) return std::string(path);
  std::string share = std::string(kLongUncPrefix) + std::string(s.substr(2, root - 2));
  if (root == s.size()) return share;
  return share + "\\" + ResolvedBelowRoot(s.substr(root + 1));
}

}  // namespace qv
