#include "uninstall/InstallGuard.h"

#include "DirectoryLinks.h"
#include "TestFiles.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

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

std::wstring Downloads()
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, KF_FLAG_CREATE, nullptr, &path)))
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

std::wstring ParentOf(const std::wstring& path)
{
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

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

TEST(UninstallGuard, OwnFolderHoldingTheClientIsAccepted)
{
    TempDir temp;
    EXPECT_FALSE(IsOwnInstallation(temp.path()));
    ASSERT_TRUE(CreateDirectoryW(temp.File(L"Lumarion.exe").c_str(), nullptr));
    EXPECT_FALSE(IsOwnInstallation(temp.path())) << "a folder named Lumarion.exe is no client";
    RemoveDirectoryW(temp.File(L"Lumarion.exe").c_str());
    temp.Write(L"Lumarion.exe", "MZ");
    EXPECT_TRUE(IsOwnInstallation(temp.path()));
    EXPECT_TRUE(IsOwnInstallation(temp.path() + L"\\"));
    EXPECT_FALSE(IsOwnInstallation(L""));
}

TEST(UninstallGuard, ProgramFolderUnderProgramFilesIsAccepted)
{
    const std::wstring dir = ShellFolderPath(CSIDL_PROGRAM_FILES) + L"\\LumGuard-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    {
        PlacedClient client(dir);
        ASSERT_TRUE(client.ok());
        EXPECT_TRUE(IsOwnInstallation(dir));
    }
    RemoveDirectoryW(dir.c_str());
}

// One test: the folders are shared by every test of the run.
TEST(UninstallGuard, SpecialFoldersAreRefusedUnderAnyNameEvenWithTheClientInThem)
{
    const std::vector<std::pair<const char*, std::wstring>> folders = {
        {"Windows", ShellFolderPath(CSIDL_WINDOWS)},
        {"system", ShellFolderPath(CSIDL_SYSTEM)},
        {"program files", ShellFolderPath(CSIDL_PROGRAM_FILES)},
        {"program files (x86)", ShellFolderPath(CSIDL_PROGRAM_FILESX86)},
        {"profile", ShellFolderPath(CSIDL_PROFILE)},
        {"parent of the profile", ParentOf(ShellFolderPath(CSIDL_PROFILE))},
        {"desktop", ShellFolderPath(CSIDL_DESKTOPDIRECTORY)},
        {"documents", ShellFolderPath(CSIDL_PERSONAL)},
        {"downloads", Downloads()},
        {"Programs", ShellFolderPath(CSIDL_PROGRAMS)},
        {"drive root", L"C:"},
    };
    for (const auto& folder : folders) {
        ASSERT_FALSE(folder.second.empty()) << folder.first;
        PlacedClient client(folder.second);
        ASSERT_TRUE(client.ok()) << folder.first;
        EXPECT_FALSE(IsOwnInstallation(folder.second)) << folder.first << ": " << testing::PrintToString(folder.second);
    }

    // Under other names: short, other case, long-path prefix, a link.
    const std::wstring programFiles = ShellFolderPath(CSIDL_PROGRAM_FILES);
    PlacedClient programFilesClient(programFiles);
    ASSERT_TRUE(programFilesClient.ok());
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(programFiles.c_str(), shortName, MAX_PATH), 0u);
    EXPECT_NE(std::wstring(shortName), programFiles);
    EXPECT_FALSE(IsOwnInstallation(shortName)) << testing::PrintToString(std::wstring(shortName));

    const std::wstring profile = ShellFolderPath(CSIDL_PROFILE);
    PlacedClient client(profile);
    ASSERT_TRUE(client.ok());
    std::wstring upper = profile;
    CharUpperW(&upper[0]);
    EXPECT_FALSE(IsOwnInstallation(upper));
    EXPECT_FALSE(IsOwnInstallation(L"\\\\?\\" + profile));

    TempDir temp;
    const std::wstring link = temp.File(L"alias");
    const LinkRemover remover(link);
    ASSERT_TRUE(CreateDirectoryLink(link, profile)) << GetLastError();
    EXPECT_FALSE(IsOwnInstallation(link));
}
