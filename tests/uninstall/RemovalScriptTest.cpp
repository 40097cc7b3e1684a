#include "uninstall/RemovalScript.h"

#include "DirectoryLinks.h"
#include "TestFiles.h"
#include "base/ScopedHandles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const char ExpectedForGamesX[] =
    "@echo off\r\n"
    "set \"target=C:\\Games\\X\"\r\n"
    "set /a tries=0\r\n"
    ":wait\r\n"
    "if not exist \"%target%\\Uninstall.exe\\*\" del /f /q /a:-d-l \"%target%\\Uninstall.exe\" >nul 2>nul\r\n"
    "if not exist \"%target%\\Uninstall.exe\" goto gone\r\n"
    "set /a tries+=1\r\n"
    "if %tries% geq 30 goto gone\r\n"
    "ping -n 2 127.0.0.1 >nul\r\n"
    "goto wait\r\n"
    ":gone\r\n"
    "if not exist \"%target%\\Lumarion.exe\\*\" del /f /q /a:-d-l \"%target%\\Lumarion.exe\" >nul 2>nul\r\n"
    "if not exist \"%target%\\Config.ini\\*\" del /f /q /a:-d-l \"%target%\\Config.ini\" >nul 2>nul\r\n"
    "del /f /q /a:-d-l \"%target%\\velmor_uninstall.bat\" >nul 2>nul & rd \"%target%\" >nul 2>nul\r\n";

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

TEST(UninstallScript, ScriptForGamesXNamesOnlyOurEntriesAndWaitsByteForByte)
{
    EXPECT_EQ(ComposeRemovalScript("C:\\Games\\X"), std::string(ExpectedForGamesX));
}

TEST(UninstallScript, PercentSignsAreDoubledSoNothingIsExpanded)
{
    const std::string script = ComposeRemovalScript("C:\\Games\\100%PATH%");
    EXPECT_NE(script.find("set \"target=C:\\Games\\100%%PATH%%\"\r\n"), std::string::npos) << script;
    EXPECT_NE(ComposeRemovalScript("C:\\%%\\%").find("\"target=C:\\%%%%\\%%\""), std::string::npos);
}

TEST(UninstallScript, ScriptThatDoesNotFitIsRefusedNotCut)
{
    // The fixed text and the name once must stay below 1024 bytes.
    const size_t fixed = ComposeRemovalScript("").size();
    ASSERT_GT(fixed, 0u);
    EXPECT_EQ(ComposeRemovalScript(std::string(1023 - fixed, 'a')).size(), 1023u);
    EXPECT_TRUE(ComposeRemovalScript(std::string(1024 - fixed, 'a')).empty());
    // Doubling counts.
    EXPECT_TRUE(ComposeRemovalScript(std::string((1024 - fixed + 1) / 2, '%')).empty());
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

TEST(UninstallScript, WhateverStandsAtTheScriptNameIsNeitherReplacedNorStarted)
{
    TempDir temp;
    DirectoryIdentity examined;
    ASSERT_TRUE(IdentifyDirectory(temp.path(), &examined));
    const std::wstring script = temp.File(L"velmor_uninstall.bat");
    temp.Write(L"velmor_uninstall.bat", "rem old\r\n");
    EXPECT_FALSE(WriteRemovalScript(Ansi(temp.path()), examined));
    EXPECT_EQ(ReadWholeFile(script), "rem old\r\n");

    // A folder of that name cannot be written either.
    ASSERT_TRUE(DeleteFileW(script.c_str()));
    ASSERT_TRUE(CreateDirectoryW(script.c_str(), nullptr));
    EXPECT_FALSE(WriteRemovalScript(Ansi(temp.path()), examined));
}

TEST(UninstallScript, ScriptNameThatDoesNotFitIsRefused)
{
    TempDir temp;
    // <dir>\velmor_uninstall.bat must stay below 260 bytes.
    const std::string base = Ansi(temp.path()) + "\\";
    const std::string tooLong = base + std::string(239 - base.size(), 'd');
    ASSERT_EQ(tooLong.size() + 1 + 20, 260u);
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));
    DirectoryIdentity examined;
    ASSERT_TRUE(IdentifyDirectory(Wide(tooLong), &examined));
    EXPECT_FALSE(WriteRemovalScript(tooLong, examined));
    EXPECT_EQ(GetFileAttributesA((tooLong + "\\velmor_uninstall.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(WriteRemovalScript("", examined));
}

TEST(UninstallScript, OnlyTheExaminedDirectoryItselfGetsAScript)
{
    TempDir temp;
    const std::wstring examinedDir = temp.File(L"ZQLumavex");
    const std::wstring other = temp.File(L"Photos");
    ASSERT_TRUE(CreateDirectoryW(examinedDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    DirectoryIdentity examined;
    ASSERT_TRUE(IdentifyDirectory(examinedDir, &examined));

    // Another directory (a short name's sibling, a folder put in its place).
    EXPECT_FALSE(WriteRemovalScript(Ansi(other), examined));
    EXPECT_FALSE(PathExists(other + L"\\velmor_uninstall.bat"));

    // A link to the very directory that was examined, put in its place.
    const std::wstring link = temp.File(L"swapped");
    const LinkRemover remover(link);
    ASSERT_TRUE(CreateDirectoryLink(link, examinedDir));
    EXPECT_FALSE(WriteRemovalScript(Ansi(link), examined));
    EXPECT_FALSE(PathExists(examinedDir + L"\\velmor_uninstall.bat"));
    DirectoryIdentity throughLink;
    EXPECT_FALSE(IdentifyDirectory(link, &throughLink));
}

namespace {

// Runs `script` for `dir` with the system's own command interpreter, as the
// uninstaller starts it.
ScopedHandle RunScript(const std::wstring& dir, const std::string& script)
{
    const std::wstring file = dir + L"\\velmor_uninstall.bat";
    {
        ScopedHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        DWORD written = 0;
        if (!out || out.get() == INVALID_HANDLE_VALUE ||
            !WriteFile(out.get(), script.data(), static_cast<DWORD>(script.size()), &written, nullptr))
            return ScopedHandle();
    }
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring interpreter = std::wstring(windows) + L"\\System32\\cmd.exe";
    std::wstring commandLine = ScriptCommandLine(interpreter, file);
    const std::wstring parent = dir.substr(0, dir.rfind(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(interpreter.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        parent.c_str(), &startup, &process))
        return ScopedHandle();
    CloseHandle(process.hThread);
    return ScopedHandle(process.hProcess);
}

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    ASSERT_TRUE(file && file.get() != INVALID_HANDLE_VALUE) << GetLastError();
}

} // namespace

TEST(UninstallScript, RealInterpreterWaitsForTheUninstallerAndDeletesOnlyWhatTheScriptNames)
{
    TempDir temp;
    const std::wstring dir = temp.File(L"ZQLumavex");
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    MakeFile(dir + L"\\Uninstall.exe");
    MakeFile(dir + L"\\Lumarion.exe", FILE_ATTRIBUTE_READONLY);
    // Put in meanwhile: a file, a folder, and a folder with one of our names.
    MakeFile(dir + L"\\late.sav");
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\latedir").c_str(), nullptr));
    MakeFile(dir + L"\\latedir\\x.txt");
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\Config.ini").c_str(), nullptr));
    MakeFile(dir + L"\\Config.ini\\user.txt");

    // The running uninstaller: its file cannot be deleted until it ends.
    ScopedHandle uninstaller(CreateFileW((dir + L"\\Uninstall.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(uninstaller.get(), INVALID_HANDLE_VALUE);
    const ScopedHandle interpreter = RunScript(dir, ComposeRemovalScript(Ansi(dir)));
    ASSERT_TRUE(interpreter);
    EXPECT_EQ(WaitForSingleObject(interpreter.get(), 2500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the script did not wait for the uninstaller";
    uninstaller.reset();
    ASSERT_EQ(WaitForSingleObject(interpreter.get(), 20000), WAIT_OBJECT_0);

    for (const wchar_t* gone : {L"Uninstall.exe", L"Lumarion.exe", L"velmor_uninstall.bat"})
        EXPECT_FALSE(PathExists(dir + L"\\" + gone)) << testing::PrintToString(std::wstring(gone));
    for (const wchar_t* kept : {L"late.sav", L"latedir\\x.txt", L"Config.ini\\user.txt"})
        EXPECT_TRUE(PathExists(dir + L"\\" + kept)) << testing::PrintToString(std::wstring(kept));
}
