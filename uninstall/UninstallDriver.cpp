#include "uninstall/UninstallDriver.h"

#include "uninstall/ClientWindow.h"
#include "uninstall/CrashDumps.h"
#include "uninstall/DeleteTree.h"
#include "uninstall/FeatureControls.h"
#include "uninstall/InstallGuard.h"
#include "uninstall/LinkSafety.h"
#include "uninstall/Registration.h"
#include "uninstall/RemovalScript.h"
#include "uninstall/UninstallNames.h"
#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <shellapi.h>
#include <strsafe.h>

namespace {

// "<ZQLumavex>正在运行,是否关闭<ZQLumavex>？"
constexpr wchar_t QuestionFormat[] = L"<%s>\u6B63\u5728\u8FD0\u884C,\u662F\u5426\u5173\u95ED<%s>\uFF1F";

void UnpinFromTaskbar(const std::wstring& shortcut)
{
    // Best effort; no error box when the shell has no such verb.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"taskbarunpin";
    info.lpFile = shortcut.c_str();
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

} // namespace

bool CloseRunningClient()
{
    if (!FindClientWindow())
        return true;
    wchar_t question[FilterCapacity] = {};
    StringCchPrintfW(question, FilterCapacity, QuestionFormat, ProductCaption, ProductCaption);
    // A box that could not be shown is no permission to go on.
    if (MessageBoxW(nullptr, question, ProductCaption, MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return false;
    for (int round = 0; round < TerminateRounds; ++round) {
        const HWND window = FindClientWindow();
        if (!window)
            break;
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        TerminateClientProcess(processId);
        Sleep(TerminateSettleMs);
    }
    Sleep(ClientGoneSettleMs);
    return true;
}

int RunUninstall()
{
    MarkCompatibilityPersisted();
    if (!CloseRunningClient())
        return 0;

    RemoveUninstallEntry(ProductCaption);
    RemoveFeatureControls(HKEY_CURRENT_USER, ClientProgramName);

    const UninstallPaths paths = ComputeUninstallPaths();
    RemoveCrashDumps(paths.crashDumpFolder);
    if (!paths.desktopShortcut.empty()) {
        UnpinFromTaskbar(paths.desktopShortcut);
        RemoveEntryNoFollow(paths.desktopShortcut, false);
    }
    if (!paths.startMenuFolder.empty() && Exists(paths.startMenuFolder))
        DeleteTree(paths.startMenuFolder);

    RemoveInstallDirectory(paths.installDir);
    return 0;
}

void RemoveInstallDirectory(const std::wstring& dir)
{
    // The script may act only on the folder examined here: identified before
    // the decision and again after it, and our files are deleted only there.
    DirectoryIdentity examined, decided;
    const DirectoryIdentity* folder = IdentifyDirectory(LongPath(dir), &examined) ? &examined : nullptr;
    // Decided before anything is deleted: afterwards "Lumarion.exe" is gone.
    switch (ChooseFolderRemoval(dir)) {
    case FolderRemoval::Nothing:
        return;
    case FolderRemoval::OwnFilesOnly:
        // The folder stays for what else is in it: no script.
        RemoveOwnFiles(dir, folder);
        return;
    case FolderRemoval::Whole:
        // By name, never the tree: whatever appears meanwhile stays. A link
        // left in place, or a folder no longer the same, gets no script.
        if (!RemoveOwnFiles(dir, folder) || !folder || !IdentifyDirectory(LongPath(dir), &decided) ||
            !SameDirectory(examined, decided))
            return;
        Sleep(ScriptDelayMs);
        WriteRemovalScript(ScriptDirectoryForm(dir), examined);
        return;
    }
}
