#pragma once

#include "base/FeatureControlList.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A feature's present value for the executable; nullopt when there is none
// or it is no REG_DWORD.
using FeatureValueReader = std::function<std::optional<DWORD>(const wchar_t* feature)>;

// The client's feature controls whose value `current` does not already
// hold, in list order: only these are written.
std::vector<FeatureControl> FeatureControlsToWrite(const FeatureValueReader& current);

// The file part of `module`'s path ("Lumarion.exe"); empty on failure.
std::wstring ModuleFileName(HMODULE module);

// Writes the client's feature controls for `exeName` under `userRoot`
// (HKEY_CURRENT_USER in the client), only where the value differs. A value
// that cannot be written (policy, read-only hive) is skipped: the control
// then runs as it would without it. Returns how many were written.
int ApplyFeatureControls(HKEY userRoot, const std::wstring& exeName);

// ApplyFeatureControls for the running executable under the current user.
// Called on the browser thread before the first control is created.
void ApplyClientFeatureControls();
