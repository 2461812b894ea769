// Starts the built saver under Wine as Windows would, and watches its windows and exit code.
#include "tests/support/saver_process.h"

#include "tests/support/waiting.h"

namespace {

// A top-level window of the process with the class and title (any title if null); null if none.
HWND FindProcessWindow(DWORD processId, const char* windowClass, const char* title)
{
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, windowClass, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

}  // namespace

SaverProcess::SaverProcess(const std::string& program, const std::string& arguments,
                           const std::vector<std::string>& environment, DWORD creationFlags)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    // The process inherits this one's environment, with the extra entries set for the moment.
    auto setEach = [&](bool set) {
        for (const std::string& entry : environment) {
            const size_t equals = entry.find('=');
            SetEnvironmentVariableA(entry.substr(0, equals).c_str(),
                                    set ? entry.c_str() + equals + 1 : nullptr);
        }
    };
    setEach(true);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    // A process that could not start leaves the owners empty.
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                       nullptr, &startup, &started)) {
        process_.reset(started.hProcess);
        thread_.reset(started.hThread);
        id_ = started.dwProcessId;
    }
    setEach(false);
}

SaverProcess::~SaverProcess()
{
    if (!process_) return;
    Kill();
    WaitForExit();
    // Wine takes an ended process's windows away a moment later; a saver started meanwhile would
    // find this one's window and hand over to it.
    WaitUntil([&] { return !FindProcessWindow(id_, kSaverWindowClass, nullptr); }, 30000);
}

DWORD SaverProcess::WaitForExit(DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND SaverProcess::WaitForWindow(const char* windowClass, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(id_, windowClass, title);
            // Once its thread answers, the window is made (and shown, if it is to be) and takes messages.
            if (found && !SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr))
                found = nullptr;
            return found || !Running();
        },
        timeoutMs);
    return found;
}

HWND WaitForSaverWindow(SaverProcess& saver)
{
    return saver.WaitForWindow(kSaverWindowClass, kFullScreenTitle);
}
