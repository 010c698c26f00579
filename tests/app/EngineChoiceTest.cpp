#include <gtest/gtest.h>

#include "StandInEngine.h"
#include "UninstallEntry.h"
#include "app/EngineChoice.h"
#include "util/Seams.h"

namespace qv {
namespace {

using test::TStandInEngine;
using test::TTempDir;

// Restores the process's current folder and PATH.
class TSavedEnvironment {
 public:
  TSavedEnvironment() {
    GetCurrentDirectoryW(MAX_PATH, folder_);
    path_.resize(32768);
    path_.resize(GetEnvironmentVariableW(L"PATH", path_.data(), 32768));
  }
  ~TSavedEnvironment() {
    SetCurrentDirectoryW(folder_);
    SetEnvironmentVariableW(L"PATH", path_.c_str());
  }
  TSavedEnvironment(const TSavedEnvironment&) = delete;
  TSavedEnvironment& operator=(const TSavedEnvironment&) = delete;

 private:
  wchar_t folder_[MAX_PATH + 1] = {};
  std::wstring path_;
};

class EngineChoiceTest : public testing::Test {
 protected:
  void SetUp() override { SetProgramFolderForTest(program_); }
  void TearDown() override { SetProgramFolderForTest(""); }

  std::string Lines(const TEngineChoice& choice) {
    std::string text;
    for (const std::string& line : choice.DescriptionLines()) text += line + "\n";
    return text;
  }

  TTempDir work_;
  std::string program_ = work_ / "Programm\\";
  std::string install_ = work_ / "Kontorix\\";
  std::string dllName_ = TStandInEngine::DllName();
  TStandInEngine engine_{work_.Path()};
  test::TUninstallEntry entry_;
};

bool EngineIsDll() { return dynamic_cast<TAceDllProvider*>(&AdsProvider()) != nullptr; }

TEST_F(EngineChoiceTest, TheDllBesideTheProgramIsUsedAndNamed) {
  TStandInEngine::PlaceIn(program_);
  TStandInEngine::PlaceIn(install_);
  ASSERT_TRUE(entry_.Write(&install_));
  engine_.Script("version 12 1 b Lokaler Server\r\n");
  {
    TEngineChoice choice(TEngineMode::Auto);
    EXPECT_TRUE(choice.UsesDll());
    EXPECT_TRUE(EngineIsDll());
    EXPECT_EQ(Lines(choice),
              "Datenbank-Engine: " + program_ + dllName_ + ", Version 12.1b (Lokaler Server)\n");
  }
  EXPECT_FALSE(EngineIsDll()) << "the built-in engine again once the choice is gone";
  engine_.Script("fail AdsGetVersion * 5005 Error 5005:  Insufficient buffer\r\n");
  TEngineChoice silent(TEngineMode::Auto);
  EXPECT_EQ(Lines(silent), "Datenbank-Engine: " + program_ + dllName_ + ", Version unbekannt\n");
}

TEST_F(EngineChoiceTest, TheInstallFolderOfTheOfficeApplicationComesSecond) {
  TStandInEngine::PlaceIn(install_);
  std::string withoutBackslash = WithoutTrailingBackslash(install_);
  ASSERT_TRUE(entry_.Write(&withoutBackslash));
  TEngineChoice choice(TEngineMode::Dll);
  EXPECT_TRUE(EngineIsDll());
  EXPECT_EQ(choice.DescriptionLines().at(0).rfind("Datenbank-Engine: " + install_ + dllName_, 0),
            0u);
}

TEST_F(EngineChoiceTest, ADllInTheCurrentFolderOrOnPathIsNeverLoaded) {
  TSavedEnvironment saved;
  std::string planted = work_ / "Fremd\\";
  TStandInEngine::PlaceIn(planted);
  SetCurrentDirectoryW(Widen(planted).c_str());
  SetEnvironmentVariableW(L"PATH", Widen(WithoutTrailingBackslash(planted)).c_str());
  ASSERT_TRUE(entry_.Write(nullptr));  // an uninstall entry without a location
  TEngineChoice choice(TEngineMode::Auto);
  EXPECT_FALSE(choice.UsesDll());
  EXPECT_FALSE(EngineIsDll());
  EXPECT_EQ(GetModuleHandleW(Widen(dllName_).c_str()), nullptr);
  EXPECT_TRUE(engine_.Calls().empty());
  EXPECT_EQ(Lines(choice), "Datenbank-Engine: eingebaute Engine\n  Grund: " + program_ + dllName_ +
                               " nicht vorhanden\n");
}

TEST_F(EngineChoiceTest, AnInstallFolderThatIsNoFullPathIsNotSearched) {
  TSavedEnvironment saved;
  TStandInEngine::PlaceIn(work_ / "Kontorix\\");
  SetCurrentDirectoryW(Widen(work_.Path()).c_str());
  std::string relative = "Kontorix";
  ASSERT_TRUE(entry_.Write(&relative));
  std::vector<std::string> refusals;
  EXPECT_EQ(EngineDllFolders(refusals), std::vector<std::string>{program_});
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0],
            "Installationsordner \"Kontorix\" ist kein vollständiger Pfad und wird nicht "
            "durchsucht");
  TEngineChoice choice(TEngineMode::Auto);
  EXPECT_FALSE(choice.UsesDll());
}

TEST_F(EngineChoiceTest, DemandingTheDllWithoutOneFails) {
  try {
    TEngineChoice choice(TEngineMode::Dll);
    FAIL() << "chose an engine that is not there";
  } catch (const EEngineUnavailable& e) {
    EXPECT_EQ(std::string(e.what()), "Keine verwendbare " + dllName_ + " gefunden: " + program_ +
                                         dllName_ + " nicht vorhanden");
  }
  EXPECT_FALSE(EngineIsDll());
}

TEST_F(EngineChoiceTest, TheBuiltinEngineWhenAskedForLeavesTheDllAlone) {
  TStandInEngine::PlaceIn(program_);
  TEngineChoice choice(TEngineMode::Builtin);
  choice.ApplySettings();
  EXPECT_FALSE(EngineIsDll());
  EXPECT_TRUE(engine_.Calls().empty());
  EXPECT_EQ(Lines(choice),
            "Datenbank-Engine: eingebaute Engine\n  Grund: die eingebaute Engine wurde "
            "ausdrücklich gewählt\n");
}

TEST_F(EngineChoiceTest, StartUpSettingsGoToTheChosenDllOnce) {
  TStandInEngine::PlaceIn(program_);
  TEngineChoice choice(TEngineMode::Auto);
  choice.ApplySettings();
  choice.ApplySettings();
  EXPECT_EQ(TStandInEngine::Names(engine_.WorkCalls()),
            (std::vector<std::string>{"AdsCacheOpenCursors", "AdsSetDateFormat", "AdsSetDecimals",
                                      "AdsShowDeleted", "AdsSetServerType"}));
}

TEST_F(EngineChoiceTest, ADllThatFailsTheSelfCheckIsNotUsedAndTheReasonIsShown) {
  TStandInEngine::PlaceIn(program_);
  engine_.Script("fail AdsGetIndexPageSize * 5014 Error 5014:  Kein Index\r\n");
  std::string reason = program_ + dllName_ +
                       " besteht den Selbsttest nicht: das Öffnen von ARTIKEL.ADT mit Index "
                       "scheitert (Error 5014:  Kein Index)";
  {
    TEngineChoice choice(TEngineMode::Auto);
    choice.ApplySettings();
    EXPECT_FALSE(choice.UsesDll());
    EXPECT_FALSE(EngineIsDll());
    EXPECT_EQ(Lines(choice), "Datenbank-Engine: eingebaute Engine\n  Grund: " + reason + "\n");
    EXPECT_EQ(EngineInUseText(), "Datenbank-Engine: eingebaute Engine (" + reason + ")");
    EXPECT_TRUE(engine_.WorkCalls().empty()) << "the settings went to the built-in engine";
  }
  EXPECT_EQ(EngineInUseText(), "") << "no choice, no engine named";
  try {
    TEngineChoice demanded(TEngineMode::Dll);
    FAIL() << "took a DLL that failed its self-check";
  } catch (const EEngineUnavailable& e) {
    EXPECT_EQ(std::string(e.what()), "Keine verwendbare " + dllName_ + " gefunden: " + reason);
  }
  engine_.Script("version 12 0 a Lokaler Server\r\n");
  TEngineChoice passed(TEngineMode::Dll);
  EXPECT_EQ(EngineInUseText(),
            "Datenbank-Engine: " + program_ + dllName_ + ", Version 12.0a (Lokaler Server)");
  EXPECT_EQ(TStandInEngine::Names(engine_.SelfCheckCalls()).back(), "AdsDisconnect");
}

TEST_F(EngineChoiceTest, ADllThatRefusesTheSettingsIsNotUsed) {
  TStandInEngine::PlaceIn(program_);
  engine_.Script("fail AdsSetServerType * 6420 Error 6420:  Kein lokaler Server\r\n");
  {
    TEngineChoice choice(TEngineMode::Auto);
    choice.ApplySettings();
    EXPECT_FALSE(choice.UsesDll());
    EXPECT_FALSE(EngineIsDll());
    std::vector<std::string> lines = choice.DescriptionLines();
    EXPECT_EQ(lines.back(), "  Grund: " + program_ + dllName_ +
                                " lehnt die Startwerte ab (Error 6420:  Kein lokaler Server)");
  }
  TEngineChoice demanded(TEngineMode::Dll);
  EXPECT_THROW(demanded.ApplySettings(), EEngineUnavailable);
}

}  // namespace
}  // namespace qv
