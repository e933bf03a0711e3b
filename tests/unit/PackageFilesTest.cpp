// The attached-file reader on containers built with the packager's library, and the language
// files and UI texts.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "app/AppMessageBox.h"
#include "app/TreskSelfExtractorUIApp.h"
#include "container/Container.h"
#include "io/File.h"
#include "log/BuildLogFile.h"
#include "package/AttachedFiles.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "text/Utf.h"

namespace {

std::string Utf8(const std::wstring& text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

struct Entry {
    std::string name;
    uint16_t kind;
    std::string bytes;
};

// A file with a stand-in program part, the entries, and a stand-in signature block. The packager
// refuses unsafe names, so hostile ones are written under a placeholder of the same length and
// patched in afterwards.
std::wstring WriteContainer(const ScratchFolder& folder, const std::vector<Entry>& entries, uint32_t& offset) {
    std::wstring path = folder / L"package.bin";
    FILE* out = OpenFile(Utf8(path), "wb");
    std::string program(1000, 'P');
    offset = static_cast<uint32_t>(program.size());
    fwrite(program.data(), 1, program.size(), out);
    std::string error;
    for (const auto& entry : entries) {
        std::string placeholder = entry.name.empty() ? entry.name : std::string(entry.name.size(), '~');
        bool safe = CheckEntryName(entry.name, error);
        EXPECT_TRUE(AppendEntryFromBytes(out, safe ? entry.name : placeholder, entry.kind, entry.bytes, error)) << error;
    }
    fwrite("\0\0\0\0SIGNATURE BLOCK", 1, 20, out);
    fclose(out);
    std::string bytes = ReadBytes(path);
    for (const auto& entry : entries) {
        if (CheckEntryName(entry.name, error)) continue;
        std::string placeholder, wanted;
        for (char c : entry.name) {
            placeholder += "~";
            placeholder += '\0';
            wanted += c;
            wanted += '\0';
        }
        size_t at = bytes.find(placeholder);
        if (at != std::string::npos) bytes.replace(at, placeholder.size(), wanted);
    }
    WriteBytes(path, bytes);
    return path;
}

class AttachedFilesTest : public ::testing::Test {
protected:
    ScratchFolder source{L"container"};
    ScratchFolder target{L"target"};
    std::wstring Target() const { return target.Path() + L"\\"; }
};

TEST_F(AttachedFilesTest, SupportFilesUpToThePayload) {
    uint32_t offset = 0;
    std::wstring path = WriteContainer(source, {{"Properties_Qirva.ini", 200, "\xFF\xFEsettings"},
                                                {"empty.txt", 200, ""},
                                                {"WebCab1", 100, "QRVAcabinet"},
                                                {"late.txt", 200, "never read"}},
                                       offset);
    CExtractor reader;
    EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4), 0);
    EXPECT_EQ(ReadBytes(target / L"Properties_Qirva.ini"), "\xFF\xFEsettings");
    EXPECT_TRUE(CUtil::FileExists(target / L"empty.txt"));
    EXPECT_EQ(ReadBytes(target / L"empty.txt"), "");
    EXPECT_FALSE(CUtil::FileExists(target / L"WebCab1"));
    EXPECT_FALSE(CUtil::FileExists(target / L"late.txt"));

    // The payload pass skips the support files.
    ScratchFolder payload(L"payload");
    EXPECT_EQ(reader.ExtractFile(path, payload.Path() + L"\\", ATTACHED_PAYLOAD, offset, 5242880), 0);
    EXPECT_EQ(ReadBytes(payload / L"WebCab1"), "QRVAcabinet");
    EXPECT_FALSE(CUtil::FileExists(payload / L"Properties_Qirva.ini"));
}

TEST_F(AttachedFilesTest, EndsAtTheSignatureBlockAndCopiesInBufferSizedBlocks) {
    uint32_t offset = 0;
    std::string exact(4096 * 3, 'x');
    std::string odd(4096 * 3 + 1, 'y');
    std::wstring path = WriteContainer(source, {{"exact.bin", 200, exact}, {"odd.bin", 200, odd}}, offset);
    CExtractor reader;
    EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4096), 0);
    EXPECT_EQ(ReadBytes(target / L"exact.bin"), exact);
    EXPECT_EQ(ReadBytes(target / L"odd.bin"), odd);
    // Payload pass over a container with support files only: nothing written.
    ScratchFolder payload(L"payload");
    EXPECT_EQ(reader.ExtractFile(path, payload.Path() + L"\\", ATTACHED_PAYLOAD, offset, 4096), 0);
    EXPECT_FALSE(CUtil::FileExists(payload / L"exact.bin"));
    // An offset that does not point at a marker extracts nothing.
    EXPECT_EQ(reader.ExtractFile(path, Target() + L"none\\", ATTACHED_SUPPORT_FILE, 0, 4096), 0);
}

TEST_F(AttachedFilesTest, RefusesNamesThatLeaveTheFolder) {
    const char* names[] = {"..\\..\\x.dll", "C:\\x", "sub\\x.txt", "a/b", "..", ".", "c:x"};
    for (const char* name : names) {
        uint32_t offset = 0;
        std::wstring path = WriteContainer(source, {{"first.txt", 200, "1"}, {name, 200, "evil"}}, offset);
        CExtractor reader;
        EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4096), -1) << name;
        EXPECT_TRUE(CUtil::FileExists(target / L"first.txt")) << name;
    }
    EXPECT_FALSE(CUtil::FileExists(source.Path() + L"\\..\\x.dll"));
    EXPECT_FALSE(CUtil::FileExists(target / L"sub"));
}

// Whatever already carries an entry's name: a file is replaced whole (nothing of a longer one
// stays), a folder stops the extraction and stays as it was.
TEST_F(AttachedFilesTest, WhatIsAlreadyThereUnderTheName) {
    struct Case {
        const char* what;
        DWORD attributes;  // of the file there; 0: a folder is there instead
        int result;
        std::string left;  // the file's content afterwards
    };
    const Case cases[] = {
        {"longer file", FILE_ATTRIBUTE_NORMAL, 0, "new"},
        {"archived file", FILE_ATTRIBUTE_ARCHIVE, 0, "new"},
        {"folder", 0, -1, ""},
    };
    uint32_t offset = 0;
    std::wstring path = WriteContainer(source, {{"WebCab1", 100, "new"}}, offset);
    for (const Case& c : cases) {
        ScratchFolder folder(L"existing");
        std::wstring there = folder / L"WebCab1";
        if (c.attributes) {
            WriteBytes(there, "an older and longer content");
            ASSERT_TRUE(SetFileAttributesW(there.c_str(), c.attributes)) << c.what;
        } else {
            ASSERT_TRUE(CreateDirectoryW(there.c_str(), nullptr)) << c.what;
        }
        CExtractor reader;
        EXPECT_EQ(reader.ExtractFile(path, folder.Path() + L"\\", ATTACHED_PAYLOAD, offset, 4096), c.result) << c.what;
        if (c.attributes) {
            EXPECT_EQ(ReadBytes(there), c.left) << c.what;
            SetFileAttributesW(there.c_str(), FILE_ATTRIBUTE_NORMAL);
        } else {
            EXPECT_EQ(GetFileAttributesW(there.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
        }
    }
}

TEST_F(AttachedFilesTest, DamagedEntries) {
    uint32_t offset = 0;
    std::wstring path = WriteContainer(source, {{"a.txt", 200, std::string(10000, 'a')}}, offset);
    std::string bytes = ReadBytes(path);
    CExtractor reader;

    // Data shorter than its recorded size: -1, and no partial file stays.
    WriteBytes(path, bytes.substr(0, bytes.size() - 20 - 100));
    EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4096), -1);
    EXPECT_FALSE(CUtil::FileExists(target / L"a.txt"));

    // A marker block cut short at the end of the file ends the container normally.
    WriteBytes(path, bytes.substr(0, offset + 40));
    EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4096), 0);

    // A name length beyond the format's limit.
    std::string longName = bytes;
    longName[offset + 76] = '\x00';
    longName[offset + 77] = '\x08';  // 2048 bytes
    WriteBytes(path, longName);
    EXPECT_EQ(reader.ExtractFile(path, Target(), ATTACHED_SUPPORT_FILE, offset, 4096), -1);

    // Program file that cannot be opened, offset beyond the end.
    EXPECT_EQ(reader.ExtractFile(source / L"missing.bin", Target(), ATTACHED_SUPPORT_FILE, 0, 4096), -1);
    EXPECT_EQ(reader.ExtractFile(path, Target() + L"missing\\", ATTACHED_SUPPORT_FILE, offset, 4096), -1);
}

TEST(PayloadOffset, ReadFromTheFixedVersionInformation) {
    // The test program carries no version information of its own.
    EXPECT_EQ(GetPayloadOffset(), 0u);
    EXPECT_EQ(GetPayloadOffsetOf(L"C:\\missing.exe"), 0u);
}

// Language files in a package temporary folder of their own.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        theInitializer.SetTempFolder(folder.Path());
        Write(L"Default1031.ulf", "[FileInfo]\nProduct=P\nID=1031\nLangName=Deutsch\n// Start\n405=&OK-DE\n509=Datei[NEWLINE]belegt\n602=Fehler\n");
        Write(L"Default1036.ulf", "[FileInfo]\nID=1036\nLangName=Fran\xC3\xA7" "ais\n[Texts]\n602=Erreur\n");
        Write(L"Default1040.ulf", "[FileInfo]\nID=1031\n602=Errore\n");
        Write(L"Defaultx.ulf", "[RADIOBUTTONSTRING]\n1031=&Deutsch\n1036=\n");
        Write(L"Properties_Qirva.ini", "[Languages]\nSetupLanguages=1031;1033;1036;\n");
    }
    void TearDown() override { LoadLanguageFile(1033, L""); }
    void Write(const wchar_t* name, const std::string& text) { WriteBytes(folder / name, EncodeUtf16LeWithBom(text)); }
    std::wstring Folder() const { return folder.Path() + L"\\"; }
    ScratchFolder folder{L"lang"};
};

TEST_F(LanguageTest, SwitchingLanguages) {
    EXPECT_EQ(GetText(602), L"An error occurred.");
    EXPECT_EQ(LoadLanguageFile(1031, Folder()), 0);
    EXPECT_EQ(GetText(602), L"Fehler");
    EXPECT_EQ(GetText(509), L"Datei\nbelegt");
    EXPECT_EQ(GetText(105), L"Another instance is already running.");  // not in the file: English
    // French lacks 509: the German text stays.
    EXPECT_EQ(LoadLanguageFile(1036, Folder()), 0);
    EXPECT_EQ(GetText(602), L"Erreur");
    EXPECT_EQ(GetText(509), L"Datei\nbelegt");
    // English empties the table.
    EXPECT_EQ(LoadLanguageFile(1033, Folder()), 1);
    EXPECT_EQ(GetText(509).substr(0, 12), L"Cannot copy ");
    // A file whose ID names another language is not loaded; a missing file changes nothing.
    EXPECT_EQ(LoadLanguageFile(1040, Folder()), -1);
    EXPECT_EQ(GetText(602), L"An error occurred.");
    EXPECT_EQ(LoadLanguageFile(1049, Folder()), 0);
    EXPECT_EQ(GetText(99999), L"");
}

TEST_F(LanguageTest, SetupLanguagesNamesAndCaptions) {
    TextList languages = GetSetupLanguages();
    EXPECT_EQ(std::vector<std::wstring>(languages.begin(), languages.end()),
              (std::vector<std::wstring>{L"1036", L"1033", L"1031"}));
    EXPECT_EQ(IsSetupLanguage(1031), 1);
    EXPECT_EQ(IsSetupLanguage(1040), 0);
    EXPECT_EQ(GetLanguageName(1031), L"Deutsch");
    EXPECT_EQ(GetLanguageName(1036), L"Fran\xE7" L"ais");
    EXPECT_EQ(GetLanguageName(1049), L"");
    EXPECT_EQ(GetRadioButtonText(1031), L"&Deutsch");
    EXPECT_EQ(GetRadioButtonText(1036), L"Unknown Language");
    EXPECT_EQ(GetRadioButtonText(1049), L"Unknown Language");
    // The test machine's UI language is English, which the package lists.
    EXPECT_EQ(GetDefaultSetupLanguage(), 1033);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") == 0) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

// Reads the captions of the first message box this thread shows, then presses its button.
struct BoxWatcher {
    std::wstring okCaption, yesCaption, noCaption;
    std::thread thread;
    void Start(DWORD threadId) {
        thread = std::thread([this, threadId] {
            for (int i = 0; i < 500; ++i) {
                HWND box = nullptr;
                EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&box));
                if (box && IsWindowVisible(box)) {
                    okCaption = Text(GetDlgItem(box, IDOK));
                    yesCaption = Text(GetDlgItem(box, IDYES));
                    noCaption = Text(GetDlgItem(box, IDNO));
                    PostMessageW(box, WM_COMMAND, GetDlgItem(box, IDNO) ? IDNO : IDOK, 0);
                    return;
                }
                Sleep(10);
            }
        });
    }
    static std::wstring Text(HWND control) {
        wchar_t text[128] = {};
        if (control) GetWindowTextW(control, text, 128);
        return text;
    }
};

TEST_F(LanguageTest, MessageBoxButtonsCarryTheLanguagesCaptions) {
    LoadLanguageFile(1031, Folder());
    BoxWatcher watcher;
    watcher.Start(GetCurrentThreadId());
    EXPECT_EQ(AppMessageBox(L"Test", MB_OK), IDOK);
    watcher.thread.join();
    EXPECT_EQ(watcher.okCaption, L"&OK-DE");

    // Yes/No: the language file has no captions for them, so the built-in texts are used.
    BoxWatcher second;
    second.Start(GetCurrentThreadId());
    EXPECT_EQ(AppMessageBox(L"Question", MB_YESNO), IDNO);
    second.thread.join();
    EXPECT_EQ(second.yesCaption, L"&Yes");
    EXPECT_EQ(second.noCaption, L"&No");
}

TEST(Settings, MissingFileSectionsAndKeysReadAsDefaults) {
    ScratchFolder folder(L"settings");
    std::wstring file = folder / L"Properties_Qirva.ini";
    WriteBytes(file, EncodeUtf16LeWithBom("[Runtime]\nCheckAdmin=1\nAllowChangeTarget=yes\n[FileCount]\nCount=446\n"));
    EXPECT_EQ(GetSettingString(file, L"runtime", L"checkadmin"), L"1");
    EXPECT_TRUE(GetSettingFlag(file, L"Runtime", L"CheckAdmin"));
    EXPECT_FALSE(GetSettingFlag(file, L"Runtime", L"AllowChangeTarget"));
    EXPECT_EQ(GetSettingInt(file, L"FileCount", L"Count", 0), 446);
    EXPECT_EQ(GetSettingInt(file, L"Size", L"128MB", 5242880), 5242880);
    EXPECT_EQ(GetSettingString(file, L"Package", L"Name"), L"");
    EXPECT_EQ(GetSettingString(folder / L"missing.ini", L"Runtime", L"CheckAdmin"), L"");
}

TEST(Password, StoredFormIsRotatedWithinPrintableCodes) {
    struct Case {
        const wchar_t* stored;
        int number;
        const wchar_t* plain;
    };
    const Case cases[] = {{L"xjhwjy", 5, L"secret"}, {L"abc", 0, L"abc"}, {L"def\"", 3, L"abc~"}, {L" ", 94, L"!"}};
    for (const auto& c : cases) EXPECT_EQ(UnscramblePassword(c.stored, c.number), c.plain) << c.number;
}

}  // namespace
