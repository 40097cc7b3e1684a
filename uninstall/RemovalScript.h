#pragma once

#include <string>

// The self-removal script for the installation directory `dir` (ANSI, as
// the command interpreter reads it): five lines, the last without a line
// end. Every % of the directory is doubled so the interpreter reads the
// name as it stands. Empty when the text does not fit 1024 bytes.
std::string ComposeRemovalScript(const std::string& dir);

// `dir` in the ANSI code page exactly when that is plain ASCII; otherwise
// its 8.3 short name when that is plain ASCII (the interpreter reads the
// script in the OEM code page) or the only exact form; else the exact ANSI
// form; empty when there is no exact form at all (then no script may be
// written: a best-fit form may name another directory).
std::string ScriptDirectoryForm(const std::wstring& dir);

// Working directory for the script: the parent of `dir` ("C:\" for a
// directory on a drive root); empty when `dir` has no parent.
std::string ParentDirectory(const std::string& dir);

// Writes <dir>\velmor_uninstall.bat and, only when all of it was written,
// starts it hidden in the parent of `dir`. True when it was started.
bool WriteRemovalScript(const std::string& dir);
