#include <string>

#include "AdtGen.h"

namespace qv::adtgen {
namespace {

// A small, fixed pseudo-random sequence: the same seed gives the same table.
class TSequence {
 public:
  explicit TSequence(std::uint32_t seed) : x_(seed * 2654435761u + 0x9E3779B9u) {}
  std::uint32_t Next() {
    x_ ^= x_ << 13;
    x_ ^= x_ >> 17;
    x_ ^= x_ << 5;
    return x_;
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint32_t x_;
};

const char* const kFirstNames[] = {"Anna",   "J\xFCrgen", "Petra",  "Klaus",    "Sabine", "Michael",
                                   "Ursula", "Thomas",    "Monika", "Stefan",   "Gisela", "Andreas",
                                   "Birgit", "Frank",     "Renate", "Wolfgang", "Karin",  "Dieter"};
const char* const kLastNames[] = {"M\xFCller",
                                  "Schmidt",
                                  "Schneider",
                                  "Fischer",
                                  "Weber",
                                  "Meyer",
                                  "Wagner",
                                  "Becker",
                                  "Schulz",
                                  "Hoffmann",
                                  "Sch\xE4"
                                  "fer",
                                  "Koch",
                                  "Bauer",
                                  "Richter",
                                  "Klein",
                                  "Wolf",
                                  "Schr\xF6"
                                  "der",
                                  "Neumann",
                                  "Schwarz",
                                  "Zimmermann",
                                  "Braun",
                                  "Kr\xFCger"};
const char* const kStreets[] = {
    "Hauptstra\xDF"
    "e",
    "Bahnhofstra\xDF"
    "e",
    "Gartenweg",
    "Lindenallee",
    "Kirchplatz",
    "Schulstra\xDF"
    "e",
    "Am Markt",
    "Bergstra\xDF"
    "e",
    "Waldweg",
    "Rosenstra\xDF"
    "e",
    "Industriestra\xDF"
    "e",
    "Ringstra\xDF"
    "e"};
const char* const kPlaces[] = {"K\xF6ln",
                               "M\xFCnchen",
                               "Hamburg",
                               "D\xFCsseldorf",
                               "Bielefeld",
                               "Dortmund",
                               "Leipzig",
                               "N\xFCrnberg",
                               "Bremen",
                               "Hannover",
                               "Freiburg",
                               "Kassel",
                               "Augsburg",
                               "L\xFC"
                               "beck",
                               "Erfurt"};
const char* const kWords[] = {"Lieferung",
                              "Rechnung",
                              "bitte",
                              "Termin",
                              "vereinbart",
                              "Skonto",
                              "offen",
                              "erledigt",
                              "Kunde",
                              "ruft",
                              "zur\xFC"
                              "ck",
                              "wegen",
                              "Angebot",
                              "Nachlieferung",
                              "Reklamation",
                              "gutgeschrieben",
                              "per",
                              "Lastschrift",
                              "Anzahlung",
                              "erhalten",
                              "Mahnung",
                              "versandt",
                              "Ansprechpartner",
                              "neue",
                              "Adresse",
                              "ab",
                              "sofort",
                              "und",
                              "die"};

std::string Note(TSequence& random) {
  std::string note;
  for (std::uint32_t n = 3 + random.Below(30); n > 0; --n) {
    note += random.Pick(kWords);
    note += n == 1 ? "." : " ";
  }
  return note;
}

}  // namespace

TTableSpec OfficeTable(int records, std::uint32_t seed) {
  TTableSpec spec;
  spec.Fields = {{"NR", 11, 4},        {"KUNDE", 4, 40}, {"STRASSE", 4, 40},
                 {"PLZ", 4, 5},        {"ORT", 4, 30},   {"DATUM", 3, 4},
                 {"BETRAG", 10, 8, 2}, {"MENGE", 11, 4}, {"NOTIZ", 5, 9}};
  TSequence random(seed);
  for (int i = 0; i < records; ++i) {
    std::string customer = std::string(random.Pick(kFirstNames)) + " " + random.Pick(kLastNames);
    std::string street =
        std::string(random.Pick(kStreets)) + " " + std::to_string(1 + random.Below(180));
    std::string postcode = std::to_string(10000 + random.Below(89999));
    double amount = random.Below(2500000) / 100.0;
    spec.Records.push_back(
        {TValue::Int(100000 + i * 3 + random.Below(3)), TValue::Str(customer), TValue::Str(street),
         TValue::Str(postcode), TValue::Str(random.Pick(kPlaces)),
         TValue::DateOf(2015 + random.Below(12), 1 + random.Below(12), 1 + random.Below(28)),
         TValue::Real(amount), TValue::Int(1 + random.Below(500)),
         random.Below(3) == 0 ? TValue::Str(Note(random)) : TValue{}});
  }
  spec.WithIndex = true;
  spec.IndexPages = static_cast<std::uint32_t>(records / 40 + 4);
  return spec;
}

}  // namespace qv::adtgen
