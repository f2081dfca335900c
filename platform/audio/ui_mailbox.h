#pragma once
// Work handed to the user-interface thread from other threads, standing in
// for messages posted to a window. Tasks run in the order they were posted,
// each one later, never inside the call that posted it.
//
// The mailbox itself knows no window system: the program's user-interface
// side installs a wake-up (see platform/ui_mailbox_wakeup.h) that makes its
// event loop drain the mailbox soon after a post. Without one (tests, tools)
// the owner calls Drain when it wants the tasks to run.

#include <functional>

namespace UiMailbox {

// Queues `task` for the UI thread. Any thread may post. `owner` names who
// the task belongs to, so that the owner can cancel it before it goes away.
void Post(const void* owner, std::function<void()> task);

// Drops every queued task of `owner`; when it returns, none of them runs.
void Cancel(const void* owner);

// Runs queued tasks on the calling thread until the queue is empty, tasks
// posted while draining included. Returns how many ran.
int Drain();

// Called after every Post, on the posting thread, to have the UI thread
// drain soon; it must not run the tasks itself. nullptr removes it.
using TWakeUp = void (*)();
void SetWakeUp(TWakeUp wakeUp);

} // namespace UiMailbox
