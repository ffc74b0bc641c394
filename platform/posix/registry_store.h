// The registry file of the emulated device as this process holds it: the parsed tree, the
// transaction of the current device call, and the durable replace that commits it. The Reg*
// functions (registry.cpp) are built on it; the device lock opens and closes its transactions.
#pragma once

#include "platform/posix/registry_file.h"

#include <functional>

namespace regstore {

// Runs `read` on the current tree: this process's uncommitted writes included, else the file
// as it is now. ERROR_BADDB when the file cannot be read.
LONG read(const std::function<LONG(regfile::Tree&)>& read);

// Runs `change` on the current tree; it sets `changed` when it changed the tree. Inside a
// transaction the change stays in this process until the transaction commits; outside one it
// is committed, durably, before this returns.
LONG change(const std::function<LONG(regfile::Tree&, bool& changed)>& change);

// Commits, durably, what the current transaction has written so far; outside a transaction
// there is nothing left to commit. ERROR_BADDB for a file that cannot be read,
// ERROR_WRITE_FAULT when the commit failed (its writes are then lost: the file keeps the state
// of the last commit).
LONG flush();

// A transaction spans from the first begin to the matching end; nested pairs join the outer
// one. Its writes reach the file in one replace when it ends. The device lock opens one for as
// long as it is held, so that one device call lands whole or not at all.
void beginTransaction();
void endTransaction();

// The steps of a replace at which a test can make it fail or stop.
enum class Step {
  Write,    // writing the new file: failing here is a failed write (a full disk)
  Rename,   // before the new file is renamed over the old one: stopping here is a crash
  Renamed,  // after the rename, before the folder is synced: stopping here is a crash
};
enum class Fault { None, Fail, Stop };
// Called before each step of every replace (an empty function: none). Fail makes the step
// fail as the system call would; Stop leaves the files as a crash there would and makes the
// process forget what it held, as a restarted process would.
void setFaultHook(std::function<Fault(Step)> hook);

}  // namespace regstore
