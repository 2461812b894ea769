// The ways a test waits, each with a deadline. Where it watches another process, a bounded poll;
// where it owns windows, its message loop runs meanwhile, so that they answer.
#pragma once

#include <windows.h>

#include <functional>

// Asks `condition` every 10 ms until it holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Runs this thread's messages for a while, or until one `awaited` message was handled (then true).
// The engine's drawing loop gives way when our own timer is due, as it would for any waiting message.
bool RunMessages(DWORD timeoutMs, UINT awaited = 0);

// Runs this thread's messages until `condition` holds (true) or the time is up (false). The
// condition is asked after every message, and every 10 ms when none comes.
bool RunMessagesUntil(const std::function<bool()>& condition, DWORD timeoutMs);
