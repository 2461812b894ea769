// Starts the built saver under Wine as Windows would, and watches its windows and exit code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/window_names.h"

// The folder of the running test program, which also holds the built saver and fixtures. Tests only
// read there: sessions that run at once share it.
std::string BuildFolder();
// A folder of this session's own (in its prefix) for the files and copies a test writes.
std::string ScratchFolder();

// The built saver, and a copy that Wine shows the Windows 98 family (with the fixture DLLs beside it).
std::string SaverPath();
// A file in the Windows folder, where the saver keeps its settings and the setup program installs it.
std::string InWindowsFolder(const char* name);
std::string Win98SaverPath();

// Sets a text value under HKEY_CURRENT_USER, or deletes it when `text` is null; or a number.
void WriteUserRegistry(const char* key, const char* name, const char* text);
void WriteUserRegistryNumber(const char* key, const char* name, DWORD number);

// A file's bytes as they are on disk; "" when it cannot be read.
std::string FileText(const std::string& path);

// Polls a condition every few milliseconds until it holds or the time is up. Windows of the test
// program must answer their messages meanwhile: `pump` has this thread's messages dispatched.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, bool pump = false);

class SaverProcess {
public:
    // arguments: the text after the program name; environment: extra NAME=VALUE entries.
    // creationFlags: CREATE_SUSPENDED makes a process that waits for Resume.
    SaverProcess(const std::string& program, const std::string& arguments,
                 const std::vector<std::string>& environment = {}, DWORD creationFlags = 0);
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }

    // The exit code once the process has ended within the time, else STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs = 30000);
    bool Running() { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    void Resume() { ResumeThread(info_.hThread); }
    // Ends the process at once, as a crash or the task manager would.
    void Kill() { TerminateProcess(info_.hProcess, 0xDEAD); }

    // A top-level window of this process with the class and title (any title if null), or null after the time.
    HWND WaitForWindow(const char* windowClass, const char* title, DWORD timeoutMs = 30000);

private:
    PROCESS_INFORMATION info_ = {};
};

// The full-screen saver window of a started saver; null when none came.
HWND WaitForSaverWindow(SaverProcess& saver);
