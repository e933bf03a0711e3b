// Choosing and testing the extraction folder, and the drive for the package temporary folder.
#include <gtest/gtest.h>

#include "../common/Environment.h"
#include "TestSupport.h"
#include "package/ExtractorValidator.h"
#include "package/QirvaInitalizer.h"
#include "text/Utf.h"

namespace {

// Every spelling of a folder that Windows accepts comes to one normal form, the one the program
// validates, logs and stores.
TEST(ExtractPath, EverySpellingOfAFolderHasOneNormalForm) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    const Case cases[] = {
        {L" C:\\ Temp \\\\Pkg ", L"C:\\Temp\\Pkg"},
        {L"D:\\Pkg\\", L"D:\\Pkg"},
        {L"  D:\\Pkg\\  ", L"D:\\Pkg"},
        {L"C:\\", L"C:"},
        {L"\\\\server\\share\\\\dir\\", L"\\\\server\\share\\dir"},
        {L"\\..\\Pkg", L"\\..\\Pkg"},
        {L"..\\Pkg", L"..\\Pkg"},
        {L"", L""},
        // Forward slashes, mixed and repeated separators.
        {L"P:/apps/product", L"P:\\apps\\product"},
        {L"P:/apps\\product/", L"P:\\apps\\product"},
        {L"P:\\\\apps//\\product\\\\", L"P:\\apps\\product"},
        {L"P:/", L"P:"},
        {L"//server/share/dir", L"\\\\server\\share\\dir"},
        {L"/apps", L"\\apps"},
        // The long and the device prefix of a drive path, in either separator.
        {L"\\\\?\\P:\\apps\\product", L"P:\\apps\\product"},
        {L"\\\\?\\P:\\apps\\product\\", L"P:\\apps\\product"},
        {L"\\\\.\\P:\\apps\\product", L"P:\\apps\\product"},
        {L"//?/P:/apps/product", L"P:\\apps\\product"},
        {L"\\\\?\\P:\\", L"P:"},
        // The long prefix of a network path.
        {L"\\\\?\\UNC\\server\\share\\dir", L"\\\\server\\share\\dir"},
        {L"\\\\?\\unc\\server\\share\\\\dir\\", L"\\\\server\\share\\dir"},
        {L"\\\\.\\UNC\\server\\share", L"\\\\server\\share"},
        // Prefixes that lead to no drive or share keep their form, which the validator refuses.
        {L"\\\\?\\Volume{0}\\dir", L"\\\\?\\Volume{0}\\dir"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeFolderText(c.in), c.out) << ::testing::PrintToString(std::wstring(c.in));
}

TEST(ExtractPath, EnoughSpaceIncludesTheExactAmount) {
    EXPECT_TRUE(HasEnoughSpace(100, 100));
    EXPECT_TRUE(HasEnoughSpace(101, 100));
    EXPECT_FALSE(HasEnoughSpace(99, 100));
    EXPECT_TRUE(HasEnoughSpace(0, 0));
    EXPECT_TRUE(HasEnoughSpace(0, -5));
}

TEST(TempFolderDrives, FixedDrivesWithRoomNearestToZFirst) {
    std::vector<DriveFacts> drives = {
        {L"A:\\", false, 1000}, {L"C:\\", true, 5000}, {L"D:\\", true, 5000},
        {L"E:\\", true, 10},    {L"F:\\", false, 9999}, {L"G:\\", true, 4096},
    };
    TextList roots = TempFolderDrives(drives, 4096);
    EXPECT_EQ(std::vector<std::wstring>(roots.begin(), roots.end()),
              (std::vector<std::wstring>{L"G:\\", L"D:\\", L"C:\\"}));
    EXPECT_TRUE(TempFolderDrives(drives, 4294967296LL).empty());
    EXPECT_TRUE(TempFolderDrives({}, 1).empty());
}

class ValidatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = folder / L"Properties_Qirva.ini";
        validator.SetSettingsPath(settings);
    }
    void Settings(const std::string& text) { WriteBytes(settings, EncodeUtf16LeWithBom(text)); }
    ScratchFolder folder{L"validator"};
    std::wstring settings;
    CExtractorValidator validator;
};

TEST_F(ValidatorTest, RequiredSpaceAddsTheCabinetOnTheTemporaryFoldersDrive) {
    Settings("[Size]\nPackageSize=3690351836\nCabSize=1000\n");
    EXPECT_EQ(validator.GetRequiredSpace(L"C:\\{X}\\", L"C:\\Pkg", 0), 3690352836LL);
    EXPECT_EQ(validator.GetRequiredSpace(L"C:\\{X}\\", L"c:\\Pkg", 0), 3690352836LL);
    EXPECT_EQ(validator.GetRequiredSpace(L"C:\\{X}\\", L"D:\\Pkg", 0), 3690351836LL);
    EXPECT_EQ(validator.GetRequiredSpace(L"C:\\{X}\\", L"C:\\Pkg", 1), 3690351836LL);  // parts are not unpacked
    Settings("[Size]\n");
    EXPECT_EQ(validator.GetRequiredSpace(L"C:\\{X}\\", L"C:\\Pkg", 0), 0);
}

TEST_F(ValidatorTest, ValidatesNormalisesAndStoresTheFolder) {
    Settings("[Runtime]\nExtractPathMaxLength=80\n");
    std::wstring target = L"  " + folder.Path() + L"\\ New \\\\Pkg  ";
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(target, 0, 0), 0);
    EXPECT_EQ(target, folder / L"New\\Pkg\\");

    std::wstring tooLong = folder.Path() + L"\\" + std::wstring(90, L'x');
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(tooLong, 0, 0), 206);
    std::wstring invalid = L"C:\\a*b";
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(invalid, 0, 0), 161);
    std::wstring full = folder.Path();
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(full, 0, 999999999999999999LL), -1);
}

TEST_F(ValidatorTest, EverySpellingOfTheFolderEndsInIt) {
    const std::wstring intended = folder / L"Spelled\\Target\\";
    const std::wstring plain = intended.substr(0, intended.size() - 1);
    auto slashes = [](std::wstring text) {
        for (auto& c : text)
            if (c == L'\\') c = L'/';
        return text;
    };
    auto doubled = [](const std::wstring& text) {
        std::wstring result;
        for (wchar_t c : text) result += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
        return result;
    };
    const std::wstring spellings[] = {
        plain,
        slashes(plain),
        slashes(plain) + L"/",
        plain.substr(0, 3) + slashes(plain.substr(3, 10)) + plain.substr(13) + L"\\",
        L"\\\\?\\" + plain,
        L"\\\\?\\" + plain + L"\\",
        L"\\\\.\\" + plain,
        L"//?/" + slashes(plain),
        plain.substr(0, 2) + doubled(plain.substr(2)) + L"\\\\",
        L"  " + slashes(plain) + L"  ",
    };
    for (const auto& spelling : spellings) {
        std::wstring chosen = spelling;
        EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(chosen, 0, 0), 0) << ::testing::PrintToString(spelling);
        EXPECT_EQ(chosen, intended) << ::testing::PrintToString(spelling);
        // The attached cabinet is counted on the drive the spelling names.
        Settings("[Size]\nPackageSize=10\nCabSize=5\n");
        EXPECT_EQ(validator.GetRequiredSpace(plain.substr(0, 3) + L"{X}\\", spelling, 0), 15)
            << ::testing::PrintToString(spelling);
        Settings("");
    }
    // The command line's candidate too: the asked folder is used, not the next candidate.
    EXPECT_EQ(validator.GetFinalExtractPathParam(L"\\\\?\\" + plain, L"Demo", L"C:\\{X}\\", 0), intended);
    EXPECT_EQ(validator.GetFinalExtractPathParam(slashes(plain), L"Demo", L"C:\\{X}\\", 0), intended);
}

TEST_F(ValidatorTest, MessagesForInvalidPathsAndSpace) {
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(161, L"C:\\x", 0), L"Invalid path: C:\\x");
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(5, L"C:\\x", 0),
              L"Please check the permission of the path: C:\\x");
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(82, L"\\\\s\\x", 0),
              L"You cannot extract to the folder: \\\\s\\x. Please choose another directory.");
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(206, L"C:\\x", 0),
              L"The path you have specified is too long.\nPlease specify a different path.");
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(400, L"C:\\x", 0),
              L"The path you have specified is too long.\nPlease specify a different path.");
    EXPECT_EQ(validator.ErrorMessagesForInvalidPath(3, L"C:\\x", 0), L"");

    std::wstring message;
    EXPECT_EQ(validator.CheckFreeSpace(folder.Path(), 1048576, message), 1);
    EXPECT_EQ(message.substr(0, 6 + folder.Path().size()), L"Drive " + folder.Path());
    EXPECT_NE(message.find(L"\nRequired space: 1024.00 KB"), std::wstring::npos);
    EXPECT_EQ(validator.CheckFreeSpace(folder.Path(), 999999999999999999LL, message), 0);
    EXPECT_EQ(message.substr(0, 36), L"There is not sufficient space on dri");
    EXPECT_EQ(validator.CheckFreeSpace(L"Q:\\nowhere", 1, message), 0);
    EXPECT_EQ(message, L"Please check the path : Q:\\nowhere");
}

TEST_F(ValidatorTest, CandidatesInOrder) {
    Settings("[Runtime]\nExtractPath=S:\\Pkg\n[Package]\nName=Demo\n");
    // Command line first; when it fails the package's folder, then %TEMP%\<name>.
    std::wstring chosen = validator.GetFinalExtractPathParam(folder / L"FromCommandLine", L"Demo", L"C:\\{X}\\", 0);
    EXPECT_EQ(chosen, folder / L"FromCommandLine\\");
    chosen = validator.GetFinalExtractPathParam(L"R:\\Pkg", L"Demo", L"C:\\{X}\\", 0);
    const std::wstring temp = TempFolder();
    EXPECT_EQ(chosen, temp + L"\\Demo\\");
    Settings("[Runtime]\nExtractPath=%TEMP%\\FromSettings\n");
    EXPECT_EQ(validator.GetFinalExtractPathParam(L"", L"Demo", L"C:\\{X}\\", 0),
              temp + L"\\FromSettings\\");
}

}  // namespace
