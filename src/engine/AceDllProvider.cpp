#include "engine/AceDllProvider.h"

#include <algorithm>
#include <cstring>

#include "engine/AdtFormat.h"
#include "util/StrUtils.h"
#include "util/WinText.h"

namespace qv {
namespace {

// Room for every text the engine gives back (names, messages).
constexpr std::uint16_t kTextRoom = 4096;

// A failure found before the engine was called (a text the ANSI engine
// cannot take); the next GetLastError on the thread tells it instead of the
// engine.
struct TOwnError {
  bool Set = false;
  std::uint32_t Code = 0;
  std::string Text;
};
thread_local TOwnError t_ownError;

// The UTF-8 text in the ANSI code page, false when it would change on the way.
bool ToEngineText(const std::string& utf8, std::string& ansi) {
  t_ownError.Set = false;
  bool lossy = false;
  ansi = ToCodePage(utf8, CP_ACP, &lossy);
  if (!lossy && FromAnsi(ansi) == utf8) return true;
  t_ownError = {
      true, ads_error::kInvalidParameter,
      EngineMessage(ads_error::kInvalidParameter,
                    "Der Name lässt sich im ANSI-Zeichensatz der Engine nicht darstellen.", utf8)};
  return false;
}

// The short form of an existing folder or file, empty when there is none.
std::string ShortForm(const std::string& path) {
  std::wstring wide = Widen(path);
  DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring shortPath(size, L'\0');
  DWORD length = GetShortPathNameW(wide.c_str(), shortPath.data(), size);
  if (length == 0 || length >= size) return {};
  shortPath.resize(length);
  return Narrow(shortPath);
}

// A path the ANSI engine cannot take as it is (the temporary folder below a
// user name outside the code page, say) may reach it with its folder in the
// short form. The file name stays: the engine finds a table's memo and index
// files by it.
bool ToEnginePath(const std::string& utf8, std::string& ansi) {
  if (ToEngineText(utf8, ansi)) return true;
  TOwnError longPathError = t_ownError;
  std::string folder = ExtractFilePath(utf8);
  std::string shortFolder = ShortForm(folder);
  if (!shortFolder.empty() && ToEngineText(shortFolder + utf8.substr(folder.size()), ansi))
    return true;
  t_ownError = longPathError;  // the path as the caller knows it is named
  return false;
}

TAceText Text(std::string& ansi) { return reinterpret_cast<TAceText>(ansi.data()); }

// Calls call with the text in the ANSI code page, unless it cannot be represented.
template <class Call>
std::uint32_t WithEngineText(const std::string& utf8, Call call) {
  std::string ansi;
  if (!ToEngineText(utf8, ansi)) return t_ownError.Code;
  return call(Text(ansi));
}

// NULL for an empty text, as the engine expects for "none".
TAceText OptionalText(std::string& ansi) { return ansi.empty() ? nullptr : Text(ansi); }

TAceHandle Handle(TAdsHandle handle) { return static_cast<TAceHandle>(handle); }

// Calls get(buffer, &length) and converts the text it wrote.
template <class Get>
std::uint32_t ReadText(std::string& out, Get get) {
  unsigned char buffer[kTextRoom + 1] = {};
  std::uint16_t length = kTextRoom;
  std::uint32_t result = get(buffer, &length);
  if (result != 0) return result;
  const char* text = reinterpret_cast<const char*>(buffer);
  out = FromAnsi(std::string(text, strnlen(text, std::min(length, kTextRoom))));
  return 0;
}

template <class Get>
std::uint32_t ReadFlag(bool& flag, Get get) {
  std::uint16_t value = 0;
  std::uint32_t result = get(&value);
  flag = value != 0;
  return result;
}

}  // namespace

TAceDllProvider::TAceDllProvider(TModuleHandle module, const TAceDllEntries& entries,
                                 std::string path)
    : module_(std::move(module)), dll_(entries), path_(std::move(path)) {}

const char* TAceDllProvider::DllName() { return sizeof(void*) == 8 ? "ACE64.DLL" : "ACE32.DLL"; }

TAceDllVersion TAceDllProvider::Version() const {
  TAceDllVersion version;
  unsigned char letter[16] = {};
  unsigned char description[kTextRoom + 1] = {};
  std::uint16_t length = kTextRoom;
  if (dll_.AdsGetVersion(&version.Major, &version.Minor, letter, description, &length) != 0)
    return {};
  version.Known = true;
  if (letter[0] > ' ' && letter[0] < 0x7F) version.Letter = std::string(1, char(letter[0]));
  const char* text = reinterpret_cast<const char*>(description);
  version.Description =
      TrimBlanks(FromAnsi(std::string(text, strnlen(text, std::min(length, kTextRoom)))));
  return version;
}

std::uint32_t TAceDllProvider::CacheOpenCursors(std::uint16_t count) {
  return dll_.AdsCacheOpenCursors(count);
}

std::uint32_t TAceDllProvider::SetDateFormat(const std::string& format) {
  return WithEngineText(format, [&](TAceText text) { return dll_.AdsSetDateFormat(text); });
}

std::uint32_t TAceDllProvider::SetDecimals(std::uint16_t decimals) {
  return dll_.AdsSetDecimals(decimals);
}

std::uint32_t TAceDllProvider::ShowDeleted(bool show) { return dll_.AdsShowDeleted(show ? 1 : 0); }

std::uint32_t TAceDllProvider::SetServerType(std::uint16_t types) {
  return dll_.AdsSetServerType(types);
}

std::uint32_t TAceDllProvider::Connect60(const std::string& path, std::uint16_t serverTypes,
                                         const std::string& user, const std::string& password,
                                         std::uint32_t options, TAdsHandle& connection) {
  connection = 0;
  std::string ansiPath, ansiUser, ansiPassword;
  if (!ToEnginePath(path, ansiPath) || !ToEngineText(user, ansiUser) ||
      !ToEngineText(password, ansiPassword))
    return t_ownError.Code;
  TAceHandle handle = 0;
  std::uint32_t result = dll_.AdsConnect60(Text(ansiPath), serverTypes, OptionalText(ansiUser),
                                           OptionalText(ansiPassword), options, &handle);
  if (result == 0) connection = handle;
  return result;
}

std::uint32_t TAceDllProvider::OpenTable(TAdsHandle connection, const std::string& path,
                                         const std::string& alias, std::uint16_t tableType,
                                         std::uint16_t charType, std::uint16_t lockType,
                                         std::uint16_t checkRights, std::uint32_t options,
                                         TAdsHandle& table) {
  table = 0;
  std::string ansiPath, ansiAlias;
  if (!ToEnginePath(path, ansiPath) || !ToEngineText(alias, ansiAlias)) return t_ownError.Code;
  TAceHandle handle = 0;
  std::uint32_t result =
      dll_.AdsOpenTable(Handle(connection), Text(ansiPath), OptionalText(ansiAlias), tableType,
                        charType, lockType, checkRights, options, &handle);
  if (result == 0) table = handle;
  return result;
}

std::uint32_t TAceDllProvider::GetRecordLength(TAdsHandle table, std::uint32_t& length) {
  return dll_.AdsGetRecordLength(Handle(table), &length);
}

std::uint32_t TAceDllProvider::GetTableOpenOptions(TAdsHandle table, std::uint32_t& options) {
  return dll_.AdsGetTableOpenOptions(Handle(table), &options);
}

std::uint32_t TAceDllProvider::GetAllIndexes(TAdsHandle table, std::vector<TAdsHandle>& indexes) {
  std::vector<TAceHandle> handles(std::min<std::size_t>(indexes.size(), 0xFFFF));
  std::uint16_t count = static_cast<std::uint16_t>(handles.size());
  std::uint32_t result = dll_.AdsGetAllIndexes(Handle(table), handles.data(), &count);
  indexes.assign(handles.begin(), handles.begin() + std::min<std::size_t>(count, handles.size()));
  return result;
}

std::uint32_t TAceDllProvider::GetIndexPageSize(TAdsHandle index, std::uint32_t& size) {
  return dll_.AdsGetIndexPageSize(Handle(index), &size);
}

std::uint32_t TAceDllProvider::GetBookmarkLength(TAdsHandle table, std::uint32_t& length) {
  return dll_.AdsGetBookmarkLength(Handle(table), &length);
}

std::uint32_t TAceDllProvider::GetNumFields(TAdsHandle table, std::uint16_t& count) {
  return dll_.AdsGetNumFields(Handle(table), &count);
}

std::uint32_t TAceDllProvider::GetFieldName(TAdsHandle table, std::uint16_t field,
                                            std::string& name) {
  return ReadText(name, [&](TAceText buffer, std::uint16_t* length) {
    return dll_.AdsGetFieldName(Handle(table), field, buffer, length);
  });
}

std::uint32_t TAceDllProvider::GetFieldType(TAdsHandle table, const std::string& field,
                                            std::uint16_t& type) {
  return WithEngineText(
      field, [&](TAceText name) { return dll_.AdsGetFieldType(Handle(table), name, &type); });
}

std::uint32_t TAceDllProvider::GetFieldLength(TAdsHandle table, const std::string& field,
                                              std::uint32_t& length) {
  return WithEngineText(
      field, [&](TAceText name) { return dll_.AdsGetFieldLength(Handle(table), name, &length); });
}

std::uint32_t TAceDllProvider::GetFieldDecimals(TAdsHandle table, const std::string& field,
                                                std::uint16_t& decimals) {
  return WithEngineText(field, [&](TAceText name) {
    return dll_.AdsGetFieldDecimals(Handle(table), name, &decimals);
  });
}

std::uint32_t TAceDllProvider::GetNumIndexes(TAdsHandle table, std::uint16_t& count) {
  return dll_.AdsGetNumIndexes(Handle(table), &count);
}

std::uint32_t TAceDllProvider::GetIndexName(TAdsHandle index, std::string& name) {
  return ReadText(name, [&](TAceText buffer, std::uint16_t* length) {
    return dll_.AdsGetIndexName(Handle(index), buffer, length);
  });
}

std::uint32_t TAceDllProvider::GetNumSegments(TAdsHandle index, std::uint16_t& count) {
  return dll_.AdsGetNumSegments(Handle(index), &count);
}

std::uint32_t TAceDllProvider::GetSegmentFieldname(TAdsHandle index, std::uint16_t segment,
                                                   std::string& field) {
  return ReadText(field, [&](TAceText buffer, std::uint16_t* length) {
    return dll_.AdsGetSegmentFieldname(Handle(index), segment, buffer, length);
  });
}

std::uint32_t TAceDllProvider::IsIndexUnique(TAdsHandle index, bool& unique) {
  return ReadFlag(unique,
                  [&](std::uint16_t* v) { return dll_.AdsIsIndexUnique(Handle(index), v); });
}

std::uint32_t TAceDllProvider::IsIndexDescending(TAdsHandle index, bool& descending) {
  return ReadFlag(descending,
                  [&](std::uint16_t* v) { return dll_.AdsIsIndexDescending(Handle(index), v); });
}

std::uint32_t TAceDllProvider::IsIndexPrimaryKey(TAdsHandle index, bool& primaryKey) {
  return ReadFlag(primaryKey,
                  [&](std::uint16_t* v) { return dll_.AdsIsIndexPrimaryKey(Handle(index), v); });
}

std::uint32_t TAceDllProvider::GotoBOF(TAdsHandle table) { return dll_.AdsGotoBOF(Handle(table)); }

std::uint32_t TAceDllProvider::CreateIndex61(TAdsHandle table, const std::string& tag,
                                             const std::string& expression, TAdsHandle& index) {
  constexpr std::uint32_t kCompoundIndex = 2;
  constexpr std::uint32_t kPageSize = 512;
  index = 0;
  std::string ansiTag, ansiExpression;
  if (!ToEngineText(tag, ansiTag) || !ToEngineText(expression, ansiExpression))
    return t_ownError.Code;
  std::string condition, whileCondition;  // "" and not NULL: no condition
  TAceHandle handle = 0;
  std::uint32_t result = dll_.AdsCreateIndex61(
      Handle(table), nullptr, Text(ansiTag), Text(ansiExpression), Text(condition),
      Text(whileCondition), kCompoundIndex, kPageSize, &handle);
  if (result == 0) index = handle;
  return result;
}

std::uint32_t TAceDllProvider::CloseTable(TAdsHandle table) {
  return dll_.AdsCloseTable(Handle(table));
}

std::uint32_t TAceDllProvider::Disconnect(TAdsHandle connection) {
  return dll_.AdsDisconnect(Handle(connection));
}

std::uint32_t TAceDllProvider::GetLastError(std::uint32_t& code, std::string& text) {
  if (t_ownError.Set) {
    code = t_ownError.Code;
    text = t_ownError.Text;
    t_ownError.Set = false;
    return 0;
  }
  return ReadText(text, [&](TAceText buffer, std::uint16_t* length) {
    return dll_.AdsGetLastError(&code, buffer, length);
  });
}

}  // namespace qv
