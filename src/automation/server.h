#pragma once

// The server's unload counting: live objects (instances and class
// factories) and the locks that hosts hold through LockServer.
namespace tallux::server {

void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lock(bool lock) noexcept;
// True while any object is alive or any lock is held.
bool inUse() noexcept;

} // namespace tallux::server
