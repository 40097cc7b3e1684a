#pragma once

#include <windows.h>

// Process-wide state of the double's DLL: its module handle and the count of
// live objects and server locks that keeps COM from unloading it.
HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();
