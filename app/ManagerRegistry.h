#pragma once

#include <mutex>

// The one process-wide lock shared by the manager registry and the window
// class list. Never held while a window message is sent.
std::mutex& RegistryMutex();
