#pragma once
// The texts of a run in the window: the status label, the time a run has
// taken, the database list after a run, and the fixed messages.
#include <functional>
#include <optional>
#include <string>

#include "util/Seams.h"
#include "util/StrUtils.h"

namespace qv {

inline constexpr char kRunningHint[] = "Quorvel, überprüft..";
inline constexpr char kNothingToBackUp[] =
    "Keine der Datenbanken ist vorhanden, es wurde nichts gesichert!";
inline constexpr char kRunLockedText[] =
    "Es läuft bereits eine Sicherung auf diesem Rechner. Bitte später erneut versuchen.";
inline constexpr char kRunLockedLine[] =
    "Geplante Sicherung übersprungen: Es läuft bereits eine Sicherung auf diesem Rechner.";
inline constexpr char kTargetMissingText[] = "Zielverzeichnis für Sicherungen fehlt.";
inline constexpr char kStartUpMessage[] =
    "<b>Quorvel</b> benötigt noch einige Angaben:<br><br>"
    "<b>Zielverzeichnis für Sicherungen fehlt.<br>";
inline constexpr char kFolderMissingText[] = "Verzeichnis nicht vorhanden.";
inline constexpr char kErrorBalloonTitle[] = "Quorvel Fehler!";
inline constexpr char kBalloonTitle[] = "Quorvel";
inline constexpr unsigned kBalloonTimeoutMs = 10000;

// Whole seconds from a to b, whatever their order (0 within a millisecond).
long long SecondsBetween(const TLocalTime& a, const TLocalTime& b);

using TLongTimeFormat = std::function<std::string(const TLocalTime&)>;
// The time a run has taken as a time of day in the locale's long format.
std::string ElapsedText(const TLocalTime& start, const TLocalTime& now,
                        const TLongTimeFormat& longTime);

// The status label after a report, or nothing when it stays as it is (a
// final report while other backup jobs still run).
std::optional<std::string> StatusAfterReport(const std::string& elapsed, const std::string& text,
                                             bool final, int activeBackups);

// The list the window shows after a run: the user's own list when there is
// one, else the office application's list when it differs (letter case
// ignored) from what is shown; nothing when the shown list stays.
std::optional<TStringList> DatabaseListAfterRun(const TStringList& userDefined,
                                                const TStringList& installed,
                                                const TStringList& shown);

}  // namespace qv
