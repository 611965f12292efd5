#pragma once

#include "tallux/com.h"

// The server's unload counting: live objects (instances and class
// factories) and the locks that hosts hold through LockServer.
namespace tallux::server {

void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lock(bool lock) noexcept;
// True while any object is alive or any lock is held.
bool inUse() noexcept;

// The class factory of Tallux, counted as a live object.
com::ComPtr<com::IClassFactory> makeClassFactory();

} // namespace tallux::server
