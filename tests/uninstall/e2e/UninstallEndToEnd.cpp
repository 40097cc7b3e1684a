// End to end under Wine: the amd64 test setup installs, the installed
// Uninstall.exe (the 64-bit build of the uninstaller) removes. Runs in an
// environment of its own; every test installs afresh.
#include "../DirectoryLinks.h"
#include "Screenshot.h"
#include "TestFiles.h"
#include "base/ScopedHandles.h"
#include "uninstall/DeleteTree.h"
#include "uninstall/LinkSafety.h"
#include "uninstall/RemovalScript.h"

#include <windows.h>

#include <tlhelp32.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t Product[] = L"ZQLumavex";
const wchar_t UninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZQLumavex";
const wchar_t Persisted[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
// "<ZQLumavex>正在运行,是否关闭<ZQLumavex>？"
const wchar_t Question[] =
    L"<ZQLumavex>\u6B63\u5728\u8FD0\u884C,\u662F\u5426\u5173\u95ED<ZQLumavex>\uFF1F";

// Build outputs are named by their Unix paths; Wine shows / as Z:.
std::wstring FromUnix(const char* path)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return L"Z:" + wide;
}

std::wstring ShellFolderPath(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

std::wstring InstallDir() { return ShellFolderPath(CSIDL_PROGRAM_FILES) + L"\\ZQLumavex"; }
std::wstring DesktopShortcut() { return ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + L"\\ZQLumavex.lnk"; }
std::wstring MenuFolder() { return ShellFolderPath(CSIDL_PROGRAMS) + L"\\ZQLumavex"; }
std::wstring StandInLog()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"cmd-stand-in.log";
}

std::vector<std::wstring> Entries(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry = {};
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

std::string Listing(const std::vector<std::wstring>& names)
{
    std::string text;
    for (const std::wstring& name : names)
        text += (text.empty() ? "" : ", ") + Utf8(name);
    return "[" + text + "]";
}

bool RegistrationExists(REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A value of the registration as the 32-bit view holds it.
bool RegistrationValue(const wchar_t* name, DWORD flags, void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegGetValueW(key, nullptr, name, flags, nullptr, data, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::wstring RegistrationText(const wchar_t* name)
{
    wchar_t value[512] = {};
    if (!RegistrationValue(name, RRF_RT_REG_SZ, value, sizeof(value)))
        return L"<missing>";
    return value;
}

// The program a shortcut starts.
std::wstring ShortcutTarget(const std::wstring& shortcut)
{
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return L"<no shell link>";
    std::wstring target = L"<unreadable>";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

void CreatePersistedKey()
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Persisted, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueW(key, (InstallDir() + L"\\Uninstall.exe").c_str());
    RegCloseKey(key);
}

bool CompatibilityValueSet()
{
    DWORD value = 0, size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, Persisted, (InstallDir() + L"\\Uninstall.exe").c_str(), RRF_RT_REG_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

// This process's environment with some variables replaced.
std::vector<wchar_t> EnvironmentWith(const std::map<std::wstring, std::wstring>& changes)
{
    std::map<std::wstring, std::wstring> variables;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
        const wchar_t* equals = wcschr(entry + 1, L'=');
        if (equals)
            variables[std::wstring(entry, equals)] = equals + 1;
    }
    FreeEnvironmentStringsW(block);
    for (const auto& change : changes)
        variables[change.first] = change.second;
    std::vector<wchar_t> result;
    for (const auto& variable : variables) {
        const std::wstring line = variable.first + L"=" + variable.second;
        result.insert(result.end(), line.begin(), line.end());
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    return result;
}

struct Process {
    ScopedHandle handle;
    DWORD id = 0;
};

Process Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
              std::vector<wchar_t>* environment = nullptr)
{
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    Process process;
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment ? environment->data() : nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &startup, &info))
        return process;
    CloseHandle(info.hThread);
    process.handle.reset(info.hProcess);
    process.id = info.dwProcessId;
    return process;
}

bool Running(const Process& process)
{
    return process.handle && WaitForSingleObject(process.handle.get(), 0) == WAIT_TIMEOUT;
}

DWORD ExitCode(const Process& process)
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.handle.get(), &code);
    return code;
}

HWND FindQuestion() { return FindWindowW(L"#32770", Product); }

HWND ClientWindowOf(DWORD processId)
{
    for (HWND window = FindWindowW(L"lumavexor", nullptr); window;
         window = FindWindowExW(nullptr, window, L"lumavexor", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs, DWORD pollMs = 50)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(pollMs);
    }
    return true;
}

// Every thread of a process stopped for as long as this lives, so that a
// test can change the world at a chosen point of the process's run.
class ThreadsSuspended {
public:
    explicit ThreadsSuspended(DWORD processId)
    {
        const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE || !Thread32First(snapshot.get(), &entry))
            return;
        do {
            if (entry.th32OwnerProcessID != processId)
                continue;
            ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
            if (thread && SuspendThread(thread.get()) != static_cast<DWORD>(-1))
                threads.push_back(std::move(thread));
        } while (Thread32Next(snapshot.get(), &entry));
    }
    ~ThreadsSuspended()
    {
        for (const ScopedHandle& thread : threads)
            ResumeThread(thread.get());
    }
    ThreadsSuspended(const ThreadsSuspended&) = delete;
    ThreadsSuspended& operator=(const ThreadsSuspended&) = delete;

private:
    std::vector<ScopedHandle> threads;
};

const char UserData[] = "the user's own words";

// Puts the stand-in in the place of system32\cmd.exe for one test. Wine
// loads it for batch files when started with WINEDLLOVERRIDES "cmd.exe=n",
// which CTest sets for these cases.
class StandInInterpreter {
public:
    StandInInterpreter()
    {
        if (!PathExists(backup))
            CopyFileW(cmd.c_str(), backup.c_str(), TRUE);
        ok = CopyFileW(FromUnix(CMD_STAND_IN).c_str(), cmd.c_str(), FALSE) != FALSE;
    }
    ~StandInInterpreter()
    {
        if (PathExists(backup)) {
            CopyFileW(backup.c_str(), cmd.c_str(), FALSE);
            DeleteFileW(backup.c_str());
        }
    }
    StandInInterpreter(const StandInInterpreter&) = delete;
    StandInInterpreter& operator=(const StandInInterpreter&) = delete;

    bool ok = false;
    static std::vector<wchar_t> Environment() { return EnvironmentWith({{L"LUMARION_CMD_LOG", StandInLog()}}); }

private:
    std::wstring cmd = ShellFolderPath(CSIDL_SYSTEM) + L"\\cmd.exe";
    std::wstring backup = ShellFolderPath(CSIDL_SYSTEM) + L"\\cmd.exe.wine";
};

class UninstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        DeleteFileW(StandInLog().c_str());
        // What earlier tests left goes, so every test starts from a fresh
        // installation.
        DeleteTree(InstallDir());
        Process setup = Start(FromUnix(SETUP_PROGRAM), L"/S", L"");
        ASSERT_TRUE(setup.handle) << "cannot start the setup program: " << GetLastError();
        ASSERT_EQ(WaitForSingleObject(setup.handle.get(), 60000), WAIT_OBJECT_0);
        ASSERT_EQ(ExitCode(setup), 0u);
        ASSERT_TRUE(PathExists(InstallDir() + L"\\Uninstall.exe"));
    }
    void TearDown() override
    {
        if (Running(client))
            TerminateProcess(client.handle.get(), 1);
        if (Running(uninstaller))
            TerminateProcess(uninstaller.handle.get(), 1);
        CoUninitialize();
    }

    void ExpectInstalled(const char* when)
    {
        SCOPED_TRACE(when);
        EXPECT_TRUE(PathExists(InstallDir() + L"\\Lumarion.exe"));
        EXPECT_TRUE(PathExists(InstallDir() + L"\\Config.ini"));
        EXPECT_TRUE(PathExists(InstallDir() + L"\\Uninstall.exe"));
        EXPECT_TRUE(RegistrationExists(KEY_WOW64_32KEY));
        EXPECT_TRUE(PathExists(DesktopShortcut()));
        EXPECT_TRUE(PathExists(MenuFolder() + L"\\ZQLumavex.lnk"));
    }

    // Everything but the running program itself, and the script it wrote.
    void ExpectRemoved()
    {
        EXPECT_FALSE(RegistrationExists(KEY_WOW64_32KEY));
        EXPECT_FALSE(PathExists(DesktopShortcut()));
        EXPECT_FALSE(PathExists(MenuFolder()));
        EXPECT_EQ(Entries(InstallDir()), (std::vector<std::wstring>{L"Uninstall.exe", L"velmor_uninstall.bat"}));
        EXPECT_EQ(ReadWholeFile(InstallDir() + L"\\velmor_uninstall.bat"), ComposeRemovalScript(Utf8(InstallDir())));
    }

    void ExpectScriptStartedFromParent(const std::wstring& installDir = InstallDir())
    {
        const std::string log = ReadWholeFile(StandInLog());
        ASSERT_FALSE(log.empty()) << "the script was not started";
        const std::string script = Utf8(installDir) + "\\velmor_uninstall.bat";
        EXPECT_NE(log.find("\"" + script + "\""), std::string::npos) << log;
        // The interpreter itself: no AutoRun, no delayed expansion.
        EXPECT_NE(log.find("cmd.exe\" /s /d /v:off /c \"\""), std::string::npos) << log;
        EXPECT_NE(log.find("\n" + Utf8(installDir.substr(0, installDir.rfind(L'\\'))) + "\n"), std::string::npos)
            << "working directory must be the parent: " << log;
        // Started once.
        EXPECT_EQ(log.find("velmor_uninstall.bat"), log.rfind("velmor_uninstall.bat")) << log;
    }

    // A file of the user's.
    static bool WriteUserFile(const std::wstring& path)
    {
        const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        return file && file.get() != INVALID_HANDLE_VALUE &&
               WriteFile(file.get(), UserData, sizeof(UserData) - 1, &written, nullptr) &&
               written == sizeof(UserData) - 1;
    }

    void RunUninstaller(const std::wstring& dir)
    {
        uninstaller = Start(dir + L"\\Uninstall.exe", L"", L"");
        ASSERT_TRUE(uninstaller.handle);
        ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);
        EXPECT_EQ(ExitCode(uninstaller), 0u);
    }

    void StartClient()
    {
        client = Start(InstallDir() + L"\\Lumarion.exe", L"", InstallDir());
        ASSERT_TRUE(client.handle);
        ASSERT_TRUE(WaitFor([&] { return ClientWindowOf(client.id) != nullptr || !Running(client); }, 30000));
        ASSERT_NE(ClientWindowOf(client.id), nullptr) << "client ended with " << ExitCode(client);
    }

    HWND WaitForQuestionBox()
    {
        HWND box = nullptr;
        WaitFor([&] { return (box = FindQuestion()) != nullptr || !Running(uninstaller); }, 15000);
        return box;
    }

    static std::wstring BoxText(HWND box)
    {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        return text;
    }

    static void Answer(HWND box, int button)
    {
        const HWND control = GetDlgItem(box, button);
        ASSERT_NE(control, nullptr);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }

    Process client;
    Process uninstaller;
};

} // namespace

TEST_F(UninstallEndToEnd, SetupInstallsExactlyWhatTheUninstallerRemoves)
{
    EXPECT_EQ(Entries(InstallDir()),
              (std::vector<std::wstring>{L"Config.ini", L"Lumarion.exe", L"Uninstall.exe"}));
    ASSERT_TRUE(RegistrationExists(KEY_WOW64_32KEY));
    EXPECT_FALSE(RegistrationExists(KEY_WOW64_64KEY)) << "written to the 64-bit view";
    EXPECT_EQ(RegistrationText(L"DisplayName"), L"ZQLumavex");
    EXPECT_EQ(RegistrationText(L"UninstallString"), L"\"" + InstallDir() + L"\\Uninstall.exe\"");
    EXPECT_EQ(RegistrationText(L"DisplayIcon"), InstallDir() + L"\\Lumarion.exe");
    EXPECT_EQ(RegistrationText(L"DisplayVersion"), L"1.0.0");
    EXPECT_EQ(RegistrationText(L"Publisher"), L"ZQLumavex");
    DWORD size = 0;
    EXPECT_TRUE(RegistrationValue(L"EstimatedSize", RRF_RT_REG_DWORD, &size, sizeof(size)));
    EXPECT_GT(size, 100u) << "KB; the client alone is larger";

    EXPECT_EQ(ShortcutTarget(DesktopShortcut()), InstallDir() + L"\\Lumarion.exe");
    EXPECT_EQ(Entries(MenuFolder()), std::vector<std::wstring>{L"ZQLumavex.lnk"});
    EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\ZQLumavex.lnk"), InstallDir() + L"\\Lumarion.exe");
}

TEST_F(UninstallEndToEnd, WithoutClientNothingIsAskedAndTheScriptIsStarted)
{
    StandInInterpreter standIn;
    ASSERT_TRUE(standIn.ok);
    CreatePersistedKey();

    std::vector<wchar_t> environment = StandInInterpreter::Environment();
    const DWORD start = GetTickCount();
    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"", &environment);
    ASSERT_TRUE(uninstaller.handle) << GetLastError();
    bool asked = false;
    WaitFor([&] {
        if (const HWND box = FindQuestion()) {
            asked = true;
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        }
        return !Running(uninstaller);
    }, 20000);
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_FALSE(Running(uninstaller));
    EXPECT_FALSE(asked);
    EXPECT_EQ(ExitCode(uninstaller), 0u);
    // The one pause before the script; none for a client.
    EXPECT_GE(elapsed, 1000u);

    EXPECT_TRUE(CompatibilityValueSet());
    ExpectRemoved();
    EXPECT_TRUE(WaitFor([] { return !ReadWholeFile(StandInLog()).empty(); }, 5000));
    ExpectScriptStartedFromParent();
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterRemovesANormalInstallationCompletely)
{
    RunUninstaller(InstallDir());
    EXPECT_FALSE(RegistrationExists(KEY_WOW64_32KEY));

    // The script waits for the uninstaller, deletes it, itself, then the folder.
    const bool filesGone = WaitFor([] { return Entries(InstallDir()).empty(); }, 30000);
    std::printf("after Wine's cmd: directory %s, left: %s\n", PathExists(InstallDir()) ? "still there" : "gone",
                Listing(Entries(InstallDir())).c_str());
    EXPECT_TRUE(filesGone) << "left: " << Listing(Entries(InstallDir()));
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterLeavesWhatIsDroppedInAfterTheClientIsGone)
{
    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"");
    ASSERT_TRUE(uninstaller.handle);
    // The decision is taken; the folder is still the uninstaller's until the script.
    ASSERT_TRUE(WaitFor([] { return !PathExists(InstallDir() + L"\\Lumarion.exe"); }, 20000));
    ASSERT_TRUE(WriteUserFile(InstallDir() + L"\\late.sav"));
    ASSERT_TRUE(CreateDirectoryW((InstallDir() + L"\\latedir").c_str(), nullptr));
    ASSERT_TRUE(WriteUserFile(InstallDir() + L"\\latedir\\x.txt"));
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);

    // The script has run when it has deleted the uninstaller and itself.
    EXPECT_TRUE(WaitFor([] { return Entries(InstallDir()) == std::vector<std::wstring>{L"late.sav", L"latedir"}; },
                        30000))
        << Listing(Entries(InstallDir()));
    EXPECT_EQ(ReadWholeFile(InstallDir() + L"\\late.sav"), std::string(UserData));
    EXPECT_EQ(ReadWholeFile(InstallDir() + L"\\latedir\\x.txt"), std::string(UserData));
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterLeavesUserDataBehindAFolderSwappedForALink)
{
    const std::wstring photos = L"C:\\Photos-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(photos.c_str(), nullptr));
    for (const wchar_t* name : {L"\\Config.ini", L"\\photo.jpg"})
        ASSERT_TRUE(WriteUserFile(photos + name));
    const std::wstring moved = InstallDir() + L".moved";
    DeleteTree(moved);
    const LinkRemover remover(InstallDir());

    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"");
    ASSERT_TRUE(uninstaller.handle);
    // Our files are gone, the uninstaller waits its second before the script.
    ASSERT_TRUE(WaitFor([] {
        return !PathExists(InstallDir() + L"\\Lumarion.exe") && !PathExists(InstallDir() + L"\\Config.ini");
    }, 20000, 1));
    {
        // Held still in that second (however busy the machine): the folder
        // goes aside, a link to the user's pictures takes its place.
        const ThreadsSuspended held(uninstaller.id);
        ASSERT_FALSE(PathExists(InstallDir() + L"\\velmor_uninstall.bat")) << "caught after the pause";
        ASSERT_TRUE(MoveFileW(InstallDir().c_str(), moved.c_str())) << GetLastError();
        ASSERT_TRUE(CreateDirectoryLink(InstallDir(), photos));
    }
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);

    // A script written there would be in the folder until it has run, and
    // would have deleted Config.ini when it has.
    EXPECT_EQ(Entries(photos), (std::vector<std::wstring>{L"Config.ini", L"photo.jpg"}));
    EXPECT_EQ(ReadWholeFile(photos + L"\\Config.ini"), std::string(UserData));
    EXPECT_EQ(Entries(moved), std::vector<std::wstring>{L"Uninstall.exe"});
    DeleteTree(moved);
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterLeavesASiblingWithTheSameShortName)
{
    // Names whose 8.3 short names Wine makes equal.
    const std::wstring games = L"C:\\\u6E38\u620F";
    const std::wstring ours = games + L"\\ZQLumavex";
    const std::wstring sibling = games + L"\\ZQLu saves 26148";
    DeleteTree(games);
    ASSERT_TRUE(CreateDirectoryW(games.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(sibling.c_str(), nullptr));
    for (const wchar_t* name : {L"\\Config.ini", L"\\save.dat"})
        ASSERT_TRUE(WriteUserFile(sibling + name));
    Process setup = Start(FromUnix(SETUP_PROGRAM), L"/S /D=" + games, L"");
    ASSERT_EQ(WaitForSingleObject(setup.handle.get(), 60000), WAIT_OBJECT_0);
    ASSERT_EQ(ExitCode(setup), 0u);
    ASSERT_TRUE(PathExists(ours + L"\\Uninstall.exe"));
    wchar_t shortOurs[MAX_PATH] = {}, shortSibling[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(ours.c_str(), shortOurs, MAX_PATH), 0u);
    ASSERT_GT(GetShortPathNameW(sibling.c_str(), shortSibling, MAX_PATH), 0u);
    ASSERT_EQ(std::wstring(shortOurs), std::wstring(shortSibling)) << "Wine no longer gives them one short name";
    DirectoryIdentity viaShort, sib;
    ASSERT_TRUE(IdentifyDirectory(shortOurs, &viaShort));
    ASSERT_TRUE(IdentifyDirectory(sibling, &sib));
    std::printf("the short name %s opens %s\n", Utf8(shortOurs).c_str(),
                SameDirectory(viaShort, sib) ? "the sibling" : "our folder");

    RunUninstaller(ours);

    // A script written through the short name would stand in the sibling
    // until it has run, and would have deleted its Config.ini when it has.
    EXPECT_EQ(Entries(sibling), (std::vector<std::wstring>{L"Config.ini", L"save.dat"}));
    EXPECT_EQ(ReadWholeFile(sibling + L"\\Config.ini"), std::string(UserData));
    if (SameDirectory(viaShort, sib)) {
        // Not the examined folder: no script, the uninstaller stays.
        EXPECT_EQ(Entries(ours), std::vector<std::wstring>{L"Uninstall.exe"});
    }
    DeleteTree(games);
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterLeavesTheFileAConfigLinkLeadsTo)
{
    const std::wstring important = L"C:\\Important-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring thesis = important + L"\\thesis.docx";
    ASSERT_TRUE(CreateDirectoryW(important.c_str(), nullptr));
    ASSERT_TRUE(WriteUserFile(thesis));
    const std::wstring config = InstallDir() + L"\\Config.ini";
    ASSERT_TRUE(DeleteFileW(config.c_str()));
    const FileLinkRemover remover(config);
    ASSERT_TRUE(CreateFileLink(config, thesis));

    RunUninstaller(InstallDir());

    EXPECT_EQ(ReadWholeFile(thesis), std::string(UserData));
    // The link cannot be removed as a link here: it stays, and so does the
    // uninstaller, as no script may delete through it.
    EXPECT_FALSE(PathExists(InstallDir() + L"\\Lumarion.exe"));
    EXPECT_FALSE(PathExists(InstallDir() + L"\\velmor_uninstall.bat"));
    EXPECT_TRUE(PathExists(InstallDir() + L"\\Uninstall.exe"));
}

TEST_F(UninstallEndToEnd, WineCommandInterpreterRemovesAReadOnlyConfigBesideForeignData)
{
    ASSERT_TRUE(WriteUserFile(InstallDir() + L"\\notes.txt"));
    ASSERT_TRUE(SetFileAttributesW((InstallDir() + L"\\Config.ini").c_str(), FILE_ATTRIBUTE_READONLY));

    RunUninstaller(InstallDir());

    EXPECT_EQ(Entries(InstallDir()), (std::vector<std::wstring>{L"Uninstall.exe", L"notes.txt"}));
    EXPECT_EQ(ReadWholeFile(InstallDir() + L"\\notes.txt"), std::string(UserData));
}

TEST_F(UninstallEndToEnd, RunningClientAnswerNoChangesNothingButTheCompatibilityValue)
{
    StandInInterpreter standIn;
    ASSERT_TRUE(standIn.ok);
    StartClient();
    CreatePersistedKey();
    std::vector<wchar_t> environment = StandInInterpreter::Environment();
    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"", &environment);
    ASSERT_TRUE(uninstaller.handle);
    const HWND box = WaitForQuestionBox();
    ASSERT_NE(box, nullptr) << "no question; uninstaller exit code " << ExitCode(uninstaller);
    EXPECT_EQ(BoxText(box), Question);
    Answer(box, IDNO);
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(uninstaller), 0u);

    EXPECT_TRUE(CompatibilityValueSet());
    ExpectInstalled("after No");
    EXPECT_EQ(Entries(InstallDir()),
              (std::vector<std::wstring>{L"Config.ini", L"Lumarion.exe", L"Uninstall.exe"}));
    EXPECT_TRUE(Running(client));
    EXPECT_NE(ClientWindowOf(client.id), nullptr);
    Sleep(500);
    EXPECT_FALSE(PathExists(StandInLog())) << "a script was started";
}

TEST_F(UninstallEndToEnd, RunningClientAnswerYesClosesItAndRemovesEverything)
{
    StandInInterpreter standIn;
    ASSERT_TRUE(standIn.ok);
    StartClient();
    std::vector<wchar_t> environment = StandInInterpreter::Environment();
    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"", &environment);
    ASSERT_TRUE(uninstaller.handle);
    const HWND box = WaitForQuestionBox();
    ASSERT_NE(box, nullptr) << "no question; uninstaller exit code " << ExitCode(uninstaller);
    const DWORD answered = GetTickCount();
    Answer(box, IDYES);
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);
    const DWORD elapsed = GetTickCount() - answered;
    EXPECT_EQ(ExitCode(uninstaller), 0u);
    // One round (500 ms), the pause after the rounds and the one before the script.
    EXPECT_GE(elapsed, 2500u);

    EXPECT_EQ(WaitForSingleObject(client.handle.get(), 0), WAIT_OBJECT_0) << "the client still runs";
    EXPECT_EQ(ExitCode(client), 0u);
    EXPECT_EQ(ClientWindowOf(client.id), nullptr);
    ExpectRemoved();
    EXPECT_TRUE(WaitFor([] { return !ReadWholeFile(StandInLog()).empty(); }, 5000));
    ExpectScriptStartedFromParent();
}

TEST_F(UninstallEndToEnd, FilesNotOursStayWithTheFolderAndNoScriptIsStarted)
{
    StandInInterpreter standIn;
    ASSERT_TRUE(standIn.ok);
    ASSERT_TRUE(CreateDirectoryW((InstallDir() + L"\\saves").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((InstallDir() + L"\\Config.ini").c_str(), (InstallDir() + L"\\saves\\slot1.sav").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((InstallDir() + L"\\Config.ini").c_str(), (InstallDir() + L"\\notes.txt").c_str(), FALSE));
    // A link planted in the installation must not lead the (elevated)
    // uninstaller outside it.
    const std::wstring outside = L"C:\\outside-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((InstallDir() + L"\\Config.ini").c_str(), (outside + L"\\keep.txt").c_str(), FALSE));
    const std::wstring planted = InstallDir() + L"\\planted";
    const LinkRemover remover(planted);
    ASSERT_TRUE(CreateDirectoryLink(planted, outside));

    std::vector<wchar_t> environment = StandInInterpreter::Environment();
    uninstaller = Start(InstallDir() + L"\\Uninstall.exe", L"", L"", &environment);
    ASSERT_TRUE(uninstaller.handle);
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(uninstaller), 0u);

    EXPECT_FALSE(RegistrationExists(KEY_WOW64_32KEY));
    EXPECT_FALSE(PathExists(DesktopShortcut()));
    EXPECT_FALSE(PathExists(MenuFolder()));
    EXPECT_EQ(Entries(InstallDir()),
              (std::vector<std::wstring>{L"Uninstall.exe", L"notes.txt", L"planted", L"saves"}));
    EXPECT_TRUE(PathExists(InstallDir() + L"\\saves\\slot1.sav"));
    EXPECT_TRUE(PathExists(outside + L"\\keep.txt"));
    // The uninstaller has ended: a script it started would have logged by now.
    EXPECT_FALSE(PathExists(StandInLog())) << ReadWholeFile(StandInLog());
}

TEST_F(UninstallEndToEnd, SetupInstallsIntoAFolderOfItsOwnAndRefusesSomeoneElses)
{
    StandInInterpreter standIn;
    ASSERT_TRUE(standIn.ok);
    const std::wstring games = L"C:\\Games-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring keep = games + L"\\OtherGame\\keep.txt";
    ASSERT_TRUE(CreateDirectoryW(games.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((games + L"\\OtherGame").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((InstallDir() + L"\\Config.ini").c_str(), keep.c_str(), FALSE));

    Process setup = Start(FromUnix(SETUP_PROGRAM), L"/S /D=" + games, L"");
    ASSERT_EQ(WaitForSingleObject(setup.handle.get(), 60000), WAIT_OBJECT_0);
    ASSERT_EQ(ExitCode(setup), 0u);
    const std::wstring ownFolder = games + L"\\ZQLumavex";
    EXPECT_EQ(Entries(ownFolder), (std::vector<std::wstring>{L"Config.ini", L"Lumarion.exe", L"Uninstall.exe"}));
    EXPECT_EQ(RegistrationText(L"UninstallString"), L"\"" + ownFolder + L"\\Uninstall.exe\"");

    std::vector<wchar_t> environment = StandInInterpreter::Environment();
    uninstaller = Start(ownFolder + L"\\Uninstall.exe", L"", L"", &environment);
    ASSERT_TRUE(uninstaller.handle);
    ASSERT_EQ(WaitForSingleObject(uninstaller.handle.get(), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(PathExists(keep));
    EXPECT_EQ(Entries(games), (std::vector<std::wstring>{L"OtherGame", L"ZQLumavex"}));
    EXPECT_EQ(Entries(ownFolder), (std::vector<std::wstring>{L"Uninstall.exe", L"velmor_uninstall.bat"}));
    EXPECT_TRUE(WaitFor([] { return !ReadWholeFile(StandInLog()).empty(); }, 5000));
    ExpectScriptStartedFromParent(ownFolder);

    // A folder of the same name that holds someone else's files is refused,
    // and nothing changes.
    ASSERT_TRUE(DeleteFileW((ownFolder + L"\\Uninstall.exe").c_str()));
    ASSERT_TRUE(DeleteFileW((ownFolder + L"\\velmor_uninstall.bat").c_str()));
    ASSERT_TRUE(CopyFileW(keep.c_str(), (ownFolder + L"\\save.dat").c_str(), FALSE));
    setup = Start(FromUnix(SETUP_PROGRAM), L"/S /D=" + games, L"");
    ASSERT_EQ(WaitForSingleObject(setup.handle.get(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(setup), 2u);
    EXPECT_EQ(Entries(ownFolder), std::vector<std::wstring>{L"save.dat"});
    EXPECT_FALSE(RegistrationExists(KEY_WOW64_32KEY));
}

namespace {

// The first descendant of `top` with control id `id`, or whose text holds `text`.
HWND FindChild(HWND top, int id, const wchar_t* text = nullptr)
{
    struct Search {
        int id;
        const wchar_t* text;
        HWND found;
    } search = {id, text, nullptr};
    EnumChildWindows(top, [](HWND window, LPARAM data) -> BOOL {
        Search& wanted = *reinterpret_cast<Search*>(data);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (wanted.text ? std::wcsstr(text, wanted.text) != nullptr : GetDlgCtrlID(window) == wanted.id) {
            wanted.found = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog of process `processId` other than `except`.
HWND FindDialogOf(DWORD processId, HWND except = nullptr)
{
    for (HWND window = FindWindowW(L"#32770", nullptr); window; window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && window != except && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// A screenshot of the setup once `dialog` has painted everything: the paint
// messages are sent, so this returns after the setup has drawn.
void SaveSetupScreenshot(HWND dialog, const wchar_t* name)
{
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SaveScreenshot(name);
}

} // namespace

// Also takes the screenshots of the pages (scripts/setup-screenshots.sh).
TEST_F(UninstallEndToEnd, SetupPagesSpeakChineseAndRefuseSomeoneElsesFolderBeforeWriting)
{
    const std::wstring root = L"C:\\Pages-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Foreign").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Foreign\\ZQLumavex").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((InstallDir() + L"\\Config.ini").c_str(), (root + L"\\Foreign\\ZQLumavex\\save.dat").c_str(), FALSE));

    Process setup = Start(FromUnix(SETUP_PROGRAM), L"", L"");
    ASSERT_TRUE(setup.handle);
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (page = FindDialogOf(setup.id)) != nullptr && FindChild(page, 1001); }, 60000));
    const HWND next = GetDlgItem(page, IDOK);
    wchar_t caption[64] = {};
    GetWindowTextW(next, caption, 64);
    EXPECT_NE(std::wcsstr(caption, L"\u5B89\u88C5"), nullptr) << "the folder page's button says 安装: " << Utf8(caption);
    SaveSetupScreenshot(page, L"setup-1-folder");
    SetWindowTextW(FindChild(page, 1019), (root + L"\\Foreign").c_str());

    PostMessageW(page, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(next));
    HWND refusal = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (refusal = FindDialogOf(setup.id, page)) != nullptr; }, 20000));
    // "已有其他文件": there are other files in it.
    EXPECT_NE(FindChild(refusal, 0, L"\u5DF2\u6709\u5176\u4ED6\u6587\u4EF6"), nullptr);
    SaveSetupScreenshot(refusal, L"setup-2-refused");
    PostMessageW(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(refusal); }, 10000));
    EXPECT_EQ(Entries(root + L"\\Foreign\\ZQLumavex"), std::vector<std::wstring>{L"save.dat"});

    const std::wstring fresh = root + L"\\Fresh";
    SetWindowTextW(FindChild(page, 1019), fresh.c_str());
    PostMessageW(page, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(next));
    ASSERT_TRUE(WaitFor([&] {
        return RegistrationText(L"InstallLocation") == fresh + L"\\ZQLumavex" && IsWindowEnabled(next);
    }, 60000)) << Utf8(RegistrationText(L"InstallLocation"));
    SaveSetupScreenshot(page, L"setup-3-progress");

    PostMessageW(page, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(next));
    HWND start = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (start = FindChild(page, 0, L"\u7ACB\u5373\u5F00\u59CB\u6E38\u620F")) != nullptr; }, 20000))
        << "no 立即开始游戏 on the finish page";
    EXPECT_EQ(SendMessageW(start, BM_GETCHECK, 0, 0), BST_CHECKED);
    SaveSetupScreenshot(page, L"setup-4-finish");
    SendMessageW(start, BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(page, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(next));
    ASSERT_EQ(WaitForSingleObject(setup.handle.get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(setup), 0u);
    EXPECT_EQ(Entries(fresh + L"\\ZQLumavex"), (std::vector<std::wstring>{L"Config.ini", L"Lumarion.exe", L"Uninstall.exe"}));
}
