// Writes test databases:
//   qv-adtgen sample DIR    a small office database folder (tables with memo
//                           and index files, other files, a subfolder)
//   qv-adtgen damaged DIR   the same with one damaged table
//   qv-adtgen table DIR NAME customers|articles RECORDS [DAMAGE]
//   qv-adtgen table DIR NAME office RECORDS [SEED]
//                           an order table whose every field varies (benchmarks)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "AdtGen.h"
#include "util/PathUtf8.h"

namespace fs = std::filesystem;
using namespace qv::adtgen;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", qv::Utf8FromPath(path).c_str());
    std::exit(1);
  }
}

void WriteTable(const fs::path& dir, const std::string& name, TTableFiles files) {
  WriteFile(dir / (name + ".ADT"), files.Adt);
  if (files.HasAdm) WriteFile(dir / (name + ".adm"), files.Adm);
  if (files.HasAdi) WriteFile(dir / (name + ".adi"), files.Adi);
}

bool ParseDamage(const std::string& text, TDamage& damage) {
  for (TDamage d : AllDamages())
    if (text == DamageName(d)) {
      damage = d;
      return true;
    }
  return false;
}

void WriteSample(const fs::path& dir, bool withDamagedTable) {
  WriteTable(dir, "KUNDEN", Build(CustomerTable(120)));
  WriteTable(dir, "ARTIKEL", Build(ArticleTable(40, true)));
  TTableSpec notes = CustomerTable(15);
  notes.WithIndex = false;
  WriteTable(dir, "NOTIZEN", Build(notes));
  if (withDamagedTable) {
    TTableFiles damaged = Build(ArticleTable(25, false));
    ApplyDamage(damaged, TDamage::CutMidRecord);
    WriteTable(dir, "RECHNUNG", damaged);
  }
  WriteFile(dir / qv::PathFromUtf8("Brief an Müller.txt"), "Sehr geehrter Herr M\xFCller,\r\n");
  WriteFile(dir / qv::PathFromUtf8("Übersicht 2026.csv"), "Nr;Name\r\n1;Schmidt\r\n");
  WriteFile(dir / "Vorlagen" / "Angebot.txt", "Angebot\r\n");
  WriteFile(dir / "KUNDEN.md5", "d41d8cd98f00b204e9800998ecf8427e  KUNDEN.ADT\r\n");
  WriteFile(dir / "alt.bak", "old\r\n");
  WriteFile(dir / "sitzung.tmp", "tmp\r\n");
}

int Usage() {
  std::fprintf(stderr,
               "usage: qv-adtgen sample DIR\n"
               "       qv-adtgen damaged DIR\n"
               "       qv-adtgen table DIR NAME customers|articles RECORDS [DAMAGE]\n"
               "       qv-adtgen table DIR NAME office RECORDS [SEED]\n");
  return 2;
}

}  // namespace

// Arguments as UTF-8 (on Windows main's own are in the ANSI code page).
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(qv::Utf8FromPath(fs::path(wide[i])));
  LocalFree(wide);
  return args;
#else
  return std::vector<std::string>(argv, argv + argc);
#endif
}

int main(int rawArgc, char** rawArgv) {
  std::vector<std::string> args = Arguments(rawArgc, rawArgv);
  int argc = static_cast<int>(args.size());
  std::vector<const char*> pointers;
  for (const auto& a : args) pointers.push_back(a.c_str());
  const char* const* argv = pointers.data();
  if (argc == 3 && (std::string(argv[1]) == "sample" || std::string(argv[1]) == "damaged")) {
    WriteSample(qv::PathFromUtf8(argv[2]), std::string(argv[1]) == "damaged");
    return 0;
  }
  if ((argc == 6 || argc == 7) && std::string(argv[1]) == "table") {
    std::string kind = argv[4];
    int records = std::atoi(argv[5]);
    if (kind == "office") {
      auto seed = static_cast<std::uint32_t>(argc == 7 ? std::strtoul(argv[6], nullptr, 10) : 1);
      WriteTable(qv::PathFromUtf8(argv[2]), argv[3], Build(OfficeTable(records, seed)));
      return 0;
    }
    TTableFiles files =
        Build(kind == "customers" ? CustomerTable(records) : ArticleTable(records, true));
    if (argc == 7) {
      TDamage damage;
      if (!ParseDamage(argv[6], damage)) return Usage();
      ApplyDamage(files, damage);
    }
    WriteTable(qv::PathFromUtf8(argv[2]), argv[3], files);
    return 0;
  }
  return Usage();
}
