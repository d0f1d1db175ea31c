#include "LimitedRun.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hostile {

RunResult runLimited(const std::vector<std::string>& arguments, const RunLimits& limits, const std::string& scratchDir)
{
    RunResult result;
    const std::string errPath = scratchDir + "/stderr.txt";
    // Everything the child needs is made before it exists: between fork and
    // exec only calls that take no locks are safe.
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const rlimit space {limits.addressSpace, limits.addressSpace};

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        return result;
    if (child == 0) {
        setrlimit(RLIMIT_AS, &space);
        const int out = open("/dev/null", O_WRONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    result.started = true;

    int status = 0;
    rusage usage {};
    for (;;) {
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child)
            break;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() > limits.wallClockMs) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peakKb = usage.ru_maxrss;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);

    std::ifstream err(errPath);
    std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    result.stderrTail = text.substr(text.size() > 160 ? text.size() - 160 : 0);
    return result;
}

} // namespace hostile
