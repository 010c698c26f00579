#include <gtest/gtest.h>

#include "TestClock.h"
#include "WinTestSupport.h"
#include "app/Settings.h"
#include "util/FileErrors.h"
#include "util/IniFileStorage.h"

namespace qv {
namespace {

using test::Exists;
using test::ReadBytes;
using test::THeldFile;
using test::TTempDir;
using test::WriteBytes;

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

TEST(UserModeSettings, MissingFileGivesDefaultsAndCreatesNothing) {
  TTempDir dir;
  EXPECT_EQ(ReadSettingString(kCronKey, "", dir.Path()), "");
  EXPECT_EQ(ReadSettingInteger("X.Width", 593, dir.Path()), 593);
  EXPECT_FALSE(Exists(dir / "UserMode.INI"));
}

TEST(UserModeSettings, QuotedTextsSurviveSemicolonsAndQuotes) {
  TTempDir dir;
  std::string path = "\\\\server\\Daten;alt\\\"Ziel\" ä";
  WriteSettingString(kTargetKey, path, dir.Path());
  EXPECT_EQ(ReadBytes(dir / "UserMode.INI"),
            "[MODE]\r\nTVEZivavuvIdazadide.TVEZivavuvIdazadide=\"\\\\server\\Daten;"
            "alt\\\"\"Ziel\"\" \xE4\"\r\n");
  EXPECT_EQ(ReadSettingString(kTargetKey, "", dir.Path()), path);
  WriteSettingString(kCronKey, "8,9", dir.Path());
  EXPECT_EQ(ReadSettingString(kCronKey, "", dir.Path()), "8,9");
  WriteSettingInteger("TVEZivavuvIdazadide.Width", 640, dir.Path());
  EXPECT_EQ(ReadSettingInteger("TVEZivavuvIdazadide.Width", 0, dir.Path()), 640);
}

TEST(UserModeSettings, HandEditedValuesWithoutQuotes) {
  TTempDir dir;
  WriteBytes(dir / "UserMode.INI", "[mode]\r\ntvezivavuvidazadide.cron = 8, 14 ; zwei Stunden\r\n");
  EXPECT_EQ(ReadSettingString(kCronKey, "", dir.Path(), true), "8, 14");
  // The write-back stores the value quoted, with the comment where it stood.
  EXPECT_EQ(ReadBytes(dir / "UserMode.INI"),
            "[mode]\r\ntvezivavuvidazadide.cron=\"8, 14\" ; zwei Stunden\r\n");
}

TEST(UserModeSettings, UnchangedWriteLeavesTheFileUntouched) {
  TTempDir dir;
  WriteSettingString(kCronKey, "8,9", dir.Path());
  std::string before = ReadBytes(dir / "UserMode.INI");
  // A write time long past: any rewrite would show as a new one.
  FILETIME time{0x10000000u, 0x01C00000u};
  {
    THeldFile file(dir / "UserMode.INI", FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ);
    ASSERT_TRUE(SetFileTime(file.Handle(), nullptr, nullptr, &time));
  }
  WriteSettingString(kCronKey, "8,9", dir.Path());
  EXPECT_EQ(ReadBytes(dir / "UserMode.INI"), before);
  FILETIME after = WriteTime(dir / "UserMode.INI");
  EXPECT_EQ(CompareFileTime(&time, &after), 0);
}

TEST(UserModeSettings, FailuresRaiseNothingAndWritesSaySo) {
  test::TFakeTime time;
  TTempDir dir;
  WriteBytes(dir / "blocked", "a file where the folder should be");
  EXPECT_FALSE(WriteSettingString(kCronKey, "8", dir / "blocked\\sub"));
  EXPECT_EQ(ReadSettingString(kCronKey, "", dir / "blocked\\sub"), "");
  EXPECT_FALSE(WriteSettingString("", "x", dir.Path()));
  EXPECT_FALSE(Exists(dir / "UserMode.INI"));
  WriteBytes(dir / "UserMode.INI", "[MODE]\r\nA=1\r\n");
  auto locked = std::make_unique<THeldFile>(dir / "UserMode.INI", GENERIC_READ | GENERIC_WRITE, 0);
  EXPECT_EQ(ReadSettingInteger("A", 9, dir.Path()), 9);
  EXPECT_FALSE(WriteSettingString("B", "2", dir.Path()));  // after its retries
  locked.reset();
  EXPECT_EQ(ReadBytes(dir / "UserMode.INI"), "[MODE]\r\nA=1\r\n") << "nothing lost, nothing half";
  EXPECT_GT(time.Elapsed(), 10000u) << "the retries ran on the sleep seam";
  EXPECT_TRUE(WriteSettingInteger("B", 2, dir.Path()));
  EXPECT_EQ(ReadSettingInteger("B", 0, dir.Path()), 2);
}

TEST(IniFileLayer, LockedFileIsRetriedForTenSecondsThenFails) {
  test::TFakeTime time;
  TTempDir dir;
  WriteBytes(dir / "x.ini", "[S]\r\nA=1\r\n");
  THeldFile locked(dir / "x.ini", GENERIC_READ | GENERIC_WRITE, 0);
  try {
    OpenFileStreamEx(dir / "x.ini", TFileAccess::Read, TFileShare::DenyWrite);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Datei " + (dir / "x.ini") + " kann nicht geöffnet werden");
  }
  EXPECT_GT(time.Elapsed(), 10000u);
  EXPECT_LE(time.Elapsed(), 10010u);
  EXPECT_EQ(time.Sleeps(), 1001);
}

TEST(IniFileLayer, FailedWriteNeverTruncatesTheFile) {
  test::TFakeTime time;
  TTempDir dir;
  std::string original = "[MODE]\r\nTVEZivavuvIdazadide.Cron=\"8,9\"\r\n";
  WriteBytes(dir / "UserMode.INI", original);
  auto ini = OpenSettings(dir.Path());
  ini->WriteString(kModeSection, kCronKey, "\"10\"");
  THeldFile reader(dir / "UserMode.INI", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_THROW(ini->Release(), EFileError);
  reader.Release();
  EXPECT_EQ(ReadBytes(dir / "UserMode.INI"), original);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(dir / "UserMode.INI.~*").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "no temporary file left";
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(FormPlacement, DefaultsClampingAndWorkArea) {
  TTempDir dir;
  TScreenRect area{0, 0, 1280, 984};
  TFormGeometry form{"TVEZivavuvIdazadide", 0, 0, 593, 159, 300, 100, 800, 0};
  EXPECT_EQ(RestoreFormPlacement(form, area, dir.Path(), "", -1, 3), -1);
  EXPECT_EQ(form.Left, 1280 - 593);
  EXPECT_EQ(form.Top, 984 - 159);
  EXPECT_FALSE(Exists(dir / "UserMode.INI")) << "nothing is written back";

  WriteBytes(dir / "UserMode.INI",
             "[MODE]\r\nTVEZivavuvIdazadide.Width=2000\r\nTVEZivavuvIdazadide.Height=50\r\n"
             "TVEZivavuvIdazadide.Left=-500\r\nTVEZivavuvIdazadide.Add0=7\r\n");
  TFormGeometry wide{"TVEZivavuvIdazadide", 0, 0, 593, 159, 300, 100, 800, 0};
  EXPECT_EQ(RestoreFormPlacement(wide, area, dir.Path(), "", -1, 3), 7);
  EXPECT_EQ(wide.Width, 800);
  EXPECT_EQ(wide.Height, 100);
  EXPECT_EQ(wide.Left, 0);  // moved back into the work area
  TFormGeometry centred{"F", 0, 0, 200, 100};
  RestoreFormPlacement(centred, area, dir.Path(), "", -1, 0);
  EXPECT_EQ(centred.Left, 540);
  EXPECT_EQ(centred.Top, 442);
}

}  // namespace
}  // namespace qv
