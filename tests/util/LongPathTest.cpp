#include <gtest/gtest.h>

#include "util/LongPath.h"

namespace qv {
namespace {

struct TCase {
  const char* Path;
  const char* Expected;
};

void ExpectForms(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) EXPECT_EQ(LongPathForm(c.Path), c.Expected) << c.Path;
}

TEST(LongPathForm, DrivePathsGetThePrefix) {
  ExpectForms({
      {R"(C:\Daten\Kunden.adt)", R"(\\?\C:\Daten\Kunden.adt)"},
      {R"(d:\a)", R"(\\?\d:\a)"},
      {R"(C:\)", R"(\\?\C:\)"},
      {R"(C:\Daten\)", R"(\\?\C:\Daten\)"},
      {R"(C:\Daten\*)", R"(\\?\C:\Daten\*)"},
      {R"(C:\Firma Müller & Söhne\Anlagen)", R"(\\?\C:\Firma Müller & Söhne\Anlagen)"},
  });
}

TEST(LongPathForm, DotsSlashesAndDoubledSeparatorsAreResolved) {
  ExpectForms({
      {R"(C:\a\.\b)", R"(\\?\C:\a\b)"},
      {R"(C:\a\x\..\b)", R"(\\?\C:\a\b)"},
      {R"(C:\a\b\..)", R"(\\?\C:\a)"},
      {R"(C:\a\b\..\)", R"(\\?\C:\a\)"},
      {R"(C:\a\.)", R"(\\?\C:\a)"},
      {R"(C:\..\..\a)", R"(\\?\C:\a)"},  // never above the drive
      {R"(C:\a\..\..\)", R"(\\?\C:\)"},
      {"C:/a/b/c.txt", R"(\\?\C:\a\b\c.txt)"},
      {"C:/a\\b/", R"(\\?\C:\a\b\)"},
      {R"(C:\a\\b\\\c)", R"(\\?\C:\a\b\c)"},
      {R"(C:\a\...\b)", R"(\\?\C:\a\...\b)"},  // three dots are a name
      {R"(C:\.git\..x)", R"(\\?\C:\.git\..x)"},
  });
}

TEST(LongPathForm, NetworkPathsGetTheUncPrefix) {
  ExpectForms({
      {R"(\\server\share\Daten\a.adt)", R"(\\?\UNC\server\share\Daten\a.adt)"},
      {R"(\\server\share)", R"(\\?\UNC\server\share)"},
      {R"(\\server\share\)", R"(\\?\UNC\server\share\)"},
      {R"(\\server\share\a\..\..\b)", R"(\\?\UNC\server\share\b)"},  // never above the share
      {"//server/share/a/./b", R"(\\?\UNC\server\share\a\b)"},
      {R"(\\192.168.1.5\d$\x\)", R"(\\?\UNC\192.168.1.5\d$\x\)"},
  });
}

TEST(LongPathForm, PrefixedAndDevicePathsStayAsTheyAre) {
  ExpectForms({
      {R"(\\?\C:\a\..\b)", R"(\\?\C:\a\..\b)"},
      {R"(\\?\UNC\server\share\a)", R"(\\?\UNC\server\share\a)"},
      {R"(\\?\C:\a/b)", R"(\\?\C:\a/b)"},
      {R"(\\.\pipe\x)", R"(\\.\pipe\x)"},
      {R"(\??\C:\a)", R"(\??\C:\a)"},
      {"//?/C:/a", R"(\\?\C:\a)"},
  });
}

TEST(LongPathForm, PathsThatDependOnTheCurrentFolderStayAsTheyAre) {
  ExpectForms({
      {"", ""},
      {"a.adt", "a.adt"},
      {R"(Daten\..\a.adt)", R"(Daten\..\a.adt)"},
      {"./a/b", "./a/b"},
      {"C:", "C:"},
      {"C:a\\b", "C:a\\b"},
      {R"(\Daten\a)", R"(\Daten\a)"},
      {R"(\\server)", R"(\\server)"},
      {R"(\\server\)", R"(\\server\)"},
      {R"(\\\x\y)", R"(\\\x\y)"},
      {R"(1:\a)", R"(1:\a)"},
  });
}

TEST(LongPathForm, TheLongFormIsStable) {
  for (const char* path : {R"(C:\a\..\b\)", "//s/h/x/../y", R"(\\s\h)", "C:/"}) {
    std::string once = LongPathForm(path);
    EXPECT_EQ(LongPathForm(once), once) << path;
  }
  std::string deep = "C:\\" + std::string(300, 'x') + "\\" + std::string(300, 'y');
  EXPECT_EQ(LongPathForm(deep), "\\\\?\\" + deep);
}

}  // namespace
}  // namespace qv
