// Which paths are read as regular disk files: devices, pipes and folders never are, and never wait.
#include "win32/disk_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/bmp_bytes.h"
#include "tests/support/saver_process.h"
#include "tests/support/unix_fifo.h"
#include "tests/support/waiting.h"

TEST(DeviceNames, ADeviceNameIsADeviceInAnyFolderWithAnyExtensionOrTrailingBlanks)
{
    for (const char* device :
         {"COM1", "com9", "Aux", "NUL", "PRN", "con", "lpt9", "conout$", "CLOCK$", "COM1 .bmp", "nul.tar.gz",
          "LPT1:", "AUX  ", "C:\\Bilder\\com1.bmp", "Z:/tmp/aux.bmp", "\\\\.\\COM1"})
        EXPECT_TRUE(NamesDevice(device)) << device;
    for (const char* file :
         {"", "C:", "COM", "COM0", "COM10", "LPT", "CONSOLE.bmp", "auxiliary.bmp", "nul_bild.bmp",
          "C:\\COM1\\bild.bmp", "C:\\Bilder\\bild.com1", ".COM1", "xCOM1"})
        EXPECT_FALSE(NamesDevice(file)) << file;
}

TEST(RegularDiskFiles, AFileOpensAndDevicesPipesAndFoldersAreRefusedWithoutWaiting)
{
    const bmp_bytes::TempFile file({1, 2, 3});
    ASSERT_TRUE(file.written());
    EXPECT_TRUE(IsRegularDiskFile(file.path()));
    EXPECT_EQ(GetFileType(OpenRegularDiskFile(file.path()).get()), DWORD(FILE_TYPE_DISK));

    // Under Wine COM1 and AUX are the serial port, whose reads never return; the FIFO
    // is held open by a writer that writes nothing, so its reads would wait too.
    const UnixFifo fifo;
    ASSERT_TRUE(fifo.Made());
    const UniqueFile writer = fifo.HoldOpen();
    ASSERT_TRUE(writer);
    const UniqueFile pipe(CreateNamedPipeA("\\\\.\\pipe\\tavrix_test", PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE,
                                           1, 0, 0, 0, nullptr));
    ASSERT_TRUE(pipe);
    const std::string folder = bmp_bytes::TempFolder();
    for (const char* path :
         {"COM1", "AUX", "COM1.bmp", "CON", fifo.path(), "\\\\.\\pipe\\tavrix_test", folder.c_str(), ""}) {
        EXPECT_FALSE(IsRegularDiskFile(path)) << path;
        EXPECT_FALSE(OpenRegularDiskFile(path)) << path;
    }
}

// A name checked as a regular file and swapped for a FIFO before it is opened is still refused: the
// opened handle has the last word. A host loop points a symbolic link at a file and at a FIFO in
// turn, as fast as it can, while the name is opened again and again for a few seconds.
TEST(RegularDiskFiles, ANameSwappedForAPipeBetweenItsCheckAndItsOpeningIsStillRefused)
{
    const UnixFifo fifo;
    ASSERT_TRUE(fifo.Made());
    const UniqueFile writer = fifo.HoldOpen();  // so that opening it for reading does not wait
    ASSERT_TRUE(writer);
    const std::string stem = "/tmp/tavrix_swap_" + std::to_string(GetCurrentProcessId());
    const bmp_bytes::TempFile file("Z:" + stem + "_file", {'B', 'M'});
    const bmp_bytes::TempFile running("Z:" + stem + "_running",
                                      {1});  // the loop goes on while this is there
    ASSERT_TRUE(file.written() && running.written());
    const std::string link = stem + "_link", fifoPath = std::string(fifo.path() + 2);
    std::string loop = "/bin/sh -c \"while [ -e " + stem + "_running ]; do ln -sfn " + stem + "_file " +
                       link + "; ln -sfn ";
    for (char c : fifoPath) loop += c == '\\' ? '/' : c;
    loop += " " + link + "; done; rm -f " + link + "\"";
    ASSERT_GT(WinExec(loop.c_str(), SW_HIDE), 31u);
    std::string windowsLink = "Z:" + link;
    for (char& c : windowsLink)
        if (c == '/') c = '\\';
    ASSERT_TRUE(WaitUntil([&] { return !IsAbsent(windowsLink.c_str()); }, 30000));

    // The name changes every millisecond or so and a try takes tens of microseconds: a few seconds
    // of tries meet the swap in the middle of one many times over.
    int opened = 0, refused = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 4000;) {
        const UniqueFile handle = OpenRegularDiskFile(windowsLink.c_str());
        if (!handle) {
            ++refused;
            continue;
        }
        ++opened;
        ASSERT_EQ(GetFileType(handle.get()), DWORD(FILE_TYPE_DISK)) << "after " << opened << " files opened";
    }
    EXPECT_GT(opened, 0) << "the name stood for the file at times";
    EXPECT_GT(refused, 0) << "and for the FIFO at others";
}
