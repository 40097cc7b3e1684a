#include "app/ManagerRegistry.h"

std::mutex& RegistryMutex()
{
    // Function-local so that windows created during static initialisation
    // of another unit still find a constructed lock.
    static std::mutex lock;
    return lock;
}
