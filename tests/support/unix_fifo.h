// A named pipe of the Linux host (a FIFO) for the tests, made by the host's mkfifo, which Wine
// starts like any program.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/waiting.h"
#include "win32/disk_file.h"
#include "win32/handles.h"

// In the host's /tmp; it is removed again when the object ends.
class UnixFifo {
public:
    UnixFifo()
    {
        for (char& c : path_)
            if (c == '/') c = '\\';
        // Wine may report the host program ended before it has run: wait for the FIFO itself.
        if (StartHostCommand("/usr/bin/mkfifo " + unixPath_)) WaitUntil([this] { return Made(); }, 30000);
    }
    // Wine's DeleteFileA refuses a FIFO.
    ~UnixFifo()
    {
        StartHostCommand("/bin/rm -f " + unixPath_);
        WaitUntil([this] { return !Made(); }, 30000);
    }
    UnixFifo(const UnixFifo&) = delete;
    UnixFifo& operator=(const UnixFifo&) = delete;

    // Wine does not report a FIFO's attributes, but lists it in its folder, as IsAbsent asks.
    bool Made() const { return !IsAbsent(path_.c_str()); }

    // Opened for reading and writing: while this is held, a read from the FIFO waits for good.
    UniqueFile HoldOpen() const
    {
        return UniqueFile(CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    const char* path() const { return path_.c_str(); }

private:
    // Wine runs a host program's command line as it runs a Windows program, but hands back no
    // handle to wait on, so the caller waits for the command's effect.
    static bool StartHostCommand(const std::string& command)
    {
        return WinExec(command.c_str(), SW_HIDE) > 31;
    }

    std::string unixPath_ = "/tmp/tavrix_fifo_" + std::to_string(GetCurrentProcessId());
    std::string path_ = "Z:" + unixPath_;
};
