#include "ClientProcess.h"

ClientProcess::ClientProcess(const std::wstring& executable, const std::string& configIni)
    : config(configIni), source(WindowsPathOf(executable))
{
}

ClientProcess::~ClientProcess()
{
    // Before the folder goes: a running program keeps its files.
    Kill();
}

bool ClientProcess::Start()
{
    if (process)
        return false;
    const std::wstring target = dir.File(L"Lumarion.exe");
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        return false;
    dir.Write(L"Config.ini", config);

    job.reset(CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    std::wstring commandLine = L"\"" + target + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, dir.path().c_str(), &startup, &info))
        return false;
    process.reset(info.hProcess);
    ScopedHandle thread(info.hThread);
    processId = info.dwProcessId;
    if (job)
        AssignProcessToJobObject(job.get(), info.hProcess);
    ResumeThread(info.hThread);
    return true;
}

bool ClientProcess::Running() const
{
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool ClientProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const
{
    if (!process || WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process.get(), &exitCode) != FALSE;
}

void ClientProcess::Kill()
{
    if (Running()) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    if (wcscmp(name, search->className) == 0)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ClientProcess::Windows(const wchar_t* className) const
{
    WindowSearch search{processId, className, {}};
    if (processId)
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ClientProcess::Window(const wchar_t* className) const
{
    const auto found = Windows(className);
    return found.empty() ? nullptr : found.front();
}
