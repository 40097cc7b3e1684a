#pragma once

// GDI+ headers use unqualified min/max, which NOMINMAX removes; give them
// the standard ones so the same code builds with MSVC and mingw-w64.
#include <windows.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus

#include <objidl.h>

#include <gdiplus.h>
