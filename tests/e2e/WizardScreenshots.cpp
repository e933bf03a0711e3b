// Takes pictures of every wizard page and of its prompts, for people to look at: the
// program under the X11 driver, driven by the wizard driver, each window copied from the screen
// into a BMP file. scripts/screenshots runs it for each language and screen resolution; it is no
// test and passes or fails nothing.
//   wizard_screenshots <output folder> <variant: english | german | longtitle | plus>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../common/Environment.h"
#include "TestPackage.h"
#include "util/Util.h"
#include "WizardDriver.h"

namespace {

const char* const kGerman =
    "[FileInfo]\nID=1031\nLangName=Deutsch\n"
    "[Buttons]\n110=< &Zur\xC3\xBC" "ck\n111=&Weiter >\n112=&Abbrechen\n113=Wollen Sie wirklich abbrechen?\n"
    "114=Fertig stellen\n115=&Wiederholen\n"
    "[Texts]\n200=Willkommen beim Installationsprogramm von [PACKAGEDISPLAYNAME]. Der Assistent f\xC3\xBChrt Sie "
    "durch die Extraktion des Pakets auf Ihren Computer.\n"
    "208=Bitte w\xC3\xA4hlen Sie die Sprache des Installationsprogramms von [PACKAGEDISPLAYNAME]:\n"
    "300=Lizenzbedingungen:\n302=Ich &akzeptiere die Bedingungen der Lizenzvereinbarung\n"
    "303=Ich best\xC3\xA4tige hiermit, dass ich die &Sicherheitshinweise zum sicheren Betrieb des Produkts "
    "gelesen und verstanden habe\n304=Lizenzvereinbarung (EULA)\n305=Best\xC3\xA4tigung der Sicherheitshinweise\n"
    "419=Geben Sie das Kennwort f\xC3\xBCr die Extraktion ein:\n"
    "506=Der Inhalt des Pakets wird jetzt auf Ihren Computer extrahiert.\n507=Paketinhalt wird gelesen...\n"
    "508=Paket wird extrahiert...\n"
    "600=Die Extraktion von [PRODUCTNAME] wurde erfolgreich abgeschlossen.\n"
    "802=Um das Paket [PACKAGENAME] erfolgreich auf Ihrem Computer zu extrahieren, m\xC3\xBCssen die folgenden "
    "Voraussetzungen erf\xC3\xBCllt sein.\n";

// Copies the window's area of the screen into a 24-bit BMP file.
bool SaveWindow(HWND window, const std::wstring& path) {
    // The client area: under a virtual X server without a window manager there is no frame.
    RECT rect = {};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    GdiFlush();
    DWORD stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * height;
    FILE* out = _wfopen(path.c_str(), L"wb");
    bool ok = out && bits;
    if (ok) {
        fwrite(&file, sizeof(file), 1, out);
        fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        fwrite(bits, stride * height, 1, out);
    }
    if (out) fclose(out);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

void Shot(HWND window, const std::wstring& folder, const std::wstring& name) {
    Sleep(700);  // the page paints and the pointer's hover look settles
    std::wstring path = folder + L"\\" + name + L".bmp";
    std::fwprintf(stdout, L"%ls %ls\n", SaveWindow(window, path) ? L"wrote" : L"FAILED", path.c_str());
}

// The window that has the keyboard focus in the wizard's thread.
HWND FocusOf(HWND sheet) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(sheet, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return bytes;
    char buffer[65536];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), in)) > 0) bytes.append(buffer, read);
    fclose(in);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return;
    fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
}

// The second part of the wizard: the location page, the two prompts with long names, the
// autolaunch page and the finish page's variants. Each package runs once; packageLines are the
// variant's own lines of [Package] (the layout of the band).
void TakeLaunchPictures(const std::wstring& out, const std::wstring& work, const std::string& title,
                        const std::string& packageLines, const std::vector<TestFile>& files) {
    const std::string probe = ReadFileBytes(TRESK_PROBE_PATH);
    const std::string head = "[Package]\nName=Screens\nNameDispl=" + title + "\nVersionString=V1.2\n" + packageLines +
                             "[LogFiles]\nExtractLogFileName=Screens.log\n[Languages]\nSetupLanguages=1031;1033;\n"
                             "[Images]\nTopImage=TopImage.png\nBottomImage=BottomImage.png\n"
                             "[Dialogs]\nWelcomeDialog=0\n"
                             "[OS]\nosallowed=Windows7;Windows764;Windows10;Windows1064\n";
    int packageNumber = 0;
    auto package = [&](const std::string& runtime, const std::string& more = "") {
        std::wstring folder = work + L"\\launch" + std::to_wstring(++packageNumber);
        CreateDirectoryW(folder.c_str(), nullptr);
        std::string cabinet = MakeCabinet(folder, {{"Setup.exe", probe}, {"ReadMe.txt", "read me"}});
        return MakePackage(folder, L"Screens.exe", head + "[Runtime]\n" + runtime + more, files, &cabinet);
    };
    const std::wstring temp = TempFolder();

    {
        // The location page, the folder-delete prompt, the autolaunch page and a cancel there.
        const std::wstring longFolder =
            temp + L"\\Tresk Screens with a rather long folder name\\for the folder-delete prompt of the wizard";
        CreateDirectoryW((temp + L"\\Tresk Screens with a rather long folder name").c_str(), nullptr);
        CreateDirectoryW(longFolder.c_str(), nullptr);
        WriteFileBytes(longFolder + L"\\earlier.txt", "an earlier extraction");
        WizardDriver wizard(package("ExtractPath=%TEMP%\\Tresk Screens\nAllowChangeTarget=1\n"
                                    "AutoLaunchInstallationDialog=1\nAutoLaunch=Setup.exe\nMultilaunch=0\n",
                                    "[1033]\nLaunchEXEParams=/sleep=6000\n[1031]\nLaunchEXEParams=/sleep=6000\n"));
        if (!wizard.WaitForPage(1003)) return;
        HWND sheet = wizard.Sheet();
        Shot(sheet, out, L"08-location");
        HWND browse = wizard.PageItem(1001);
        for (int i = 0; i < 8 && FocusOf(sheet) != browse; ++i) {
            wizard.PressKey(VK_TAB);
            Sleep(200);
        }
        Shot(sheet, out, L"09-location-browse-focused");
        wizard.ClickPageControl(1036);
        Sleep(300);
        Shot(sheet, out, L"10-location-extract-only");
        wizard.ClickPageControl(1036);
        wizard.SetPageText(1000, longFolder);
        wizard.Click(12324);
        HWND prompt = wizard.WaitForDialog();
        if (prompt) {
            Shot(prompt, out, L"11-folder-delete");
            WizardDriver::ClickDialogButton(prompt, 1024);
        }
        if (wizard.WaitForPage(1062, 60000)) {
            Shot(sheet, out, L"12-autolaunch");
            wizard.Click(2);
            HWND question = wizard.WaitForDialog();
            if (question) WizardDriver::Answer(question, IDYES);
            wizard.WaitForButtonEnabled(2, false);
            Shot(sheet, out, L"13-autolaunch-cancelled");
        }
        if (wizard.WaitForPage(1033, 60000)) Shot(sheet, out, L"14-finish-installation-cancelled");
        wizard.Click(12325);
        wizard.WaitForExit();
    }
    {
        // The overwrite prompt with a long file name: the public folder is never emptied first.
        wchar_t publicBuffer[MAX_PATH] = {};
        GetEnvironmentVariableW(L"PUBLIC", publicBuffer, MAX_PATH);
        const std::string name = "A document with a rather long name that came with the product and is there already.txt";
        const std::wstring existing = std::wstring(publicBuffer) + L"\\" + FromUtf8(name);
        WriteFileBytes(existing, "old");
        std::wstring folder = work + L"\\overwrite";
        CreateDirectoryW(folder.c_str(), nullptr);
        std::string cabinet = MakeCabinet(folder, {{name, "new"}});
        WizardDriver wizard(MakePackage(folder, L"Screens.exe", head + "[Runtime]\nExtractPath=%PUBLIC%\n", files, &cabinet));
        HWND prompt = wizard.WaitForDialog(60000);
        if (prompt) {
            Shot(prompt, out, L"15-overwrite");
            WizardDriver::ClickDialogButton(prompt, 1024);
        }
        HWND sheet = wizard.Sheet();
        if (wizard.WaitForPage(1033, 60000)) Shot(sheet, out, L"16-finish-extracted");
        wizard.Click(12325);
        wizard.WaitForExit();
        DeleteFileW(existing.c_str());
    }
    struct FinishVariant {
        const wchar_t* name;
        std::string runtime, more;
        bool extractOnly = false;  // ticked on the location page
    };
    const FinishVariant variants[] = {
        {L"17-finish-setup-on-finish", "ExtractPath=%TEMP%\\Tresk Screens\nAutoLaunch=Setup.exe\nWaitForAutolaunchFinish=0\n"},
        {L"18-finish-installation-complete", "ExtractPath=%TEMP%\\Tresk Screens\nAutoLaunch=Setup.exe\n",
         "[AutoLaunch]\nReturnCode_0=success:{Done}\n[1033]\nDone=The example product is installed and ready.\n"
         "[1031]\nDone=Das Beispielprodukt ist installiert.\n"},
        {L"19-finish-installation-not-complete", "ExtractPath=%TEMP%\\Tresk Screens\nAutoLaunch=Missing.exe\n"},
        {L"20-finish-extract-only-open-folder",
         "ExtractPath=%TEMP%\\Tresk Screens\nAllowChangeTarget=1\nAutoLaunch=Setup.exe\nOpenExtractionLocation=1\n", "",
         true},
    };
    for (const auto& v : variants) {
        // An empty folder each time: the location page would ask before emptying it.
        CUtil::DeleteTree(temp + L"\\Tresk Screens");
        WizardDriver wizard(package(v.runtime, v.more));
        HWND sheet = wizard.Sheet();
        if (v.extractOnly && wizard.WaitForPage(1003)) {
            wizard.ClickPageControl(1036);
            Sleep(200);
            wizard.Click(12324);
        }
        // The wizard may be hidden while the setup runs.
        if (wizard.WaitForPage(1033, 60000) && WaitUntil([&] { return IsWindowVisible(sheet) != FALSE; }, 20000))
            Shot(sheet, out, v.name);
        wizard.Click(12325);
        wizard.WaitForExit();
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: wizard_screenshots <output folder> <english|german|longtitle|plus>\n");
        return 2;
    }
    const std::wstring out = argv[1];
    const std::wstring variant = argv[2];
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring work = std::wstring(temp) + L"tresk_screens_" + variant;
    CreateDirectoryW(work.c_str(), nullptr);

    const std::string title = variant == L"longtitle"
                                  ? "Example Enterprise Resource Planning Suite with Extended Reporting Components"
                                  : "Example Product";
    const std::string condition = "{Registry};HKEY_LOCAL_MACHINE\\Software\\TreskScreenshots\\Never;{=};{1};{MsgRuntime}";
    const std::string packageLines = variant == L"plus" ? "Setuptype=PLUS\n" : "";
    const std::string settings =
        "[Package]\nName=Screens\nNameDispl=" + title + "\nVersionString=V1.2\n" + packageLines +
        "[LogFiles]\nExtractLogFileName=Screens.log\n[Languages]\nSetupLanguages=1031;1033;\n"
        "[Runtime]\nExtractPath=%TEMP%\\Tresk Screens\nDisplayWelcomeImage=1\nExtractPasswordRequired=1\n"
        "ExtractionPassword=xjhwjy\n[Temporary]\nNumber=5\n"
        "[Images]\nTopImage=TopImage.png\nBottomImage=BottomImage.png\n"
        "[Dialogs]\nWelcomeDialog=1\nLanguageDialog=1\nLicenseDialog=1\n"
        "[LicenseFiles]\n1033=License1033.txt\n1031=License1031.txt\n"
        "[SecurityLicenseFiles]\n1033=Security1033.txt\n1031=Security1031.txt\n"
        "[Conditions]\nAction1=Extract\nAction1Condition=Condition1\nAction1Message=MsgPrerequisites\nCondition1=" +
        condition + "\n[1033]\nMsgPrerequisites=The following requirements are not met:\n"
        "MsgRuntime=Example Runtime 4.5 or later is required. Install it from the product media and press Retry.\n"
        "[1031]\nMsgPrerequisites=Die folgenden Voraussetzungen sind nicht erf\xC3\xBCllt:\n"
        "MsgRuntime=Example Runtime 4.5 oder neuer ist erforderlich. Installieren Sie sie vom Produktmedium und "
        "klicken Sie auf Wiederholen.\n";
    const std::wstring support = TRESK_EXAMPLE_SUPPORT;
    std::vector<TestFile> files = {
        {"Default1031.ulf", Utf16File(kGerman)},
        {"Defaultx.ulf", Utf16File("[RADIOBUTTONSTRING]\n1031=&Deutsch\n1033=&English\n")},
        {"License1033.txt", "END USER LICENCE AGREEMENT\r\n\r\nThis is the licence of the example product. "
                            "Read it carefully before you accept it.\r\n"},
        {"License1031.txt", "ENDBENUTZER-LIZENZVERTRAG\r\n\r\nDies ist die Lizenz des Beispielprodukts.\r\n"},
        {"Security1033.txt", "Safety information: operate the product as described in its manual.\r\n"},
        {"Security1031.txt", "Sicherheitshinweise: Betreiben Sie das Produkt wie im Handbuch beschrieben.\r\n"},
        {"TopImage.png", ReadFileBytes(support + L"\\TopImage.png")},
        {"BottomImage.png", ReadFileBytes(support + L"\\BottomImage.png")},
    };
    std::string cabinet = MakeCabinet(work, {{"Setup.exe", "MZ stand-in setup"}, {"ReadMe.txt", "read me"}});
    std::wstring package = MakePackage(work, L"Screens.exe", settings, files, &cabinet);

    WizardDriver wizard(package);
    if (!wizard.WaitForPage(1047)) return 1;
    HWND sheet = wizard.Sheet();
    Shot(sheet, out, L"01-welcome");
    wizard.Click(12324);
    if (!wizard.WaitForPage(1013)) return 1;
    if (variant == L"german") {
        wizard.ClickPageControl(1006);
        wizard.WaitForButtonText(12324, L"&Weiter >");
    }
    Shot(sheet, out, L"02-language");
    wizard.Click(12324);
    HWND prompt = wizard.WaitForDialog();
    if (prompt) {
        Shot(prompt, out, L"03-password");
        SetWindowTextW(GetDlgItem(prompt, 1054), L"secret");
        WizardDriver::Answer(prompt, IDOK);
    }
    if (!wizard.WaitForPage(1050)) return 1;
    Shot(sheet, out, L"04-requirements");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\TreskScreenshots", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Never", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 4);
    RegCloseKey(key);
    wizard.Click(12324);
    if (!wizard.WaitForPage(1059)) return 1;
    Shot(sheet, out, L"05-licence");
    wizard.ClickPageControl(1020);
    wizard.ClickPageControl(1021);
    wizard.WaitForButtonEnabled(12324, true);
    Shot(sheet, out, L"06-licence-accepted");
    wizard.Click(12324);
    if (!wizard.WaitForPage(1033, 60000)) return 1;
    Shot(sheet, out, L"07-finish");
    wizard.Click(12325);
    wizard.WaitForExit();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TreskScreenshots");
    TakeLaunchPictures(out, work, title, packageLines, files);
    return 0;
}
