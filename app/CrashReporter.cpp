#include "app/CrashReporter.h"

#include "base/CrashDumpNames.h"
#include "base/ScopedHandles.h"

#include <dbghelp.h>
#include <shlobj.h>
#include <strsafe.h>

#include <algorithm>

namespace {

using WriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Prepared before any crash: a crashed process should not load libraries or
// ask the shell for folders.
wchar_t dumpFolder[MAX_PATH] = {};
WriteDumpFunction writeDump = nullptr;
using SetOptionsFunction = DWORD(WINAPI*)(DWORD);
using InitializeFunction = BOOL(WINAPI*)(HANDLE, PCWSTR, BOOL);
SetOptionsFunction setOptions = nullptr;
InitializeFunction initialize = nullptr;
void (*traces)() = nullptr;
LONG entered = 0;

} // namespace

void CrashReporter::Install(void (*removeTraces)())
{
    traces = removeTraces;
    const std::wstring folder = DumpFolder();
    StringCchCopyW(dumpFolder, MAX_PATH, folder.c_str());
    // From the system folder only: never a dbghelp.dll dropped elsewhere.
    if (HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        writeDump = reinterpret_cast<WriteDumpFunction>(
            reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
        setOptions = reinterpret_cast<SetOptionsFunction>(
            reinterpret_cast<void*>(GetProcAddress(dbghelp, "SymSetOptions")));
        initialize = reinterpret_cast<InitializeFunction>(
            reinterpret_cast<void*>(GetProcAddress(dbghelp, "SymInitializeW")));
    }
    SetUnhandledExceptionFilter(&CrashReporter::Filter);
}

std::wstring CrashReporter::DumpFolder()
{
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) || !local[0])
        return std::wstring();
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(StringCchPrintfW(folder, MAX_PATH, L"%s\\%s", local, CrashDumpSubfolder)))
        return std::wstring();
    return folder;
}

std::wstring CrashReporter::DumpFileName(const SYSTEMTIME& time, DWORD processId)
{
    wchar_t name[64] = {};
    StringCchPrintfW(name, 64, L"%s%04u%02u%02u-%02u%02u%02u-%lu%s", CrashDumpPrefix, time.wYear, time.wMonth, time.wDay,
                     time.wHour, time.wMinute, time.wSecond, processId, CrashDumpSuffix);
    return name;
}

std::vector<std::wstring> CrashReporter::DumpsToDelete(std::vector<std::wstring> names, size_t keep)
{
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::wstring& n) { return !IsCrashDumpName(n); }),
                names.end());
    // The time stamp has a fixed width: name order is time order.
    std::sort(names.begin(), names.end());
    if (names.size() <= keep)
        return {};
    names.resize(names.size() - keep);
    return names;
}

LONG WINAPI CrashReporter::Filter(EXCEPTION_POINTERS* info)
{
    // A second thread crashing meanwhile waits for the first to end it all.
    if (InterlockedExchange(&entered, 1) != 0) {
        Sleep(INFINITE);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // The traces first: they need the other threads, which the dump
    // writer stops while it reads them.
    if (traces)
        traces();
    WriteDump(info);
    PruneDumps();
    const UINT code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 1;
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

void CrashReporter::WriteDump(EXCEPTION_POINTERS* info)
{
    if (!writeDump || !dumpFolder[0])
        return;
    // Both levels: the product folder may not exist yet.
    wchar_t parent[MAX_PATH] = {};
    StringCchCopyW(parent, MAX_PATH, dumpFolder);
    if (wchar_t* slash = wcsrchr(parent, L'\\'))
        *slash = L'\0';
    CreateDirectoryW(parent, nullptr);
    CreateDirectoryW(dumpFolder, nullptr);

    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t path[MAX_PATH] = {};
    if (FAILED(StringCchPrintfW(path, MAX_PATH, L"%s\\%s", dumpFolder,
                                DumpFileName(now, GetCurrentProcessId()).c_str())))
        return;
    const ScopedHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE)
        return;
    // Symbols are for whoever reads the dump: a writer that starts its own
    // symbol session would load every module's debug information first.
    if (setOptions && initialize) {
        setOptions(SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
        initialize(GetCurrentProcess(), nullptr, FALSE);
    }
    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = info;
    exception.ClientPointers = FALSE;
    // Threads, modules and the exception: enough to read the stack, without
    // the player's memory.
    writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, info ? &exception : nullptr,
              nullptr, nullptr);
}

void CrashReporter::PruneDumps()
{
    wchar_t pattern[MAX_PATH] = {};
    if (!dumpFolder[0] || FAILED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\%s*%s", dumpFolder, CrashDumpPrefix, CrashDumpSuffix)))
        return;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    {
        const ScopedFind search = MakeScopedFind(FindFirstFileW(pattern, &found));
        if (!search)
            return;
        do {
            if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
                names.push_back(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    for (const std::wstring& name : DumpsToDelete(std::move(names), KeptDumps)) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%s\\%s", dumpFolder, name.c_str())))
            DeleteFileW(path);
    }
}
