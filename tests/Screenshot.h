#pragma once

#include <windows.h>

#include <string>

// The CLSID of GDI+'s PNG encoder; false when it has none.
bool PngEncoderClsid(CLSID& clsid);

// Saves the whole X screen as a PNG into the test run's artefacts folder
// (<env>/artifacts). Returns the Unix path written, or an empty string when
// not run by the test harness or on failure.
std::wstring SaveScreenshot(const wchar_t* name);
