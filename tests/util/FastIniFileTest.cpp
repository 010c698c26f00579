#include <gtest/gtest.h>

#include <map>

#include "util/FastIniFile.h"

namespace qv {
namespace {

class TMemoryIniStorage final : public IIniStorage {
 public:
  bool Exists(const std::string& path) override { return files.count(path) > 0; }
  std::string Load(const std::string& path) override { return files.at(path); }
  void Save(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
    ++saves;
  }
  std::map<std::string, std::string> files;
  int saves = 0;
};

class FastIniFileTest : public testing::Test {
 protected:
  std::unique_ptr<TFastIniFile> Open(const std::string& content) {
    storage_->files["u.ini"] = content;
    return std::make_unique<TFastIniFile>("u.ini", storage_);
  }
  std::string Saved() { return storage_->files["u.ini"]; }
  std::shared_ptr<TMemoryIniStorage> storage_ = std::make_shared<TMemoryIniStorage>();
};

TEST_F(FastIniFileTest, MissingFileGivesDefaultsAndCreatesNothing) {
  auto ini = std::make_unique<TFastIniFile>("missing.ini", storage_);
  EXPECT_EQ(ini->ReadString("MODE", "A", "dflt"), "dflt");
  EXPECT_EQ(ini->ReadInteger("MODE", "B", 7), 7);
  ini->Release();
  ini.reset();
  EXPECT_EQ(storage_->saves, 0);
  EXPECT_FALSE(storage_->Exists("missing.ini"));
}

TEST_F(FastIniFileTest, UnchangedWriteLeavesTheStoreUnmodified) {
  auto ini = Open("[MODE]\r\nA=\"x\"\r\n");
  ini->WriteString("mode", "a", "\"x\"");
  EXPECT_FALSE(ini->Modified());
  ini->Release();
  EXPECT_EQ(storage_->saves, 0);
  auto again = Open("[MODE]\r\nA=\"x\"\r\n");
  again->WriteString("MODE", "A", "\"X\"");  // letter case of values counts
  EXPECT_TRUE(again->Modified());
}

TEST_F(FastIniFileTest, NewSectionAfterANonBlankLastLine) {
  auto ini = Open("[Other]\r\nK=1");
  ini->WriteString("MODE", "Key", "Value");
  ini->Release();
  EXPECT_EQ(Saved(), "[Other]\r\nK=1\r\n\r\n[MODE]\r\nKey=Value\r\n");
  auto fresh = std::make_unique<TFastIniFile>("new.ini", storage_);
  fresh->WriteString("MODE", "Key", "V");
  fresh->Release();
  EXPECT_EQ(storage_->files["new.ini"], "[MODE]\r\nKey=V\r\n");
}

TEST_F(FastIniFileTest, InlineCommentsKeepTheirColumn) {
  auto ini = Open("[S]\r\n Name =  Value  ; note\r\n");
  EXPECT_EQ(ini->ReadString("S", "Name", ""), "Value");
  ini->WriteString("S", "Name", "Other");
  ini->Release();
  EXPECT_EQ(Saved(), "[S]\r\nName=Other  ; note\r\n");
  auto longer = Open("[S]\r\nName=V ; c\r\n");
  longer->WriteString("S", "Name", "Longer");
  longer->Release();
  EXPECT_EQ(Saved(), "[S]\r\nName=Longer ; c\r\n");
}

TEST_F(FastIniFileTest, SemicolonsBetweenQuotesStay) {
  auto ini = Open("[MODE]\r\nP=\"C:\\a;b\" ; c\r\nQ='x' \r\n");
  EXPECT_EQ(ini->ReadString("MODE", "P", ""), "\"C:\\a;b\"");
  ini->StripQuotes = true;
  EXPECT_EQ(ini->ReadString("MODE", "P", ""), "C:\\a;b");
  EXPECT_EQ(ini->ReadString("MODE", "Q", ""), "x");
}

TEST_F(FastIniFileTest, NamesIgnoreLetterCaseAlsoForAccentedLetters) {
  auto ini = Open("[mode]\r\n\xE4nderung=1\r\n");
  EXPECT_EQ(ini->ReadString("MODE", "Änderung", ""), "1");
  auto ascii = Open("[mode]\r\n\xE4nderung=1\r\n");
  ascii->LocaleUpperCase = false;
  EXPECT_EQ(ascii->ReadString("MODE", "Änderung", "none"), "none");
  EXPECT_EQ(ascii->ReadString("MODE", "änderung", "none"), "1");
  auto exact = Open("[mode]\r\nKey=1\r\n");
  exact->CaseSensitive = true;
  EXPECT_EQ(exact->ReadString("MODE", "Key", "none"), "none");
  EXPECT_EQ(exact->ReadString("mode", "Key", "none"), "1");
}

TEST_F(FastIniFileTest, CommentsAndMalformedHeadersAreNeverFound) {
  auto ini = Open(";x=1\r\n[S] \r\nA=1\r\n [T]\r\nB=2\r\n[U]\r\n;y=2\r\n # z=3\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "none"), "none");
  EXPECT_EQ(ini->ReadString("T", "B", "none"), "none");
  EXPECT_EQ(ini->ReadString("U", ";y", "none"), "none");
  EXPECT_EQ(ini->ReadString("U", "# z", "none"), "3");  // "#" makes no comment
}

TEST_F(FastIniFileTest, DuplicatesInLinearAndIndexedMode) {
  auto linear = Open("[S]\r\nK=first\r\nK=second\r\n[S]\r\nL=later section\r\n");
  EXPECT_EQ(linear->ReadString("S", "L", ""), "later section");  // the later duplicate section wins
  EXPECT_EQ(linear->ReadString("S", "K", "none"), "none");
  auto plain = Open("[S]\r\nK=first\r\nK=second\r\n");
  EXPECT_FALSE(plain->Items().Indexed());
  EXPECT_EQ(plain->ReadString("S", "K", ""), "first");

  std::string big = "[S]\r\nK=first\r\n";
  for (int i = 0; i < 300; ++i) big += "F" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  big += "K=last\r\n";
  auto indexed = Open(big);
  EXPECT_EQ(indexed->ReadString("S", "F7", ""), "7");
  EXPECT_TRUE(indexed->Items().Indexed());
  EXPECT_EQ(indexed->ReadString("S", "K", ""), "last");
  indexed->WriteString("S", "New", "n");
  EXPECT_EQ(indexed->ReadString("S", "New", ""), "n");
}

TEST_F(FastIniFileTest, NulEndsTheText) {
  auto ini = Open(std::string("[S]\r\nA=1\r\n\0B=2\r\n", 16));
  EXPECT_EQ(ini->ReadString("S", "B", "none"), "none");
  ini->WriteString("S", "A", "2");
  ini->Release();
  EXPECT_EQ(Saved(), "[S]\r\nA=2\r\n");
}

TEST_F(FastIniFileTest, ByteOrderMarkStaysPartOfTheFirstLine) {
  auto ini = Open("\xEF\xBB\xBF[MODE]\r\nA=1\r\n");
  EXPECT_EQ(ini->ReadString("MODE", "A", "none"), "none");
  ini->WriteString("MODE", "A", "2");
  ini->Release();
  EXPECT_EQ(Saved(), "\xEF\xBB\xBF[MODE]\r\nA=1\r\n\r\n[MODE]\r\nA=2\r\n");
}

TEST_F(FastIniFileTest, HandEditedFileKeepsUntouchedLinesByteForByte) {
  std::string file =
      "; Einstellungen\n"
      "vorher ohne Abschnitt\r"
      "[Other]\r\n"
      "  Wert =  1  \r\n"
      "\r\n"
      "[MODE]\n"
      "A = alt\r\n"
      "B=\r\n"
      "; Ende MODE\r\n"
      "\r\n"
      "[Last]\r\n"
      "   \r\n"
      "X=y";
  auto ini = Open(file);
  EXPECT_EQ(ini->ReadString("MODE", "B", "dflt"), "");  // an existing empty value is no default
  ini->WriteString("MODE", "C", "neu");
  ini->WriteString("Last", "Y", "z");
  ini->Release();
  EXPECT_EQ(Saved(),
            "; Einstellungen\r\n"
            "vorher ohne Abschnitt\r\n"
            "[Other]\r\n"
            "  Wert =  1  \r\n"
            "\r\n"
            "[MODE]\r\n"
            "A=alt\r\n"
            "B=\r\n"
            "C=neu\r\n"
            "; Ende MODE\r\n"
            "\r\n"
            "[Last]\r\n"
            "\r\n"  // a line of blanks was examined: an other line without its blanks
            "X=y\r\n"
            "Y=z\r\n");
}

// A line that loses its leading blanks when it is looked at must not read
// back as a header or a comment: the keys after it would move into a section
// of their own, and a value just written would be lost.
TEST_F(FastIniFileTest, LinesLookedAtReadBackAsTheKindTheyHad) {
  struct TCase {
    std::string Line;
    std::string Saved;
  };
  for (const TCase& c : std::vector<TCase>{
           {"\x02[Other]", " [Other]"},
           {"  [x=y]", " [x=y]"},
           {"\t;x=y", " ;x=y"},
           {"  ; kein Kommentar", " ; kein Kommentar"},
           {"  frei", "frei"},
       }) {
    SCOPED_TRACE(c.Line);
    auto ini = Open("[MODE]\r\nA=1\r" + c.Line + "\nB=2\r\n");
    EXPECT_EQ(ini->ReadString("MODE", "B", ""), "2");
    ini->WriteString("MODE", "C", "3");
    ini->Release();
    EXPECT_NE(Saved().find("\r\n" + c.Saved + "\r\n"), std::string::npos) << Saved();
    auto again = Open(Saved());
    for (const char* key : {"A", "B", "C"})
      EXPECT_EQ(again->ReadString("MODE", key, ""), std::string(1, char('1' + (key[0] - 'A'))))
          << key;
  }
}

TEST_F(FastIniFileTest, ValuesAreTrimmedOnceWrittenAndReadAgain) {
  auto ini = Open("");
  ini->WriteString("S", "K", "  padded  ");
  ini->Release();
  auto again = Open(Saved());
  EXPECT_EQ(again->ReadString("S", "K", ""), "padded");
}

// Stored as "?", a folder named with "Ł" would be read back as another,
// missing folder: such a value is refused and the file stays as it was.
TEST_F(FastIniFileTest, AValueTheAnsiFileCannotHoldIsRefused) {
  auto ini = Open("[MODE]\r\nTarget=D:\\Sicherung\r\n");
  EXPECT_THROW(ini->WriteString("MODE", "Target", "D:\\Łukasz"), std::exception);
  EXPECT_THROW(ini->WriteString("MODE", "NeuŁ", "x"), std::exception);
  ini->WriteString("MODE", "Other", "Müller");
  ini->Release();
  EXPECT_EQ(Saved(), "[MODE]\r\nTarget=D:\\Sicherung\r\nOther=M\xFCller\r\n");
}

TEST_F(FastIniFileTest, Integers) {
  auto ini =
      Open("[S]\r\nH=0x1F\r\nD=-12\r\nX=0x\r\nE=\r\nW=12a\r\nBig=99999999999\r\nU=0xFFFFFFFF\r\n");
  EXPECT_EQ(ini->ReadInteger("S", "H", 0), 31);
  EXPECT_EQ(ini->ReadInteger("S", "D", 0), -12);
  EXPECT_EQ(ini->ReadInteger("S", "X", 5), 5);
  EXPECT_EQ(ini->ReadInteger("S", "E", 5), 5);
  EXPECT_EQ(ini->ReadInteger("S", "W", 5), 5);
  EXPECT_EQ(ini->ReadInteger("S", "Big", 5), 5);
  EXPECT_EQ(ini->ReadInteger("S", "U", 5), -1);
  ini->WriteInteger("S", "N", -42);
  EXPECT_EQ(ini->ReadString("S", "N", ""), "-42");
}

TEST_F(FastIniFileTest, SectionsAfterAnInsertedKeyStillFindTheirKeys) {
  auto ini = Open("[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n[C]\r\nZ=3\r\n");
  ini->WriteString("A", "New", "n");
  EXPECT_EQ(ini->ReadString("B", "Y", ""), "2");
  EXPECT_EQ(ini->ReadString("C", "Z", ""), "3");
  ini->WriteString("B", "More", "m");
  EXPECT_EQ(ini->ReadString("C", "Z", ""), "3");
  ini->Release();
  EXPECT_EQ(Saved(), "[A]\r\nX=1\r\nNew=n\r\n\r\n[B]\r\nY=2\r\nMore=m\r\n[C]\r\nZ=3\r\n");
}

}  // namespace
}  // namespace qv
