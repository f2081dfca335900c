#pragma once
// Work handed to the user-interface thread from other threads, standing in
// for messages posted to a window. Tasks run in the order they were posted,
// each one later, never inside the call that posted it.
//
// With a Qt application the event loop drains the mailbox by itself; without
// one (tests, tools) the owner calls Drain when it wants the tasks to run.

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

} // namespace UiMailbox
