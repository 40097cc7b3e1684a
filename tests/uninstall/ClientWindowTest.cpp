#include "uninstall/ClientWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A hidden top-level window of its own class; EnumWindows sees it.
class ClassWindow {
public:
    ClassWindow(const wchar_t* className, const wchar_t* text = L"") : className(className)
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, className, text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~ClassWindow()
    {
        if (window)
            DestroyWindow(window);
        UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));
    }
    ClassWindow(const ClassWindow&) = delete;
    ClassWindow& operator=(const ClassWindow&) = delete;
    HWND get() const { return window; }

private:
    std::wstring className;
    HWND window = nullptr;
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[512] = {};
    GetClassNameW(window, name, 511);
    return name;
}

HWND FindOwn(const wchar_t* text, const wchar_t* className)
{
    WindowFilter filter;
    EXPECT_TRUE(SetWindowFilter(filter, GetCurrentProcessId(), text, className));
    return FindMatchingWindow(filter);
}

} // namespace

// Other programs of the test run may have client windows of their own, so
// whole-desktop results are checked by class, and exact hits are looked for
// among this process's windows.
TEST(UninstallClientWindow, ClassMustMatchExactly)
{
    {
        // Class names are case-blind within a process: "Lumavexor" has to
        // be gone before "lumavexor" can be registered.
        const ClassWindow longer(L"lumavexor2");
        const ClassWindow otherCase(L"Lumavexor");
        const ClassWindow prefix(L"lumavexo");
        ASSERT_TRUE(longer.get() && otherCase.get() && prefix.get());
        ASSERT_EQ(ClassOf(otherCase.get()), L"Lumavexor");

        EXPECT_EQ(FindOwn(L"", L"lumavexor"), nullptr);
        const HWND found = FindClientWindow();
        EXPECT_NE(found, longer.get());
        EXPECT_NE(found, otherCase.get());
        EXPECT_NE(found, prefix.get());
    }

    const ClassWindow client(L"lumavexor", L"Lumavex");
    ASSERT_TRUE(client.get());
    ASSERT_EQ(ClassOf(client.get()), L"lumavexor");
    EXPECT_EQ(FindOwn(L"", L"lumavexor"), client.get());
    const HWND found = FindClientWindow();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(ClassOf(found), L"lumavexor");
}

TEST(UninstallClientWindow, TextAndProcessFiltersMustMatchToo)
{
    const ClassWindow window(L"lumavexor-filter-test", L"Lumavex");
    ASSERT_TRUE(window.get());
    EXPECT_EQ(FindOwn(L"Lumavex", L"lumavexor-filter-test"), window.get());
    EXPECT_EQ(FindOwn(L"Lumavex", L""), window.get());
    EXPECT_EQ(FindOwn(L"Lumave", L"lumavexor-filter-test"), nullptr);
    EXPECT_EQ(FindOwn(L"Lumavex ", L"lumavexor-filter-test"), nullptr);

    WindowFilter otherProcess;
    ASSERT_TRUE(SetWindowFilter(otherProcess, GetCurrentProcessId() + 4, L"", L"lumavexor-filter-test"));
    EXPECT_EQ(FindMatchingWindow(otherProcess), nullptr);
    WindowFilter anyProcess;
    ASSERT_TRUE(SetWindowFilter(anyProcess, 0, L"", L"lumavexor-filter-test"));
    EXPECT_EQ(FindMatchingWindow(anyProcess), window.get());
}

TEST(UninstallClientWindow, FilterThatDoesNotFitIsRefused)
{
    WindowFilter filter;
    EXPECT_TRUE(SetWindowFilter(filter, 0, std::wstring(255, L't').c_str(), L"c"));
    EXPECT_FALSE(SetWindowFilter(filter, 7, std::wstring(256, L't').c_str(), L"c"));
    EXPECT_EQ(filter.processId, 0u);
    EXPECT_EQ(filter.text[0], L'\0');
    EXPECT_FALSE(SetWindowFilter(filter, 0, L"", std::wstring(256, L'c').c_str()));
}

TEST(UninstallClientWindow, TerminateEndsTheProcessWithCodeZero)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Suspended: it cannot end on its own before it is terminated.
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(process.hThread);

    EXPECT_TRUE(TerminateClientProcess(process.dwProcessId));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 1234;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hProcess);

    // A process id nobody has.
    EXPECT_FALSE(TerminateClientProcess(0xFFFFFFF0));
}
