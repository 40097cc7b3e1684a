#pragma once

#include "uninstall/LinkSafety.h"

#include <string>

// Tries to delete the uninstaller, one second apart, before the script
// goes on without waiting any longer.
inline constexpr int ScriptWaitTries = 30;

// The self-removal script for the installation directory `dir` (ANSI, as
// the command interpreter reads it). It waits for the uninstaller to end by
// retrying the deletion of its file, deletes our own files by name (never a
// folder, never through a link where the system marks one), itself, and
// then the folder with a plain RD, which leaves a folder that still holds
// anything. Every % of the directory is doubled so the interpreter reads
// the name as it stands. Empty when the text does not fit 1024 bytes.
std::string ComposeRemovalScript(const std::string& dir);

// The form of `dir` written into the script and onto the interpreter's
// command line: its ANSI form when that is exact and plain ASCII, else its
// ASCII 8.3 short name. Empty, so no script is written, when there is no
// such form (the interpreter reads scripts in the OEM code page, where other
// bytes name other characters), for a share folder, and for a name with
// "%" (the command line expands it whatever the quoting).
std::string ScriptDirectoryForm(const std::wstring& dir);

// The command line that runs `script` with `interpreter`: no AutoRun, no
// delayed expansion, the name kept quoted.
std::wstring ScriptCommandLine(const std::wstring& interpreter, const std::wstring& script);

// Working directory for the script: the parent of `dir` ("C:\" for a
// directory on a drive root); empty when `dir` has no parent.
std::string ParentDirectory(const std::string& dir);

// Writes <dir>\velmor_uninstall.bat (`dir` in plain ASCII, no file of that
// name there yet) and, only when all of it was written, starts it hidden
// with the system's command interpreter in the parent of `dir`. Only while
// `dir` opens the `examined` directory itself, checked before writing and
// again before starting: a reparse point or another directory gets no
// script. True when it was started.
bool WriteRemovalScript(const std::string& dir, const DirectoryIdentity& examined);
