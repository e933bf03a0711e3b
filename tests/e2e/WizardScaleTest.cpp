// The wizard at every display scale and for assistive technology, driven from outside: each page
// and prompt is laid out inside its window without overlaps at 96, 120, 144 and 192 DPI and with a
// larger text size; a change of resolution gives the layout of a start at the new one; every
// control a user can reach has an accessible name (and its check state where it has one).
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/Narrow.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"

namespace {

// The accessibility interface; the static import library would resolve the name to a thunk.
const GUID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

constexpr int WELCOME = 1047, LANGUAGE = 1013, LICENSE = 1059, LOCATION = 1003, FINISH = 1033;
constexpr int NEXT = 12324, FINISH_BUTTON = 12325, YES = 1024, LOCATION_INFO = 1044;

// The display settings of the test prefix, set for one start of the program and restored after.
class DisplaySettings {
public:
    DisplaySettings(int dpi, int messageFontHeight) {
        Write(L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
        if (messageFontHeight != 0) {
            LOGFONTW font = {};
            font.lfHeight = messageFontHeight;
            font.lfWeight = FW_NORMAL;
            font.lfCharSet = DEFAULT_CHARSET;
            wcscpy(font.lfFaceName, L"Tahoma");
            Write(L"Control Panel\\Desktop\\WindowMetrics", L"MessageFont", REG_BINARY, &font, sizeof(font));
            fontSet = true;
        }
    }
    ~DisplaySettings() {
        const int dpi = 96;
        Write(L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
        if (fontSet) RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", L"MessageFont");
    }

private:
    static void Write(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY opened = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(opened);
    }
    bool fontSet = false;
};

struct Control {
    HWND window = nullptr;
    HWND parent = nullptr;
    int id = 0;
    std::wstring className;
    RECT rect = {};        // in the client coordinates of the window the screen shows (sheet or prompt)
    RECT parentRect = {};  // the parent's client area, in the same coordinates
    std::wstring text;
};

// What one page or prompt shows: its window's client size and every visible control in it.
struct Screen {
    std::string name;
    HWND window = nullptr;
    RECT client = {};
    RECT windowRect = {};
    std::vector<Control> controls;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Every visible control of the window, and of the page dialogs inside it, in the window's client
// coordinates.
Screen Capture(const std::string& name, HWND window) {
    Screen screen;
    screen.name = name;
    screen.window = window;
    GetClientRect(window, &screen.client);
    GetWindowRect(window, &screen.windowRect);
    std::function<void(HWND)> collect = [&](HWND parent) {
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            if (ClassOf(child) == L"#32770") {
                collect(child);  // a page
                continue;
            }
            Control control;
            control.window = child;
            control.parent = parent;
            control.id = GetDlgCtrlID(child);
            control.className = ClassOf(child);
            GetWindowRect(child, &control.rect);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&control.rect), 2);
            GetClientRect(parent, &control.parentRect);
            MapWindowPoints(parent, window, reinterpret_cast<POINT*>(&control.parentRect), 2);
            control.text = WizardDriver::DialogText(child);
            screen.controls.push_back(control);
        }
    };
    collect(window);
    return screen;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The page area's and the prompt's controls lie inside their parents and do not overlap.
void ExpectLaidOut(const Screen& screen, const std::string& scale) {
    SCOPED_TRACE(screen.name + " at " + scale);
    for (const auto& control : screen.controls) {
        const RECT& parent = control.parentRect;
        RECT inside = {};
        IntersectRect(&inside, &control.rect, &parent);
        EXPECT_TRUE(EqualRect(&inside, &control.rect))
            << "control " << control.id << " (" << ToNarrow(control.text) << ") at " << Text(control.rect)
            << " reaches past its parent's " << Text(parent);
    }
    for (size_t i = 0; i < screen.controls.size(); ++i)
        for (size_t j = i + 1; j < screen.controls.size(); ++j) {
            const Control &a = screen.controls[i], &b = screen.controls[j];
            if (a.parent != b.parent) continue;
            RECT both = {};
            EXPECT_FALSE(IntersectRect(&both, &a.rect, &b.rect))
                << "controls " << a.id << " (" << ToNarrow(a.text) << ") and " << b.id << " (" << ToNarrow(b.text)
                << ") overlap";
        }
}

const Control* Find(const Screen& screen, int id) {
    for (const auto& control : screen.controls)
        if (control.id == id) return &control;
    return nullptr;
}

class WizardScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        CUtil::DeleteTree(target);
        const std::string settings =
            "[Package]\nName=Scale Test\nNameDispl=Scale Test\nVersionString=1.0\n"
            "[LogFiles]\nExtractLogFileName=Scale Test.log\n[Languages]\nSetupLanguages=1031;1033;\n"
            "[Runtime]\nExtractPath=%TEMP%\\Scale Test\nAllowChangeTarget=1\nDisplayWelcomeImage=1\nAutoLaunch=Setup.exe\n"
            "ExtractPasswordRequired=1\nExtractionPassword=xjhwjy\n[Temporary]\nNumber=5\n"
            "[Dialogs]\nWelcomeDialog=1\nLanguageDialog=1\nLicenseDialog=1\n"
            "[LicenseFiles]\n1033=License1033.txt\n[SecurityLicenseFiles]\n1033=Security1033.txt\n";
        const std::string cabinet = MakeCabinet(folder.Path(), {{"Setup.exe", "MZ stand-in setup"}, {"ReadMe.txt", "read me"}});
        package = MakePackage(folder.Path(), L"Scale.exe", settings,
                              {{"Defaultx.ulf", Utf16File("[RADIOBUTTONSTRING]\n1031=&Deutsch\n1033=&English\n")},
                               {"License1033.txt", "The licence terms.\r\n"},
                               {"Security1033.txt", "Operate the product safely.\r\n"}},
                              &cabinet);
    }
    void TearDown() override { CUtil::DeleteTree(target); }

    // Goes through the wizard to its finish page, capturing each page and prompt on the way. With
    // atLocation, the tour ends on the location page after handing it the wizard.
    std::vector<Screen> Tour(const std::function<void(const Screen&)>& atEachScreen = nullptr,
                             const std::function<void(HWND sheet)>& atLocation = nullptr) {
        std::vector<Screen> screens;
        // The destination exists and holds a file, so the folder-delete prompt comes.
        CreateDirectoryW(target.c_str(), nullptr);
        WriteBytes(target + L"\\old.txt", "old");
        WizardDriver wizard(package);
        auto take = [&](const std::string& name, HWND window) {
            screens.push_back(Capture(name, window));
            if (atEachScreen) atEachScreen(screens.back());
        };
        EXPECT_TRUE(wizard.WaitForPage(WELCOME));
        HWND sheet = wizard.Sheet();
        take("welcome page", sheet);
        wizard.Click(NEXT);
        EXPECT_TRUE(wizard.WaitForPage(LANGUAGE));
        take("language page", sheet);
        wizard.Click(NEXT);
        HWND prompt = wizard.WaitForDialog();
        EXPECT_NE(prompt, nullptr);
        if (!prompt) return screens;
        take("password prompt", prompt);
        SetWindowTextW(GetDlgItem(prompt, 1054), L"secret");
        WizardDriver::Answer(prompt, IDOK);
        EXPECT_TRUE(wizard.WaitForPage(LICENSE));
        wizard.ClickPageControl(1020);
        wizard.ClickPageControl(1021);
        EXPECT_TRUE(wizard.WaitForButtonEnabled(NEXT, true));
        take("licence page", sheet);
        wizard.Click(NEXT);
        EXPECT_TRUE(wizard.WaitForPage(LOCATION));
        take("location page", sheet);
        if (atLocation) {
            atLocation(sheet);
            CancelWizard(sheet);
            wizard.WaitForExit();
            return screens;
        }
        // Extract only: the stand-in setup is not started at the end.
        wizard.ClickPageControl(1036);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(wizard.PageItem(1043)); }, 5000));
        wizard.Click(NEXT);
        prompt = wizard.WaitForDialog();
        EXPECT_NE(prompt, nullptr);
        if (!prompt) return screens;
        take("folder-delete prompt", prompt);
        WizardDriver::ClickDialogButton(prompt, YES);
        EXPECT_TRUE(wizard.WaitForPage(FINISH, 60000));
        take("finish page", sheet);
        wizard.Click(FINISH_BUTTON);
        EXPECT_TRUE(wizard.WaitForExit());
        return screens;
    }

    ScratchFolder folder{L"wizardscale"};
    std::wstring package;
    std::wstring target = TempFolder() + L"\\Scale Test";
};

TEST_F(WizardScaleTest, EveryPageAndPromptIsLaidOutAtEveryScale) {
    struct Scale {
        const char* name;
        int dpi;
        int messageFont;  // 0: the system's
        double factor;    // the whole scale, for the screen the sheet must fit
    };
    const Scale scales[] = {{"96 DPI", 96, 0, 1.0},       {"120 DPI", 120, 0, 1.25}, {"144 DPI", 144, 0, 1.5},
                            {"192 DPI", 192, 0, 2.0},     {"larger text", 96, -18, 1.0}};
    std::map<std::string, std::wstring> infoAt96;
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.name);
        DisplaySettings display(scale.dpi, scale.messageFont);
        std::vector<Screen> screens = Tour();
        ASSERT_EQ(screens.size(), 7u);
        for (const auto& screen : screens) {
            ExpectLaidOut(screen, scale.name);
            // The sheet fits a 1024 x 768 screen, and the proportionally larger one.
            EXPECT_LE(screen.windowRect.right - screen.windowRect.left, static_cast<int>(1024 * scale.factor)) << screen.name;
            EXPECT_LE(screen.windowRect.bottom - screen.windowRect.top, static_cast<int>(768 * scale.factor)) << screen.name;
        }
        // The location page's information line is whole at every scale: it has room for its lines.
        const Control* info = Find(screens[4], LOCATION_INFO);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->text.find(L"..."), std::wstring::npos) << ToNarrow(info->text);
        if (scale.dpi == 96 && scale.messageFont == 0) infoAt96["info"] = info->text;
        else EXPECT_EQ(info->text, infoAt96["info"]);
    }
}

TEST_F(WizardScaleTest, AChangeOfResolutionGivesTheLayoutOfAStartAtTheNewOne) {
    auto locationPage = [&](int dpi, bool change) {
        DisplaySettings display(dpi, 0);
        Screen screen;
        Tour(nullptr, [&](HWND sheet) {
            // The system sends the resolution of the new monitor; no rectangle is suggested, so the
            // sheet keeps its place.
            if (change) SendMessageW(sheet, WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
            screen = Capture("location page", sheet);
        });
        return screen;
    };
    const Screen changed = locationPage(96, true);
    const Screen started = locationPage(192, false);
    EXPECT_EQ(changed.client.right, started.client.right);
    EXPECT_EQ(changed.client.bottom, started.client.bottom);
    ASSERT_EQ(changed.controls.size(), started.controls.size());
    for (size_t i = 0; i < changed.controls.size(); ++i) {
        const Control &a = changed.controls[i], &b = started.controls[i];
        SCOPED_TRACE("control " + std::to_string(a.id) + " " + ToNarrow(a.text));
        EXPECT_EQ(a.id, b.id);
        EXPECT_TRUE(EqualRect(&a.rect, &b.rect)) << a.rect.left << "," << a.rect.top << "," << a.rect.right << ","
                                                 << a.rect.bottom << " against " << b.rect.left << "," << b.rect.top
                                                 << "," << b.rect.right << "," << b.rect.bottom;
        EXPECT_EQ(a.text, b.text);
    }
}

TEST_F(WizardScaleTest, TheUnattendedWindowIsLaidOutAtEveryScale) {
    // A payload large enough for the window to stay while it is looked at; the close question
    // holds the extraction meanwhile.
    std::vector<TestPayloadFile> payload = {{"Setup.exe", "MZ stand-in setup"}};
    for (int i = 0; i < 4; ++i) payload.push_back({"Data\\large" + std::to_string(i) + ".bin", std::string(8 << 20, static_cast<char>('a' + i))});
    const std::wstring big = BuildTestPackage(
        folder.Path(), L"Unattended.exe",
        "[Package]\nName=Scale Test\nNameDispl=Scale Test\nVersionString=1.0\n[LogFiles]\nExtractLogFileName=Scale Test.log\n",
        payload);
    const int dpis[] = {96, 120, 144, 192};
    for (int dpi : dpis) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        DisplaySettings display(dpi, 0);
        HWND progress = nullptr;
        Screen screen;
        ProgramRun run = RunExe(big, L"-unattended -extractpath=" + target, 120000, [&](HWND window) {
            if (WindowTexts(window).find(L"Do you really want to cancel?") != std::wstring::npos) {
                if (progress) screen = Capture("Unattended window", progress);
                PostMessageW(window, WM_COMMAND, IDYES, 0);
                return;
            }
            progress = window;
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        ASSERT_TRUE(run.finished);
        ASSERT_FALSE(screen.controls.empty()) << "the window was seen";
        ExpectLaidOut(screen, std::to_string(dpi) + " DPI");
        // The status line and the bar span the window at every scale.
        EXPECT_GT(screen.client.right, MulDiv(500, dpi, 96));
    }
}

TEST_F(WizardScaleTest, HighContrastShowsNoPicturesAndKeepsTheLayout) {
    // Wine cannot switch the system setting; the program's variable stands in for it.
    struct Case {
        const char* what;
        const wchar_t* variable;
        bool pictures;
    };
    const Case cases[] = {{"normal", nullptr, true}, {"high contrast", L"1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetEnvironmentVariableW(L"TRESK_HIGH_CONTRAST", c.variable);
        std::vector<Screen> screens = Tour();
        SetEnvironmentVariableW(L"TRESK_HIGH_CONTRAST", nullptr);
        ASSERT_EQ(screens.size(), 7u);
        for (const auto& screen : screens) ExpectLaidOut(screen, c.what);
        for (size_t page : {0u, 1u, 4u})
            EXPECT_EQ(Find(screens[page], 1090) != nullptr, c.pictures) << screens[page].name << ": the heading picture";
        EXPECT_EQ(Find(screens[6], 1051) != nullptr, c.pictures) << "the finish picture";
    }
}

// The accessibility id of a child of an object (CHILDID_SELF: the object itself).
VARIANT AccessibleChild(long id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// The accessible name of a child of an object; empty when it has none.
std::wstring AccessibleName(IAccessible* object, long id) {
    BSTR name = nullptr;
    object->get_accName(AccessibleChild(id), &name);
    const std::wstring text = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    if (name) SysFreeString(name);
    return text;
}

TEST_F(WizardScaleTest, EveryControlAUserCanReachHasAnAccessibleNameAndItsState) {
    CoInitialize(nullptr);

    auto check = [&](const Screen& screen) {
        SCOPED_TRACE(screen.name);
        for (const auto& control : screen.controls) {
            const LONG style = GetWindowLongW(control.window, GWL_STYLE);
            if (!(style & WS_TABSTOP) || !IsWindowEnabled(control.window)) continue;
            SCOPED_TRACE("control " + std::to_string(control.id) + " " + ToNarrow(control.className));
            IAccessible* accessible = nullptr;
            ASSERT_EQ(AccessibleObjectFromWindow(control.window, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                                 reinterpret_cast<void**>(&accessible)),
                      S_OK);
            const VARIANT self = AccessibleChild(CHILDID_SELF);
            const std::wstring named = AccessibleName(accessible, CHILDID_SELF);
            EXPECT_FALSE(named.empty()) << "no accessible name";
            // The folder edit is named by its label.
            if (control.id == 1000 && control.className == L"Edit")
                EXPECT_EQ(named, L"Extract the package to folder:");
            // The skinned buttons are push buttons.
            if (control.id == NEXT || control.id == 1001) {
                VARIANT role;
                VariantInit(&role);
                ASSERT_EQ(accessible->get_accRole(self, &role), S_OK);
                EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);
            }
            // The licence list names its rows and tells which are accepted (both are, here).
            if (control.id == LICENSE) {
                long rows = 0;
                ASSERT_EQ(accessible->get_accChildCount(&rows), S_OK);
                ASSERT_EQ(rows, 2);
                for (long row = 1; row <= rows; ++row) {
                    const VARIANT child = AccessibleChild(row);
                    EXPECT_FALSE(AccessibleName(accessible, row).empty()) << "row " << row;
                    VARIANT rowState;
                    VariantInit(&rowState);
                    ASSERT_EQ(accessible->get_accState(child, &rowState), S_OK);
                    EXPECT_NE(rowState.lVal & STATE_SYSTEM_CHECKED, 0) << "row " << row;
                }
            }
            // A check box and a radio button tell their state.
            const LONG type = style & BS_TYPEMASK;
            if ((type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON) && control.className == L"Button") {
                VARIANT state;
                VariantInit(&state);
                ASSERT_EQ(accessible->get_accState(self, &state), S_OK);
                const bool checked = SendMessageW(control.window, BM_GETCHECK, 0, 0) == BST_CHECKED;
                EXPECT_EQ((state.lVal & STATE_SYSTEM_CHECKED) != 0, checked);
            }
            accessible->Release();
        }
    };
    Tour(check);
    CoUninitialize();
}

}  // namespace
