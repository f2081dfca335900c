#pragma once
// Lets the Qt event loop drain the mailbox (platform/audio/ui_mailbox.h) by
// itself: after a post from any thread, the application object is asked to
// drain once it is back in its loop. Call it after the application object
// exists; posts made while there is none are left to Drain.

void InstallUiMailboxWakeUp();
