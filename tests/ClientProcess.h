#pragma once

#include "TestFiles.h"
#include "base/ScopedHandles.h"

#include <windows.h>

#include <string>
#include <vector>

// A private copy of the client (its executable and a Config.ini) in a fresh
// temporary folder, run as a process of its own. The process is tied to a
// job that ends it when the test program goes away, and it is ended at the
// latest when this object is destroyed.
class ClientProcess {
public:
    ClientProcess(const std::wstring& executable, const std::string& configIni);
    ~ClientProcess();
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // Starts the copy with this process's environment; false on failure
    // (the copy or the start failed).
    bool Start();
    bool Running() const;
    // Waits up to `timeoutMs` for the process to end; true and its exit
    // code when it did.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
    void Kill();

    DWORD id() const { return processId; }
    HANDLE handle() const { return process.get(); }
    const TempDir& folder() const { return dir; }

    // The client's top-level windows (owned popups included) of a window
    // class, topmost first; visible or not.
    std::vector<HWND> Windows(const wchar_t* className) const;
    // The first of them, or null.
    HWND Window(const wchar_t* className) const;

private:
    TempDir dir;
    std::string config;
    std::wstring source;
    ScopedHandle job;
    ScopedHandle process;
    DWORD processId = 0;
};
