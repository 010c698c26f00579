#pragma once
// Protocol lines as a job logs them (without their time stamps), for the
// tests that compare what a job reported.
#include <string>
#include <vector>

namespace qv::test {

inline std::string Plain(const std::string& text) { return "<b></b>: " + text; }
inline std::string Red(const std::string& text) {
  return "<b>: <FONT color=\"#FF0000\">" + text + "</FONT>";
}
inline std::string Link(const std::string& path) {
  return "<a href=\"file://" + path + "\">" + path + "</a>";
}

// The lines of a sound run of a database with tables and other files whose
// two sets carry the same stamp.
inline std::vector<std::string> SoundRunLines(const std::string& databaseDir,
                                              const std::string& backupRoot,
                                              const std::string& stamp) {
  std::string zipSet = backupRoot + "DATABASEBACKUP\\ZIP\\" + stamp + "\\";
  std::string otherSet = backupRoot + "DATABASEBACKUP\\ZIPOTHER\\" + stamp + "\\";
  return {
      Plain("Datenbank \"" + databaseDir + "\" überprüfen.."),
      Plain("Alle Tabellen scheinen in Ordnung zu sein. Die letzte funktionierende "
            "Sicherung finden Sie in " +
            Link(backupRoot + "DATABASEBACKUP\\DATA2\\") + "."),
      Plain("Daten-Ziparchiv erstellen.."),
      Plain("Das Ziparchiv der Datenbank finden Sie hier " + Link(zipSet) + "."),
      Plain("Datei 1 von 1 : " + Link(zipSet + "datenbank.zip") + "."),
      Plain("Datei-Ziparchiv erstellen.."),
      Plain("Das Ziparchiv der anderen Dateien finden Sie hier " + Link(otherSet) + "."),
      Plain("Datei 1 von 1 : " + Link(otherSet + "andere.zip") + "."),
      Plain("Datenbank \"" + databaseDir + "\" fertig."),
      "<hr>",
  };
}

}  // namespace qv::test
