// What the pages show: the licence documents and their rows, the requirements list, the language
// radio buttons, the finish page's outcome and folder offer, and the password prompt's rules.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "wizard/FinishOutcome.h"
#include "wizard/LanguageRadios.h"
#include "wizard/LicenseDocuments.h"
#include "wizard/PasswordRules.h"
#include "wizard/RequirementsText.h"

// Readable failure output for log lines.
inline void PrintTo(const WizardLogLine& line, std::ostream* os) {
    *os << "{" << line.level << ", " << testing::PrintToString(line.tag) << ", " << testing::PrintToString(line.text) << "}";
}

namespace {

using Log = std::vector<WizardLogLine>;
using Lines = std::vector<std::wstring>;

const std::wstring TEMP = L"C:\\Temp\\pkg\\";

TEST(LicenseDocuments, Lookup) {
    struct Case {
        const char* what;
        int type;
        std::wstring language;
        std::optional<std::wstring> value, english;
        std::wstring path;
        Log log;
    };
    const Case cases[] = {
        {"valid text file", 1, L"1031", L"Eula1031.txt", std::nullopt, TEMP + L"Eula1031.txt",
         {{8, L"CheckLicenseFiles", L"License File for language 1031 : Eula1031.txt"}}},
        {"valid rich text, five characters", 2, L"1031", L"a.rtf", std::nullopt, TEMP + L"a.rtf",
         {{8, L"CheckLicenseFiles", L"Security License File for language 1031 : a.rtf"}}},
        {"upper-case ending", 1, L"1031", L"EULA.RTF", L"Eula.rtf", L"",
         {{1, L"CheckLicenseFiles", L"Invalid License File for language 1031 : EULA.RTF"}}},
        {"other ending", 1, L"1031", L"Eula.pdf", std::nullopt, L"",
         {{1, L"CheckLicenseFiles", L"Invalid License File for language 1031 : Eula.pdf"}}},
        {"shorter than five characters", 1, L"1031", L".txt", std::nullopt, L"",
         {{1, L"CheckLicenseFiles", L"Invalid License File for language 1031 : .txt"}}},
        {"file missing", 1, L"1031", L"Gone.txt", L"Eula.rtf", L"",
         {{1, L"CheckLicenseFiles", L"Invalid License File for language 1031 : Gone.txt"}}},
        // The English document is taken without checking it.
        {"English fallback", 1, L"1041", std::nullopt, L"GONE.PDF", TEMP + L"GONE.PDF",
         {{1, L"CheckLicenseFiles", L"License File for language 1041 not found."},
          {8, L"CheckLicenseFiles", L"English file taken as default."}}},
        {"no English entry", 2, L"1041", std::nullopt, std::nullopt, L"",
         {{1, L"CheckLicenseFiles", L"Security License File for language 1041 not found."}}},
        {"English itself missing", 1, L"1033", std::nullopt, L"Eula.txt", L"",
         {{1, L"CheckLicenseFiles", L"License File for language 1033 not found."}}},
    };
    const std::set<std::wstring> existing = {TEMP + L"Eula1031.txt", TEMP + L"a.rtf", TEMP + L"EULA.RTF",
                                             TEMP + L"Eula.pdf", TEMP + L".txt"};
    auto exists = [&](const std::wstring& path) { return existing.count(path) > 0; };
    for (const auto& c : cases) {
        const LicenseDocumentLookup found = FindLicenseDocument(c.type, c.language, c.value, c.english, TEMP, exists);
        EXPECT_EQ(found.path, c.path) << c.what;
        EXPECT_EQ(found.log, c.log) << c.what;
    }
    EXPECT_STREQ(LicenseDocumentSection(1), L"LicenseFiles");
    EXPECT_STREQ(LicenseDocumentSection(2), L"SecurityLicenseFiles");
}

TEST(LicenseDocuments, RowsAndNext) {
    struct Case {
        const char* what;
        std::wstring license, security;
        int licenseRow, securityRow, rowCount, securityCheckRow;
        std::wstring shown;
    };
    const Case cases[] = {
        {"none", L"", L"", -1, -1, 0, 0, L""},
        {"licence only", L"L.txt", L"", 0, -1, 1, 0, L"L.txt"},
        {"security only", L"", L"S.rtf", -1, 0, 1, 0, L"S.rtf"},
        {"both", L"L.txt", L"S.rtf", 0, 1, 2, 1, L"L.txt"},
    };
    for (const auto& c : cases) {
        const LicenseRows rows = FillLicenseRows(c.license, c.security);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rows.licenseRow, c.licenseRow);
        EXPECT_EQ(rows.securityRow, c.securityRow);
        EXPECT_EQ(rows.rowCount, c.rowCount);
        EXPECT_EQ(rows.shownFile, c.shown);
        EXPECT_EQ(rows.showLicenseCheck, !c.license.empty());
        EXPECT_EQ(rows.showSecurityCheck, !c.security.empty());
        EXPECT_EQ(SecurityCheckRow(rows.rowCount), c.securityCheckRow);
    }
    struct NextCase {
        const char* what;
        std::wstring license, security;
        bool licenseTicked, securityTicked, enabled;
    };
    const NextCase nextCases[] = {
        {"no documents", L"", L"", false, false, true},
        {"licence not ticked", L"L.txt", L"", false, false, false},
        {"licence ticked", L"L.txt", L"", true, false, true},
        {"security only, ticked", L"", L"S.rtf", false, true, true},
        {"security only, licence box ticked", L"", L"S.rtf", true, false, false},
        {"both, one ticked", L"L.txt", L"S.rtf", true, false, false},
        {"both ticked", L"L.txt", L"S.rtf", true, true, true},
    };
    for (const auto& c : nextCases) {
        const LicenseRows rows = FillLicenseRows(c.license, c.security);
        EXPECT_EQ(LicenseNextEnabled(rows.licenseRow, c.license, c.licenseTicked, rows.securityRow, c.security,
                                     c.securityTicked),
                  c.enabled)
            << c.what;
    }
}

TEST(LicenseDocuments, RowTexts) {
    for (int language : {1031, 1033, 1034, 1036, 1040, 3082}) EXPECT_TRUE(LicenseRowTextFromUiText(language)) << language;
    for (int language : {1041, 2052, 1046, 0}) EXPECT_FALSE(LicenseRowTextFromUiText(language)) << language;

    const Lines file = {L"[FileInfo]", L"ID=1041", L"// licence page", L"3040=Other text", L"304=\x30E9\x30A4\x30BB\x30F3\x30B9",
                        L"305==Security text\r", L"304=Second"};
    struct Case {
        int number;
        std::wstring text;
    };
    for (const Case& c : {Case{304, L"\x30E9\x30A4\x30BB\x30F3\x30B9"}, Case{305, L"Security text"}, Case{300, L""}}) {
        const LicenseRowText row = LicenseRowTextFromLines(file, c.number);
        EXPECT_EQ(row.text, c.text) << c.number;
        EXPECT_TRUE(row.log.empty()) << c.number;
    }
    const LicenseRowText missing = LicenseRowTextFromLines(std::nullopt, 304);
    EXPECT_EQ(missing.text, L"");
    EXPECT_EQ(missing.log, (Log{{11, L"Licesne", L"Licesne string not found"}}));
    EXPECT_EQ(LicenseLanguageFilePath(L"C:\\Temp\\pkg\\", 1041), L"C:\\Temp\\pkg\\Default1041.ulf");
    EXPECT_EQ(LicenseLanguageFilePath(L"C:\\Temp\\pkg", 1041), L"C:\\Temp\\pkg\\Default1041.ulf");
}

TEST(RequirementsText, Messages) {
    const std::wstring long200(200, L'm');
    struct Case {
        const char* what;
        std::wstring languages;
        std::wstring failing;
        std::map<std::wstring, std::wstring> messages;
        std::wstring text;
        size_t logLines;
    };
    const Case cases[] = {
        // 550 / 3 - 15 = 168.
        {"three long messages", L"1031;1033", L"Condition1;Condition2;Condition3",
         {{L"Condition1", long200}, {L"Condition2", long200}, {L"Condition3", L"short"}},
         std::wstring(168, L'm') + L"...\n" + std::wstring(168, L'm') + L"...\nshort\n", 3},
        {"tab and line break", L"1033", L"Condition1", {{L"Condition1", L"a[TAB]b[NEWLINE]c"}}, L"a\tb\nc\n", 1},
        {"language not among the setup languages", L"1031;1036", L"Condition1", {{L"Condition1", L"text"}}, L"", 0},
        // A condition without a message takes no share: 550 / 1 - 15 = 535.
        {"one of two without message", L"1033", L"Condition1;Condition2",
         {{L"Condition2", std::wstring(600, L'x')}}, std::wstring(535, L'x') + L"...\n", 1},
        {"no messages", L"1033", L"Condition1;Condition2", {}, L"", 0},
        {"no failing conditions", L"1033", L"", {{L"", L"never asked"}}, L"", 0},
    };
    for (const auto& c : cases) {
        auto messageFor = [&](const std::wstring& name) {
            auto it = c.messages.find(name);
            return it == c.messages.end() ? std::wstring() : it->second;
        };
        const ConditionMessageText result = BuildConditionMessageText(c.languages, 1033, c.failing, messageFor);
        EXPECT_EQ(result.text, c.text) << c.what;
        EXPECT_EQ(result.log.size(), c.logLines) << c.what;
    }
}

TEST(RequirementsText, LogAndManyConditions) {
    auto messageFor = [](const std::wstring& name) { return L"Message of " + name; };
    const ConditionMessageText two = BuildConditionMessageText(L"1033", 1033, L"A;B", messageFor);
    EXPECT_EQ(two.log, (Log{{11, L"Condition Message", L"Message of A"}, {11, L"Condition Message", L"Message of B"}}));
    // 40 conditions: 550 / 40 - 15 is negative, every message becomes "...".
    std::wstring names;
    for (int i = 1; i <= 40; ++i) names += (i > 1 ? L";C" : L"C") + std::to_wstring(i);
    const ConditionMessageText many = BuildConditionMessageText(L"1033", 1033, names, messageFor);
    std::wstring expected;
    for (int i = 0; i < 40; ++i) expected += L"...\n";
    EXPECT_EQ(many.text, expected);
}

// Fake machine: 1041 is not installed; Defaultx.ulf has no radio text for 1046.
LanguageRadios Build(const std::vector<std::wstring>& languages) {
    return BuildLanguageRadios(
        languages, [](int lcid) { return lcid != 1041; },
        [](int lcid) { return lcid == 1046 ? std::wstring() : L"&Lang" + std::to_wstring(lcid); },
        [](int lcid) { return L"Name" + std::to_wstring(lcid); });
}

TEST(LanguageRadios, Build) {
    std::vector<std::wstring> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back(std::to_wstring(1032 + i));
    const LanguageRadios radios = Build(twelve);
    ASSERT_EQ(radios.slots.size(), 10u);  // only the first ten are offered
    const int ids[] = {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 1017};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(radios.slots[i].controlId, ids[i]);
        EXPECT_EQ(radios.slots[i].lcid, 1032 + static_cast<int>(i));
    }
    const LanguageRadioSlot& japanese = radios.slots[9];
    EXPECT_EQ(japanese.lcid, 1041);
    EXPECT_FALSE(japanese.enabled);
    EXPECT_EQ(japanese.text, L"Name1041");
    EXPECT_EQ(radios.log, (Log{{8, L"DisplayRadioButtons", L"Language : Name1041 not supported and has been disabled"}}));
    EXPECT_TRUE(radios.slots[0].enabled);
    EXPECT_EQ(radios.slots[0].text, L"&Lang1032");

    const LanguageRadios unknown = Build({L"1046"});
    EXPECT_EQ(unknown.slots.at(0).text, L"Unknown Language");
    EXPECT_TRUE(unknown.log.empty());
}

TEST(LanguageRadios, SelectAndClick) {
    const LanguageRadios radios = Build({L"1031", L"1033", L"1036"});
    struct Case {
        std::vector<std::wstring> languages;
        int selected, marked;
        Log log;
    };
    const Case cases[] = {
        {{L"1031", L"1033", L"1036"}, 1036, 1008,
         {{8, L"SetSelectedUserLang", L"Setting the radio button for LanguageID : 1036"}}},
        {{L"1031", L"1033", L"1036"}, 1041, 0, {}},
        // One language is marked whatever is selected.
        {{L"1036"}, 1031, 1006, {{8, L"SetSelectedUserLang", L"Setting the radio button for LanguageID : 1036"}}},
    };
    for (const auto& c : cases) {
        const LanguageRadioMark mark = SelectCurrentLanguageRadio(Build(c.languages).slots, c.selected);
        EXPECT_EQ(mark.controlId, c.marked) << c.selected;
        EXPECT_EQ(mark.log, c.log) << c.selected;
    }

    std::vector<int> reloaded;
    Log log;
    auto markedIs = [](int id) { return [id](int control) { return control == id; }; };
    auto reloadAll = [&](int lcid) { reloaded.push_back(lcid); return true; };
    EXPECT_EQ(LanguageAfterRadioClick(radios.slots, markedIs(1007), reloadAll, log), 1033);
    EXPECT_EQ(LanguageAfterRadioClick(radios.slots, markedIs(1008), reloadAll, log), 1036);
    EXPECT_EQ(reloaded, (std::vector<int>{1033, 1036}));
    EXPECT_EQ(log, (Log{{8, L"Language Selected", L"ID of the Language selected : 1033"},
                        {8, L"Language Selected", L"ID of the Language selected : 1036"}}));
    // A language file that cannot be loaded, or no marked radio: back to 1033.
    reloaded.clear();
    auto reloadFails = [&](int lcid) { reloaded.push_back(lcid); return lcid == 1033; };
    EXPECT_EQ(LanguageAfterRadioClick(radios.slots, markedIs(1006), reloadFails, log), 1033);
    EXPECT_EQ(LanguageAfterRadioClick(radios.slots, markedIs(0), reloadAll, log), 1033);
    EXPECT_EQ(reloaded, (std::vector<int>{1031, 1033, 1033}));
}

TEST(LanguageRadios, DefaultLanguage) {
    EXPECT_EQ(DefaultSetupLanguage(1031, {L"1033", L"1031"}), 1031);
    EXPECT_EQ(DefaultSetupLanguage(1041, {L"1033", L"1031"}), 1033);
    EXPECT_EQ(DefaultSetupLanguage(1041, {L"1031", L"1036"}), 1033);  // then no radio is marked
    EXPECT_EQ(ParseLanguageId(L" 1031x"), 1031);
    EXPECT_EQ(ParseLanguageId(L"x"), 0);
}

TEST(FinishOutcome, Table) {
    struct Case {
        int R, launchImmediately, extractOnly, autolaunch;
        bool notConfigured;
        std::vector<int> texts;
        bool split, fitted;
        int errorShown, picture;
        bool message;
    };
    const Case cases[] = {
        {11, 1, 0, 0, false, {601}, true, false, 1, 147, false},
        {12, 1, 0, 1, false, {614}, true, false, 1, 147, false},
        {2, 1, 0, 1, false, {605, 606}, false, false, 1, 147, false},
        {-2, 1, 0, 0, false, {607, 606}, false, false, 1, 147, false},
        {-3, 1, 0, 0, false, {608, 606}, false, false, 1, 147, false},
        {-5, 1, 0, 0, false, {615, 606}, false, false, 1, 147, false},
        {-4, 1, 0, 1, false, {611, 606}, false, false, 0, 147, false},
        {-6, 1, 0, 1, false, {611}, false, false, 0, 147, true},
        {-1, 1, 0, 0, false, {602, 606}, false, true, 1, 147, false},
        {39, 1, 0, 0, false, {602, 606}, false, true, 1, 147, false},
        {0, 1, 0, 0, false, {600}, false, true, 0, 146, true},
        {0, 1, 0, 1, false, {610}, false, true, 0, 146, true},
        {0, 1, 1, 1, false, {610}, false, true, 0, 146, true},
        {0, 0, 0, 1, false, {612}, false, true, 0, 174, true},   // the setup starts on Finish
        {0, 0, 1, 0, false, {600}, false, true, 0, 146, true},
        {0, 1, 0, 1, true, {616}, false, true, 0, 174, true},
    };
    for (const auto& c : cases) {
        const FinishOutcome o = DecideFinishOutcome({c.R, c.launchImmediately, c.extractOnly, c.autolaunch, c.notConfigured});
        SCOPED_TRACE(testing::Message() << "R " << c.R << " launchImmediately " << c.launchImmediately << " extractOnly "
                                        << c.extractOnly << " autolaunch " << c.autolaunch);
        EXPECT_EQ(o.textIds, c.texts);
        EXPECT_EQ(o.split, c.split);
        EXPECT_EQ(o.fitted, c.fitted);
        EXPECT_EQ(o.errorShown, c.errorShown);
        EXPECT_EQ(o.picture, c.picture);
        EXPECT_EQ(o.showFinishMessage, c.message);
    }
}

TEST(FinishOutcome, Text) {
    const std::map<int, std::wstring> texts = {
        {601, L"The extraction of [PRODUCTNAME] has been cancelled.\\nBye\\nnow"},
        {606, L"Please check the log file."},
        {607, L"Part file [FILENAME] not found."},
    };
    auto getText = [&](int id) { return texts.at(id); };
    EXPECT_EQ(ComposeFinishOutcomeText(DecideFinishOutcome({-2}), getText, L"Example", L"Product.002"),
              L"Part file Product.002 not found. Please check the log file.");
    EXPECT_EQ(ComposeFinishOutcomeText(DecideFinishOutcome({11}), getText, L"Example", L""),
              L"The extraction of Example has been cancelled.\nBye\\nnow");
}

TEST(FinishOutcome, FolderOffer) {
    struct Case {
        const char* what;
        OpenFolderOfferInputs in;
        bool offered;
    };
    auto base = [](auto change) {
        OpenFolderOfferInputs in;
        in.openExtractionLocation = L"1";
        in.extractOnly = 1;
        in.autoLaunch = L"setup.exe";
        in.userIsAdministrator = true;
        change(in);
        return in;
    };
    const Case cases[] = {
        {"extract-only", base([](auto&) {}), true},
        {"OpenExtractionLocation not exactly 1", base([](auto& in) { in.openExtractionLocation = L"yes"; }), false},
        {"error shown", base([](auto& in) { in.errorShown = 1; }), false},
        {"cancelled", base([](auto& in) { in.resultCode = 11; }), false},
        {"cancelled during launching", base([](auto& in) { in.resultCode = 12; }), false},
        {"launched by an administrator", base([](auto& in) {
             in.extractOnly = 0;
             in.waitForFinish = true;
         }),
         false},
        {"launched for a user", base([](auto& in) {
             in.extractOnly = 0;
             in.waitForFinish = true;
             in.userIsAdministrator = false;
         }),
         true},
        {"nothing to launch, waited", base([](auto& in) {
             in.extractOnly = 0;
             in.autoLaunch.clear();
             in.waitForFinish = true;
         }),
         true},
        {"nothing to launch, no wait", base([](auto& in) {
             in.extractOnly = 0;
             in.autoLaunch.clear();
         }),
         false},
        {"launch deferred to Finish", base([](auto& in) {
             in.extractOnly = 0;
             in.autoLaunch.clear();
             in.waitForFinish = true;
             in.launchImmediately = 0;
         }),
         false},
        {"Multilaunch reads AutoLaunch1", base([](auto& in) {
             in.extractOnly = 0;
             in.waitForFinish = true;
             in.multilaunch = L"1";
         }),
         true},
    };
    for (const auto& c : cases) EXPECT_EQ(OfferToOpenExtractionFolder(c.in), c.offered) << c.what;
}

TEST(FinishOutcome, FinishAction) {
    struct Case {
        bool ticked, folder, writable;
        int extractOnly, launchImmediately;
        FinishAction action;
    };
    const Case cases[] = {
        {true, true, true, 1, 1, FINISH_OPEN_FOLDER},
        {true, true, false, 1, 1, FINISH_REPORT_NO_PERMISSION},
        {true, false, true, 1, 1, FINISH_REPORT_MISSING_FOLDER},
        {true, true, true, 0, 0, FINISH_OPEN_FOLDER},  // opening the folder launches nothing
        {false, true, true, 0, 0, FINISH_LAUNCH_SETUP},
        {false, true, true, 1, 0, FINISH_NOTHING},
        {false, true, true, 0, 1, FINISH_NOTHING},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideFinishAction(c.ticked, c.folder, c.writable, c.extractOnly, c.launchImmediately), c.action)
            << c.ticked << c.folder << c.writable << c.extractOnly << c.launchImmediately;
}

TEST(PasswordRules, AskingAndChecking) {
    struct Case {
        const wchar_t* required;
        int accepted;
        bool ask;
    };
    const Case cases[] = {{L"1", 0, true}, {L"1", 1, false}, {L"1 ", 0, false}, {L"yes", 0, false}, {L"", 0, false},
                          {L"0", 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(MustAskPassword(c.required, c.accepted), c.ask) << testing::PrintToString(std::wstring(c.required));
    EXPECT_FALSE(PasswordOkEnabled(L""));
    EXPECT_TRUE(PasswordOkEnabled(L" "));
    EXPECT_TRUE(PasswordMatches(L"Secret", L"Secret"));
    EXPECT_FALSE(PasswordMatches(L"secret", L"Secret"));
    EXPECT_FALSE(PasswordMatches(L"Secret ", L"Secret"));
    EXPECT_EQ(InvalidPasswordText(L"Invalid password.\\nEnter the correct password."),
              L"Invalid password.\nEnter the correct password.");
    EXPECT_EQ(InvalidPasswordText(L"A\\nB\\nC"), L"A\nB\\nC");
    EXPECT_EQ(InvalidPasswordText(L"No break"), L"No break");
}

}  // namespace
