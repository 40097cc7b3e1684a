#include "uninstall/InstallGuard.h"
#include "uninstall/UninstallNames.h"

#include "DirectoryLinks.h"
#include "TestFiles.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring ShellFolderPath(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        result = path;
    CoTaskMemFree(path);
    return result;
}

// Puts a "Lumarion.exe" into a folder for one test and takes it away again,
// so refusals cannot come from a missing client program.
class PlacedClient {
public:
    explicit PlacedClient(const std::wstring& folder) : file(folder + L"\\Lumarion.exe")
    {
        existed = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!existed) {
            HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
        }
    }
    ~PlacedClient()
    {
        if (!existed)
            DeleteFileW(file.c_str());
    }
    PlacedClient(const PlacedClient&) = delete;
    PlacedClient& operator=(const PlacedClient&) = delete;
    bool ok() const { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::wstring file;
    bool existed = false;
};

} // namespace

TEST(UninstallGuard, DriveAndShareRootsAreRecognised)
{
    for (const wchar_t* root : {L"C:", L"C:\\", L"d:", L"\\\\server\\share", L"\\\\server\\share\\",
                                L"\\\\server", L"\\\\?\\C:", L"\\\\?\\C:\\", L"\\\\?\\UNC\\server\\share", L"\\"})
        EXPECT_TRUE(IsDriveOrShareRoot(root)) << root;
    for (const wchar_t* dir : {L"C:\\Games", L"C:\\Games\\X", L"\\\\server\\share\\Games",
                               L"\\\\?\\C:\\Games", L"\\\\?\\UNC\\server\\share\\Games", L""})
        EXPECT_FALSE(IsDriveOrShareRoot(dir)) << dir;
}

TEST(UninstallGuard, OnlyAFolderOfNothingButOurOwnFilesIsRemovedWhole)
{
    TempDir temp;
    EXPECT_EQ(ChooseFolderRemoval(temp.path()), FolderRemoval::Nothing) << "no client: no installation";
    ASSERT_TRUE(CreateDirectoryW(temp.File(L"Lumarion.exe").c_str(), nullptr));
    EXPECT_EQ(ChooseFolderRemoval(temp.path()), FolderRemoval::Nothing) << "a folder named Lumarion.exe is no client";
    RemoveDirectoryW(temp.File(L"Lumarion.exe").c_str());
    temp.Write(L"Lumarion.exe", "MZ");
    temp.Write(L"CONFIG.INI", "[Common]");
    temp.Write(L"velmor_uninstall.bat", "rem");
    EXPECT_EQ(ChooseFolderRemoval(temp.path()), FolderRemoval::Whole);
    EXPECT_EQ(ChooseFolderRemoval(temp.path() + L"\\"), FolderRemoval::Whole);

    temp.Write(L"notes.txt", "mine");
    EXPECT_EQ(ChooseFolderRemoval(temp.path()), FolderRemoval::OwnFilesOnly);
    DeleteFileW(temp.File(L"notes.txt").c_str());
    ASSERT_TRUE(CreateDirectoryW(temp.File(L"Uninstall.exe").c_str(), nullptr));
    EXPECT_EQ(ChooseFolderRemoval(temp.path()), FolderRemoval::OwnFilesOnly) << "a folder is never ours";
    RemoveDirectoryW(temp.File(L"Uninstall.exe").c_str());

    EXPECT_EQ(ChooseFolderRemoval(L""), FolderRemoval::Nothing);
    PlacedClient rootClient(L"C:");
    ASSERT_TRUE(rootClient.ok());
    EXPECT_EQ(ChooseFolderRemoval(L"C:"), FolderRemoval::Nothing) << "a drive root keeps everything";
}

TEST(UninstallGuard, FailedLookupRefusesEveryFolder)
{
    TempDir temp;
    EXPECT_TRUE(PassesGuard(temp.path(), {}));
    EXPECT_FALSE(PassesGuard(temp.path(), {L"C:\\elsewhere", L""}));
    EXPECT_FALSE(PassesGuard(temp.path(), {temp.File(L"inside")}));
}

TEST(UninstallGuard, ProgramFolderUnderProgramFilesIsAccepted)
{
    const std::wstring dir = ShellFolderPath(CSIDL_PROGRAM_FILES) + L"\\LumGuard-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    {
        PlacedClient client(dir);
        ASSERT_TRUE(client.ok());
        EXPECT_EQ(ChooseFolderRemoval(dir), FolderRemoval::Whole);
    }
    RemoveDirectoryW(dir.c_str());
}

// One test: the folders are shared by every test of the run.
TEST(UninstallGuard, SpecialFoldersAreRefusedUnderAnyNameEvenWithTheClientInThem)
{
    const std::vector<std::wstring> guarded = ProtectedFolders();
    const auto listed = [&](const std::wstring& folder) {
        for (const std::wstring& entry : guarded) {
            if (CompareStringOrdinal(entry.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL)
                return true;
        }
        return false;
    };
    const std::vector<std::pair<const char*, std::wstring>> folders = {
        {"Windows", ShellFolderPath(CSIDL_WINDOWS)},
        {"system", ShellFolderPath(CSIDL_SYSTEM)},
        {"program files", ShellFolderPath(CSIDL_PROGRAM_FILES)},
        {"program files (x86)", ShellFolderPath(CSIDL_PROGRAM_FILESX86)},
        {"common files", ShellFolderPath(CSIDL_PROGRAM_FILES_COMMON)},
        {"profiles root", KnownFolder(FOLDERID_UserProfiles)},
        {"profile", ShellFolderPath(CSIDL_PROFILE)},
        {"desktop", ShellFolderPath(CSIDL_DESKTOPDIRECTORY)},
        {"documents", ShellFolderPath(CSIDL_PERSONAL)},
        {"downloads", KnownFolder(FOLDERID_Downloads)},
        {"music", ShellFolderPath(CSIDL_MYMUSIC)},
        {"pictures", ShellFolderPath(CSIDL_MYPICTURES)},
        {"videos", ShellFolderPath(CSIDL_MYVIDEO)},
        {"favorites", ShellFolderPath(CSIDL_FAVORITES)},
        {"saved games", KnownFolder(FOLDERID_SavedGames)},
        {"Start menu", ShellFolderPath(CSIDL_STARTMENU)},
        {"Programs", ShellFolderPath(CSIDL_PROGRAMS)},
        {"application data", ShellFolderPath(CSIDL_APPDATA)},
        {"local application data", ShellFolderPath(CSIDL_LOCAL_APPDATA)},
        {"program data", ShellFolderPath(CSIDL_COMMON_APPDATA)},
        {"public", KnownFolder(FOLDERID_Public)},
        {"public desktop", ShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY)},
        {"public documents", ShellFolderPath(CSIDL_COMMON_DOCUMENTS)},
        {"public downloads", KnownFolder(FOLDERID_PublicDownloads)},
        {"public music", ShellFolderPath(CSIDL_COMMON_MUSIC)},
        {"public pictures", ShellFolderPath(CSIDL_COMMON_PICTURES)},
        {"public videos", ShellFolderPath(CSIDL_COMMON_VIDEO)},
        {"common Start menu", ShellFolderPath(CSIDL_COMMON_STARTMENU)},
        {"common Programs", ShellFolderPath(CSIDL_COMMON_PROGRAMS)},
    };
    for (const auto& folder : folders) {
        ASSERT_FALSE(folder.second.empty()) << folder.first;
        // Listed itself: a parent of another listed folder would be refused
        // anyway, and then dropping it would go unnoticed.
        EXPECT_TRUE(listed(folder.second)) << folder.first << ": " << testing::PrintToString(folder.second);
        PlacedClient client(folder.second);
        ASSERT_TRUE(client.ok()) << folder.first;
        EXPECT_FALSE(PassesGuard(folder.second, guarded)) << folder.first;
        EXPECT_NE(ChooseFolderRemoval(folder.second), FolderRemoval::Whole) << folder.first;
    }

    // Under other names: short, other case, long-path prefix, a link.
    const std::wstring programFiles = ShellFolderPath(CSIDL_PROGRAM_FILES);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(programFiles.c_str(), shortName, MAX_PATH), 0u);
    EXPECT_NE(std::wstring(shortName), programFiles);
    EXPECT_FALSE(PassesGuard(shortName, guarded)) << testing::PrintToString(std::wstring(shortName));

    const std::wstring profile = ShellFolderPath(CSIDL_PROFILE);
    std::wstring upper = profile;
    CharUpperW(&upper[0]);
    EXPECT_FALSE(PassesGuard(upper, guarded));
    EXPECT_FALSE(PassesGuard(L"\\\\?\\" + profile, guarded));

    TempDir temp;
    const std::wstring link = temp.File(L"alias");
    const LinkRemover remover(link);
    ASSERT_TRUE(CreateDirectoryLink(link, profile)) << GetLastError();
    EXPECT_FALSE(PassesGuard(link, guarded));
}

TEST(UninstallGuard, SetupInstallsOnlyWhatTheUninstallerKnowsAsItsOwn)
{
    const std::string path = SETUP_SCRIPT;
    const std::string script = ReadWholeFile(WindowsPathOf(std::wstring(path.begin(), path.end())));
    ASSERT_FALSE(script.empty()) << path;
    std::set<std::string> defined;
    const std::regex own("!define OWN_\\w+ \"([^\"]*)\"");
    for (std::sregex_iterator it(script.begin(), script.end(), own), end; it != end; ++it)
        defined.insert((*it)[1].str());
    std::set<std::string> known;
    for (const wchar_t* name : OwnEntries) {
        const std::wstring wide(name);
        known.insert(std::string(wide.begin(), wide.end()));
    }
    EXPECT_EQ(defined, known);

    // Every installed file is named by one of those.
    const std::regex file("\\n\\s*File\\s+([^\\r\\n]*)");
    int files = 0;
    for (std::sregex_iterator it(script.begin(), script.end(), file), end; it != end; ++it, ++files)
        EXPECT_EQ((*it)[1].str().rfind("\"/oname=${OWN_", 0), 0u) << (*it)[1].str();
    EXPECT_EQ(files, 3);
}
