// Starts the built saver under Wine as Windows would, and watches its windows and exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/window_names.h"
#include "win32/handles.h"

class SaverProcess {
public:
    // arguments: the text after the program name; environment: extra NAME=VALUE entries.
    // creationFlags: CREATE_SUSPENDED makes a process that waits for Resume.
    SaverProcess(const std::string& program, const std::string& arguments,
                 const std::vector<std::string>& environment = {}, DWORD creationFlags = 0);
    // A process still running is killed, and its windows awaited gone.
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    DWORD Id() const { return id_; }

    // The exit code once the process has ended within the time, else STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs = 30000);
    bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    void Resume() { ResumeThread(thread_.get()); }
    // Ends the process at once, as a crash or the task manager would.
    void Kill() { TerminateProcess(process_.get(), 0xDEAD); }

    // A top-level window of this process with the class and title (any title if null), or null after the time.
    HWND WaitForWindow(const char* windowClass, const char* title, DWORD timeoutMs = 30000);

private:
    UniqueKernelObject process_;
    UniqueKernelObject thread_;
    DWORD id_ = 0;
};

// The full-screen saver window of a started saver; null when none came.
HWND WaitForSaverWindow(SaverProcess& saver);
