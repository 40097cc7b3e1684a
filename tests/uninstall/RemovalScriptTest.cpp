#include "uninstall/RemovalScript.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const char ExpectedForGamesX[] =
    "@echo off\r\n"
    "choice / t 3 / d y / n > nul\r\n"
    "@echo off\r\n"
    "DEL /F /A /Q \\\\?\\\"C:\\Games\\X\"\r\n"
    "RD /S /Q \\\\?\\\"C:\\Games\\X\"";

std::string Ansi(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return ansi;
}

std::wstring Wide(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return wide;
}

// Volume and file index: the same directory whatever name reaches it.
bool SameDirectory(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION infoA = {}, infoB = {};
    for (auto item : {std::make_pair(&a, &infoA), std::make_pair(&b, &infoB)}) {
        HANDLE handle = CreateFileW(item.first->c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        GetFileInformationByHandle(handle, item.second);
        CloseHandle(handle);
    }
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// A character the ANSI code page has no exact byte for but maps to a
// look-alike ("best fit"), so a name with it has a wrong ANSI twin.
wchar_t BestFitCharacter(wchar_t* lookAlike)
{
    if (GetACP() == CP_UTF8)
        return 0;
    for (wchar_t candidate : {L'\x0101', L'\x0103', L'\x0142', L'\x0411', L'\x0E01'}) {
        const wchar_t text[2] = {candidate, 0};
        char ansi[8] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), nullptr, nullptr);
        wchar_t back[8] = {};
        MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 8);
        if (back[0] != candidate && back[0] != L'?' && back[0] != 0 && back[1] == 0) {
            *lookAlike = back[0];
            return candidate;
        }
    }
    return 0;
}

} // namespace

TEST(UninstallScript, ScriptForGamesXIsTheFiveLinesByteForByte)
{
    const std::string script = ComposeRemovalScript("C:\\Games\\X");
    EXPECT_EQ(script, std::string(ExpectedForGamesX));
    // Spelled out once more as lines: the last has no line end.
    ASSERT_GE(script.size(), 2u);
    EXPECT_NE(script.substr(script.size() - 2), "\r\n");
    size_t lines = 1;
    for (size_t at = script.find("\r\n"); at != std::string::npos; at = script.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 5u);
    EXPECT_NE(script.find("\nchoice / t 3 / d y / n > nul\r\n"), std::string::npos);
}

TEST(UninstallScript, PercentSignsAreDoubledSoNothingIsExpanded)
{
    const std::string script = ComposeRemovalScript("C:\\Games\\100%PATH%");
    EXPECT_NE(script.find("DEL /F /A /Q \\\\?\\\"C:\\Games\\100%%PATH%%\"\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("RD /S /Q \\\\?\\\"C:\\Games\\100%%PATH%%\""), std::string::npos) << script;
    // Every run of % has even length: the interpreter turns each pair back into one.
    size_t run = 0;
    for (char c : script + " ") {
        if (c == '%') {
            ++run;
        } else {
            EXPECT_EQ(run % 2, 0u) << script;
            run = 0;
        }
    }
    EXPECT_NE(ComposeRemovalScript("C:\\%%\\%").find("\"C:\\%%%%\\%%\""), std::string::npos);
}

TEST(UninstallScript, ScriptThatDoesNotFitIsRefusedNotCut)
{
    // 88 fixed bytes and the name twice must stay below 1024.
    EXPECT_EQ(ComposeRemovalScript(std::string(467, 'a')).size(), 1022u);
    EXPECT_TRUE(ComposeRemovalScript(std::string(468, 'a')).empty());
    // Doubling counts.
    EXPECT_FALSE(ComposeRemovalScript(std::string(233, '%') + "a").empty());
    EXPECT_TRUE(ComposeRemovalScript(std::string(234, '%')).empty());
}

TEST(UninstallScript, WorkingDirectoryIsTheParent)
{
    EXPECT_EQ(ParentDirectory("C:\\Games\\X"), "C:\\Games");
    EXPECT_EQ(ParentDirectory("C:\\X"), "C:\\");
    EXPECT_EQ(ParentDirectory("\\\\server\\share\\X"), "\\\\server\\share");
    EXPECT_EQ(ParentDirectory("X"), "");
}

TEST(UninstallScript, AsciiDirectoryKeepsItsNameAndOthersGetNoScript)
{
    TempDir temp;
    EXPECT_EQ(ScriptDirectoryForm(temp.path()), Ansi(temp.path()));
    EXPECT_EQ(ScriptDirectoryForm(L"C:\\H\\keep!x! & (y)"), "C:\\H\\keep!x! & (y)");
    // The command line would expand it; a share cannot be the working folder.
    EXPECT_EQ(ScriptDirectoryForm(L"C:\\Games\\100%PATH%"), "");
    EXPECT_EQ(ScriptDirectoryForm(L"\\\\server\\share\\ZQLumavex"), "");
    EXPECT_EQ(ScriptDirectoryForm(L"\\\\?\\UNC\\server\\share\\ZQLumavex"), "");
    EXPECT_EQ(ScriptDirectoryForm(L""), "");
}

TEST(UninstallScript, InterpreterRunsWithoutAutoRunOrDelayedExpansionAndKeepsTheNameQuoted)
{
    EXPECT_EQ(ScriptCommandLine(L"C:\\Windows\\System32\\cmd.exe", L"C:\\A & B (x86)\\velmor_uninstall.bat"),
              L"\"C:\\Windows\\System32\\cmd.exe\" /s /d /v:off /c \"\"C:\\A & B (x86)\\velmor_uninstall.bat\"\"");
}

TEST(UninstallScript, LossyDirectoryGetsItsShortFormNeverTheLookAlike)
{
    wchar_t lookAlike = 0;
    const wchar_t special = BestFitCharacter(&lookAlike);
    if (!special)
        GTEST_SKIP() << "code page " << GetACP() << " represents every candidate exactly";
    TempDir temp;
    // The best-fit twin exists: a lossy conversion would name it.
    const std::wstring lossy = temp.path() + L"\\game-" + special + L"-dir";
    const std::wstring twin = temp.path() + L"\\game-" + lookAlike + L"-dir";
    ASSERT_TRUE(CreateDirectoryW(lossy.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(twin.c_str(), nullptr));

    const std::string form = ScriptDirectoryForm(lossy);
    ASSERT_FALSE(form.empty()) << "no short name for the directory";
    EXPECT_NE(form, Ansi(twin));
    EXPECT_TRUE(SameDirectory(Wide(form), lossy)) << form;
    EXPECT_FALSE(SameDirectory(Wide(form), twin)) << form;

    // No directory, no short name: no form at all.
    EXPECT_EQ(ScriptDirectoryForm(temp.path() + L"\\gone-" + special), "");
}

TEST(UninstallScript, NonAsciiDirectoryIsWrittenAsItsAsciiShortForm)
{
    // The interpreter reads scripts in the OEM code page: the ANSI byte of
    // "é" names another character there.
    const std::wstring accented = L"caf\u00E9-dir";
    if (Ansi(accented).empty() || Wide(Ansi(accented)) != accented)
        GTEST_SKIP() << "code page " << GetACP() << " has no exact form of the name";
    TempDir temp;
    const std::wstring dir = temp.path() + L"\\" + accented;
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));

    const std::string form = ScriptDirectoryForm(dir);
    wchar_t shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(dir.c_str(), shortName, MAX_PATH);
    ASSERT_GT(length, 0u);
    const bool asciiShortName =
        std::all_of(shortName, shortName + length, [](wchar_t c) { return c < 0x80; });
    if (asciiShortName) {
        EXPECT_TRUE(SameDirectory(Wide(form), dir)) << form;
        EXPECT_TRUE(std::all_of(form.begin(), form.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            << form;
    } else {
        EXPECT_EQ(form, "") << "no ASCII name: no script";
    }
}

TEST(UninstallScript, OldScriptThatCannotBeReplacedIsNotStarted)
{
    TempDir temp;
    const std::wstring script = temp.File(L"velmor_uninstall.bat");
    temp.Write(L"velmor_uninstall.bat", "rem old\r\n");
    {
        // Held open by someone else: it cannot be rewritten.
        HANDLE holder = CreateFileW(script.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(WriteRemovalScript(Ansi(temp.path())));
        CloseHandle(holder);
    }
    EXPECT_EQ(ReadWholeFile(script), "rem old\r\n");

    // A folder of that name cannot be written either.
    ASSERT_TRUE(DeleteFileW(script.c_str()));
    ASSERT_TRUE(CreateDirectoryW(script.c_str(), nullptr));
    EXPECT_FALSE(WriteRemovalScript(Ansi(temp.path())));
}

TEST(UninstallScript, ScriptNameThatDoesNotFitIsRefused)
{
    TempDir temp;
    // <dir>\velmor_uninstall.bat must stay below 260 bytes.
    const std::string base = Ansi(temp.path()) + "\\";
    const std::string tooLong = base + std::string(239 - base.size(), 'd');
    ASSERT_EQ(tooLong.size() + 1 + 20, 260u);
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));
    EXPECT_FALSE(WriteRemovalScript(tooLong));
    EXPECT_EQ(GetFileAttributesA((tooLong + "\\velmor_uninstall.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(WriteRemovalScript(""));
}
