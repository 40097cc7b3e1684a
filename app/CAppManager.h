#pragma once

#include "ui/CWindowThread.h"

// The application shell's manager of a window thread; gameApp is the main
// thread's. Everything the window toolkit relies on is in CWindowThread.
class CAppManager : public CWindowThread {
};
