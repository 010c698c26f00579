/* A stand-in for the office application's engine DLL, for tests only: the
   same export names and calling convention, fixed table structures, and two
   files named by the environment:
     QV_ACE_LOG     every call is appended as "thread|Call|arg=value|..."
     QV_ACE_SCRIPT  lines "fail <Call> <match> <code> <text>" make a call fail
                    when the path it concerns contains <match> ("*": always;
                    "A*!B": contains A and not B);
                    "version <major> <minor> <letter> <description>".
   Both are read on every call, so that a test can change them at any time.
   Like the real engine, it answers an index call made with a table's handle
   with 5014 and counts an index's segments from 0. A table's index orders
   come from the index file beside it: none without one, the tag that
   AdsCreateIndex61 built, or else the two of kIndexNames. */
#define __USE_MINGW_ANSI_STDIO 1
#include <windows.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uintptr_t H;
typedef uint32_t U32;
typedef uint16_t U16;
typedef unsigned char U8;

#define API __declspec(dllexport) U32 WINAPI

/* "await connections * <n>": table opens wait until n connections have been
   open at the same time (a latch: once reached, nobody waits again; at most
   10 s), so that a test knows two jobs overlapped. */
static int OpenConnections(void);

/* Handles carry high bits, so that a caller that cuts or sign-extends them is
   caught: tag | slot << 8 | index number (0 for the table itself). */
#if UINTPTR_MAX > 0xFFFFFFFFu
#define TABLE_TAG ((H)0xA5C3000000000000ull)
#define CONNECTION_TAG ((H)0x5A3C000000000000ull)
#else
#define TABLE_TAG ((H)0xA5000000u)
#define CONNECTION_TAG ((H)0x5A000000u)
#endif
#define TAG_MASK (~(H)0xFFFFFF)
#define SLOTS 64

static CRITICAL_SECTION g_lock;
static char g_connections[SLOTS][MAX_PATH];
static char g_tables[SLOTS][MAX_PATH];
static int g_used[2][SLOTS];
static volatile LONG g_met;

/* Index orders of an open table: kFixedIndexes, none, or the one tag built
   by AdsCreateIndex61 (name and expression in g_builtIndex). */
#define FIXED_INDEXES 2
static int g_indexCount[SLOTS];
static char g_builtIndex[SLOTS][2][64];
static const char kBuiltIndexMark[] = "stand-in index ";

static _Thread_local U32 t_code;
static _Thread_local char t_text[2048];

static const char* const kFieldNames[] = {"ID", "NAME"};
static const U16 kFieldTypes[] = {11, 4};
static const U32 kFieldLengths[] = {4, 30};
static const char* const kIndexNames[] = {"ID", "NAME"};
static const char* const kSegments[][2] = {{"ID", NULL}, {"NAME", "ID"}};
static const U16 kSegmentCounts[] = {1, 2};
static const U16 kUnique[] = {1, 0}, kDescending[] = {0, 1}, kPrimary[] = {1, 0};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
  if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&g_lock);
  return TRUE;
}

static void Record(const char* call, const char* format, ...) {
  char path[MAX_PATH], line[4096];
  if (!GetEnvironmentVariableA("QV_ACE_LOG", path, sizeof path)) return;
  int n = snprintf(line, sizeof line, "%lu|%s", (unsigned long)GetCurrentThreadId(), call);
  va_list args;
  va_start(args, format);
  n += vsnprintf(line + n, sizeof line - (size_t)n - 2, format, args);
  va_end(args);
  strcpy(line + n, "\r\n");
  EnterCriticalSection(&g_lock);
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, 0, NULL);
  DWORD done = 0;
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, line, (DWORD)strlen(line), &done, NULL);
    CloseHandle(file);
  }
  LeaveCriticalSection(&g_lock);
}

/* Whether subject fits match: every "*"-separated part must appear in it, a
   part behind "!" must not; "*" alone fits everything. */
static int Matches(const char* match, const char* subject) {
  while (*match) {
    size_t length = strcspn(match, "*");
    if (length > 0) {
      int negated = match[0] == '!';
      char part[MAX_PATH];
      snprintf(part, sizeof part, "%.*s", (int)(length - (size_t)negated), match + negated);
      int found = subject && strstr(subject, part) != NULL;
      if (found == negated) return 0;
    }
    match += length + (match[length] == '*');
  }
  return 1;
}

/* Finds the script line "<keyword> <call> ..." whose match fits subject; the
   rest of the line after the call goes to rest. */
static int ScriptLine(const char* keyword, const char* call, const char* subject, char* rest,
                      size_t room) {
  char path[MAX_PATH], line[1024];
  if (!GetEnvironmentVariableA("QV_ACE_SCRIPT", path, sizeof path)) return 0;
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  int found = 0;
  while (!found && fgets(line, sizeof line, f)) {
    line[strcspn(line, "\r\n")] = 0;
    char word[64], name[64], match[MAX_PATH];
    int used = 0;
    if (strcmp(keyword, "version") == 0) {
      if (sscanf(line, "%63s %n", word, &used) == 1 && strcmp(word, "version") == 0) {
        snprintf(rest, room, "%s", line + used);
        found = 1;
      }
      continue;
    }
    if (sscanf(line, "%63s %63s %259s %n", word, name, match, &used) != 3) continue;
    if (strcmp(word, keyword) || strcmp(name, call)) continue;
    if (!Matches(match, subject)) continue;
    snprintf(rest, room, "%s", line + used);
    found = 1;
  }
  fclose(f);
  return found;
}

static U32 Succeed(void) {
  t_code = 0;
  t_text[0] = 0;
  return 0;
}

static U32 Fail(U32 code, const char* text) {
  t_code = code;
  snprintf(t_text, sizeof t_text, "%s", text);
  return code;
}

/* The scripted result of a call about subject: 0, or the failure. */
static U32 Scripted(const char* call, const char* subject) {
  char rest[1024];
  if (!ScriptLine("fail", call, subject, rest, sizeof rest)) return Succeed();
  unsigned long code = 0;
  int used = 0;
  if (sscanf(rest, "%lu %n", &code, &used) < 1) return Succeed();
  return Fail((U32)code, rest + used);
}

static int Slot(H handle, H tag, int kind) {
  if ((handle & TAG_MASK) != tag) return -1;
  int slot = (int)((handle >> 8) & 0xFFFF);
  return slot < SLOTS && g_used[kind][slot] ? slot : -1;
}

static const char* TablePath(H handle) {
  int slot = Slot(handle, TABLE_TAG, 1);
  return slot < 0 ? NULL : g_tables[slot];
}

static int IndexNumber(H index) { return (int)(index & 0xFF) - 1; }

static U32 BadHandle(void) { return Fail(5018, "Error 5018:  Invalid handle.  stand-in"); }

static U32 NotAnIndexOrder(void) {
  return Fail(5014,
              "Error 5014:  Advantage does not have an index open with the specified handle.  "
              "The handle must be to an index order.");
}

/* The table's index file: its path with the extension ".adi". */
static void IndexFilePath(const char* table, char* path, size_t room) {
  snprintf(path, room, "%s", table);
  char* dot = strrchr(path, '.');
  char* slash = strrchr(path, '\\');
  if (dot && (!slash || dot > slash)) *dot = 0;
  if (strlen(path) + 5 <= room) strcat(path, ".adi");
}

/* Finds the index orders of the table in slot from the file beside it. */
static void ReadIndexes(int slot, const char* table) {
  char path[MAX_PATH], head[160] = {0};
  IndexFilePath(table, path, sizeof path);
  FILE* f = fopen(path, "rb");
  g_indexCount[slot] = 0;
  if (!f) return;
  size_t n = fread(head, 1, sizeof head - 1, f);
  fclose(f);
  head[n] = 0;
  g_indexCount[slot] = FIXED_INDEXES;
  if (strncmp(head, kBuiltIndexMark, strlen(kBuiltIndexMark)) == 0 &&
      sscanf(head + strlen(kBuiltIndexMark), "%63s %63s", g_builtIndex[slot][0],
             g_builtIndex[slot][1]) == 2)
    g_indexCount[slot] = 1;
}

static int IsBuiltIndex(int slot) { return g_indexCount[slot] == 1; }

static H Store(int kind, const char* path, H tag) {
  H handle = 0;
  EnterCriticalSection(&g_lock);
  for (int slot = 1; slot < SLOTS && !handle; ++slot)
    if (!g_used[kind][slot]) {
      g_used[kind][slot] = 1;
      snprintf(kind ? g_tables[slot] : g_connections[slot], MAX_PATH, "%s", path);
      handle = tag | (H)slot << 8;
    }
  LeaveCriticalSection(&g_lock);
  return handle;
}

static int OpenConnections(void) {
  int open = 0;
  EnterCriticalSection(&g_lock);
  for (int slot = 0; slot < SLOTS; ++slot) open += g_used[0][slot];
  LeaveCriticalSection(&g_lock);
  return open;
}

static void Release(int kind, int slot) {
  EnterCriticalSection(&g_lock);
  g_used[kind][slot] = 0;
  LeaveCriticalSection(&g_lock);
}

#define TEXT_OR_NULL(s) ((s) ? (const char*)(s) : "NULL")

static U32 CopyOut(const char* text, U8* buffer, U16* length) {
  size_t n = strlen(text);
  if (!buffer || !length || *length == 0 || n >= *length)
    return Fail(5005, "Error 5005:  Insufficient buffer.  stand-in");
  memcpy(buffer, text, n + 1);
  *length = (U16)n;
  return Succeed();
}

/* ---- start-up settings ---- */

API AdsCacheOpenCursors(U16 count) {
  Record("AdsCacheOpenCursors", "|count=%u", count);
  return Scripted("AdsCacheOpenCursors", NULL);
}

API AdsSetDateFormat(U8* format) {
  Record("AdsSetDateFormat", "|format=%s", TEXT_OR_NULL(format));
  return Scripted("AdsSetDateFormat", NULL);
}

API AdsSetDecimals(U16 decimals) {
  Record("AdsSetDecimals", "|decimals=%u", decimals);
  return Scripted("AdsSetDecimals", NULL);
}

API AdsShowDeleted(U16 show) {
  Record("AdsShowDeleted", "|show=%u", show);
  return Scripted("AdsShowDeleted", NULL);
}

API AdsSetServerType(U16 types) {
  Record("AdsSetServerType", "|types=%u", types);
  return Scripted("AdsSetServerType", NULL);
}

/* ---- connection and table ---- */

API AdsConnect60(U8* path, U16 types, U8* user, U8* password, U32 options, H* connection) {
  Record("AdsConnect60", "|path=%s|types=%u|user=%s|password=%s|options=%lu", TEXT_OR_NULL(path),
         types, TEXT_OR_NULL(user), TEXT_OR_NULL(password), (unsigned long)options);
  U32 result = Scripted("AdsConnect60", (const char*)path);
  if (result) return result;
  *connection = Store(0, (const char*)path, CONNECTION_TAG);
  return 0;
}

API AdsOpenTable(H connection, U8* path, U8* alias, U16 type, U16 charType, U16 lockType,
                 U16 rights, U32 options, H* table) {
  Record("AdsOpenTable",
         "|connection=%llx|path=%s|alias=%s|type=%u|char=%u|lock=%u|rights=%u|options=%lu",
         (unsigned long long)connection, TEXT_OR_NULL(path), TEXT_OR_NULL(alias), type, charType,
         lockType, rights, (unsigned long)options);
  if (Slot(connection, CONNECTION_TAG, 0) < 0) return BadHandle();
  char wanted[64];
  if (ScriptLine("await", "connections", (const char*)path, wanted, sizeof wanted))
    for (int i = 0; i < 10000 && !g_met; ++i) {
      if (OpenConnections() >= atoi(wanted)) g_met = 1;
      Sleep(1);
    }
  U32 result = Scripted("AdsOpenTable", (const char*)path);
  if (result) return result;
  *table = Store(1, (const char*)path, TABLE_TAG);
  if (*table) ReadIndexes(Slot(*table, TABLE_TAG, 1), (const char*)path);
  return 0;
}

/* Every call on a table or index: recorded with its handle, failing as
   scripted for the table's path. */
#define TABLE_CALL(name, handle, format, ...)                                       \
  Record(name, "|handle=%llx" format, (unsigned long long)(handle), ##__VA_ARGS__); \
  const char* path = TablePath((handle) & ~(H)0xFF);                                \
  int slot = Slot((handle) & ~(H)0xFF, TABLE_TAG, 1);                               \
  (void)slot;                                                                       \
  if (!path) return BadHandle();                                                    \
  U32 result = Scripted(name, path);                                                \
  if (result) return result

API AdsGetRecordLength(H table, U32* length) {
  TABLE_CALL("AdsGetRecordLength", table, "");
  *length = 5 + 4 + 30;
  return 0;
}

API AdsGetTableOpenOptions(H table, U32* options) {
  TABLE_CALL("AdsGetTableOpenOptions", table, "");
  *options = 0;
  return 0;
}

API AdsGetAllIndexes(H table, H* indexes, U16* count) {
  TABLE_CALL("AdsGetAllIndexes", table, "|room=%u", *count);
  if (*count < g_indexCount[slot]) return Fail(5005, "Error 5005:  Insufficient buffer.  stand-in");
  for (int i = 0; i < g_indexCount[slot]; ++i) indexes[i] = table | (H)(i + 1);
  *count = (U16)g_indexCount[slot];
  return 0;
}

API AdsGetBookmarkLength(H table, U32* length) {
  TABLE_CALL("AdsGetBookmarkLength", table, "");
  *length = 4;
  return 0;
}

API AdsGetNumFields(H table, U16* count) {
  TABLE_CALL("AdsGetNumFields", table, "");
  *count = 2;
  return 0;
}

API AdsGetFieldName(H table, U16 field, U8* buffer, U16* length) {
  TABLE_CALL("AdsGetFieldName", table, "|field=%u|room=%u", field, *length);
  if (field < 1 || field > 2) return Fail(5012, "Error 5012:  Invalid field number.  stand-in");
  return CopyOut(kFieldNames[field - 1], buffer, length);
}

static int FieldNumber(const U8* name) {
  for (int i = 0; i < 2; ++i)
    if (name && strcmp((const char*)name, kFieldNames[i]) == 0) return i;
  return -1;
}

#define FIELD_CALL(name, field)                              \
  TABLE_CALL(name, table, "|field=%s", TEXT_OR_NULL(field)); \
  int number = FieldNumber(field);                           \
  if (number < 0) return Fail(5012, "Error 5012:  Invalid field.  stand-in")

API AdsGetFieldType(H table, U8* field, U16* type) {
  FIELD_CALL("AdsGetFieldType", field);
  *type = kFieldTypes[number];
  return 0;
}

API AdsGetFieldLength(H table, U8* field, U32* length) {
  FIELD_CALL("AdsGetFieldLength", field);
  *length = kFieldLengths[number];
  return 0;
}

API AdsGetFieldDecimals(H table, U8* field, U16* decimals) {
  FIELD_CALL("AdsGetFieldDecimals", field);
  *decimals = 0;
  return 0;
}

API AdsGetNumIndexes(H table, U16* count) {
  TABLE_CALL("AdsGetNumIndexes", table, "");
  *count = (U16)g_indexCount[slot];
  return 0;
}

/* A call on an index order: the table's own handle is refused as the real
   engine refuses it. */
#define INDEX_CALL(name, format, ...)             \
  TABLE_CALL(name, index, format, ##__VA_ARGS__); \
  int number = IndexNumber(index);                \
  if (number < 0 || number >= g_indexCount[slot]) return NotAnIndexOrder()

API AdsGetIndexPageSize(H index, U32* size) {
  INDEX_CALL("AdsGetIndexPageSize", "");
  (void)number;
  *size = 512;
  return 0;
}

API AdsGetIndexName(H index, U8* buffer, U16* length) {
  INDEX_CALL("AdsGetIndexName", "|room=%u", *length);
  if (IsBuiltIndex(slot)) return CopyOut(g_builtIndex[slot][0], buffer, length);
  return CopyOut(kIndexNames[number], buffer, length);
}

static U16 SegmentCount(int slot, int number) {
  return IsBuiltIndex(slot) ? 1 : kSegmentCounts[number];
}

API AdsGetNumSegments(H index, U16* count) {
  INDEX_CALL("AdsGetNumSegments", "");
  *count = SegmentCount(slot, number);
  return 0;
}

/* Segments count from 0, as in the real engine. */
API AdsGetSegmentFieldname(H index, U16 segment, U8* buffer, U16* length) {
  INDEX_CALL("AdsGetSegmentFieldname", "|segment=%u|room=%u", segment, *length);
  if (segment >= SegmentCount(slot, number))
    return Fail(5030,
                "Error 5030:  The field number specified was invalid for the specified table.  "
                "No such column in index expression.");
  if (IsBuiltIndex(slot)) return CopyOut(g_builtIndex[slot][1], buffer, length);
  return CopyOut(kSegments[number][segment], buffer, length);
}

/* A built index is neither unique, descending nor the primary key. */
#define INDEX_FLAG(name, values)                     \
  API name(H index, U16* flag) {                     \
    INDEX_CALL(#name, "");                           \
    *flag = IsBuiltIndex(slot) ? 0 : values[number]; \
    return 0;                                        \
  }
INDEX_FLAG(AdsIsIndexUnique, kUnique)
INDEX_FLAG(AdsIsIndexDescending, kDescending)
INDEX_FLAG(AdsIsIndexPrimaryKey, kPrimary)

/* Writes the index file beside the table, as the real engine does. */
API AdsCreateIndex61(H table, U8* file, U8* tag, U8* expression, U8* condition, U8* whileCondition,
                     U32 options, U32 pageSize, H* index) {
  TABLE_CALL("AdsCreateIndex61", table,
             "|file=%s|tag=%s|expression=%s|condition=%s|while=%s|options=%lu|pagesize=%lu",
             TEXT_OR_NULL(file), TEXT_OR_NULL(tag), TEXT_OR_NULL(expression),
             TEXT_OR_NULL(condition), TEXT_OR_NULL(whileCondition), (unsigned long)options,
             (unsigned long)pageSize);
  if (table & 0xFF) return BadHandle();
  if (!tag || !expression) return Fail(5012, "Error 5012:  Invalid parameter.  stand-in");
  char indexPath[MAX_PATH];
  IndexFilePath(path, indexPath, sizeof indexPath);
  FILE* f = fopen(indexPath, "wb");
  if (!f) return Fail(7008, "Error 7008:  File open failure.  stand-in");
  fprintf(f, "%s%s %s\r\n", kBuiltIndexMark, (const char*)tag, (const char*)expression);
  fclose(f);
  snprintf(g_builtIndex[slot][0], 64, "%s", (const char*)tag);
  snprintf(g_builtIndex[slot][1], 64, "%s", (const char*)expression);
  g_indexCount[slot] = 1;
  *index = table | 1;
  return 0;
}

#ifndef QV_STANDIN_WITHOUT_GOTOBOF
API AdsGotoBOF(H table) {
  TABLE_CALL("AdsGotoBOF", table, "");
  return 0;
}
#endif

API AdsCloseTable(H table) {
  Record("AdsCloseTable", "|handle=%llx", (unsigned long long)table);
  int slot = Slot(table, TABLE_TAG, 1);
  if (slot < 0) return BadHandle();
  U32 result = Scripted("AdsCloseTable", g_tables[slot]);
  Release(1, slot);
  return result;
}

API AdsDisconnect(H connection) {
  Record("AdsDisconnect", "|handle=%llx", (unsigned long long)connection);
  int slot = Slot(connection, CONNECTION_TAG, 0);
  if (slot < 0) return BadHandle();
  U32 result = Scripted("AdsDisconnect", g_connections[slot]);
  Release(0, slot);
  return result;
}

/* ---- errors and version ---- */

API AdsGetLastError(U32* code, U8* buffer, U16* length) {
  Record("AdsGetLastError", "|room=%u", *length);
  *code = t_code;
  size_t n = strlen(t_text);
  if (n >= *length) n = *length - 1u;
  memcpy(buffer, t_text, n);
  buffer[n] = 0;
  *length = (U16)n;
  return 0;
}

API AdsGetVersion(U32* major, U32* minor, U8* letter, U8* description, U16* length) {
  Record("AdsGetVersion", "|room=%u", *length);
  U32 result = Scripted("AdsGetVersion", NULL);
  if (result) return result;
  char rest[1024] = "12 0 a Stand-in engine";
  ScriptLine("version", "", NULL, rest, sizeof rest);
  unsigned long a = 0, b = 0;
  char l = ' ';
  int used = 0;
  sscanf(rest, "%lu %lu %c %n", &a, &b, &l, &used);
  *major = (U32)a;
  *minor = (U32)b;
  *letter = (U8)l;
  return CopyOut(rest + used, description, length);
}
