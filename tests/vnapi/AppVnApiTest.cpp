// The interface test program, run as the bench runs it: a child process whose
// exit status tells whether the unit answered.
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "unit/UnitMemory.h"

extern char** environ;

namespace {

// AppVnApi is built beside the test program.
std::filesystem::path InterfaceTestProgram()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "AppVnApi";
}

// Copies the program into folder (so that it finds its unit files there),
// runs it with its own name as argument and returns its exit status.
int RunIn(const TemporaryFolder& folder)
{
    const std::filesystem::path program = std::filesystem::path(folder.Folder()) / "AppVnApi";
    std::filesystem::copy_file(InterfaceTestProgram(), program, std::filesystem::copy_options::overwrite_existing);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1000 - spawned;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void WriteSetup(const TemporaryFolder& folder, const std::string& text)
{
    std::ofstream(folder.Folder() + "VarnUnit.ini") << text;
}

TEST(AppVnApi, ExitsZeroWhenTheUnitAnswers)
{
    ASSERT_TRUE(std::filesystem::exists(InterfaceTestProgram())) << InterfaceTestProgram();
    TemporaryFolder folder;
    EXPECT_EQ(RunIn(folder), 0);
    // It was a power-on of the unit in that folder.
    const auto memory = virtualunit::ReadMemoryFile(folder.Folder() + "VarnUnit.mem");
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->History.PowerOns, 1u);
}

TEST(AppVnApi, ExitsNonZeroWhenAStepFails)
{
    for (const char* fault : {"Varn_Open -3", "Varn_Identify -4", "Varn_PeripheralStatus -2", "VnDisconnect -64"}) {
        TemporaryFolder folder;
        WriteSetup(folder, std::string("[Unit]\nTimeScale = 0\n[Faults]\nOnCall = ") + fault + "\n");
        EXPECT_NE(RunIn(folder), 0) << fault;
    }
}

} // namespace
