#pragma once

#include <windows.h>

#include <string>

// The CLSID of GDI+'s PNG encoder; false when it has none.
bool PngEncoderClsid(CLSID& clsid);

// Saves the whole screen as a PNG into the test run's artefacts folder
// (<env>/artifacts, or the current directory outside a test run). Returns the
// Windows path written, or an empty string on failure.
std::wstring SaveScreenshot(const wchar_t* name);
