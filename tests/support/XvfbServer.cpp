#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

extern char** environ;

namespace TestSupport {

namespace {

const int startupMilliseconds = 10000;

// What Xvfb writes to the descriptor once it listens: the display number and a newline.
std::string readDisplayNumber(int fd)
{
    std::string text;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(startupMilliseconds);
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

}  // namespace

XvfbServer::~XvfbServer() { stop(); }

bool XvfbServer::start(std::string& error, int screenWidth, int screenHeight)
{
    stop();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = "no pipe for Xvfb";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The write end reaches Xvfb as descriptor 3 (dup2 clears close-on-exec); its output goes nowhere.
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string screen = std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0) {
        close(ends[0]);
        pid = -1;
        error = "Xvfb cannot be started (is the xvfb package installed?)";
        return false;
    }
    const std::string number = readDisplayNumber(ends[0]);
    close(ends[0]);
    if (number.empty()) {
        stop();
        error = "Xvfb did not report a display";
        return false;
    }
    name = ":" + number;
    return true;
}

void XvfbServer::stop()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
    name.clear();
}

XvfbServer* sharedXvfb(std::string& error)
{
    static std::unique_ptr<XvfbServer> server;
    static std::string failure;
    if (!server && failure.empty()) {
        auto started = std::make_unique<XvfbServer>();
        if (started->start(failure)) {
            setenv("DISPLAY", started->display().c_str(), 1);
            server = std::move(started);
        }
    }
    error = failure;
    return server.get();
}

}  // namespace TestSupport
