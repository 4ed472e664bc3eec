// Test helpers: the portal program run as a subprocess on a free loopback port, an HTTP client
// for it, a private folder per test, and waiting on a condition.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace portal::test {

// A fresh folder under the test's temporary directory, removed at the end.
struct Folder {
    explicit Folder(const std::string& name)
        : path(::testing::TempDir() + "portal_" + std::to_string(getpid()) + "_" + name) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// Polls the condition until it holds or the seconds have passed.
inline bool WaitFor(const std::function<bool()>& condition, double seconds = 15) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

// Runs the portal with the given options until the object goes away. Its standard error goes
// to a file that Errors() reads; its first line on standard output names its port.
class PortalProcess {
  public:
    explicit PortalProcess(std::vector<std::string> args) {
        static int runs = 0;
        errors_ = ::testing::TempDir() + "portal_stderr_" + std::to_string(getpid()) + "_" +
                  std::to_string(++runs);
        int out[2];
        if (pipe(out) != 0) return;
        args.insert(args.begin(), {PORTAL_EXE, "--port", "0"});
        if ((pid_ = fork()) == 0) {
            dup2(out[1], STDOUT_FILENO);
            if (FILE* err = std::fopen(errors_.c_str(), "w")) dup2(fileno(err), STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(PORTAL_EXE, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
        std::string line;
        pollfd p{stdout_, POLLIN, 0};
        for (char c = 0; c != '\n' && poll(&p, 1, 10000) > 0 && read(stdout_, &c, 1) == 1;)
            line += c;
        const std::string prefix = "portal listening on 127.0.0.1:";
        if (line.rfind(prefix, 0) == 0) port_ = std::atoi(line.c_str() + prefix.size());
    }
    ~PortalProcess() { Stop(); }

    int Port() const { return port_; }
    std::string Errors() const {
        std::ifstream in(errors_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Asks the portal to stop and waits for it (at most a few seconds). Returns the exit status.
    int Stop() {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        int status = -1;
        if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) != 0; }, 5)) kill(pid_, SIGKILL);
        if (!WIFEXITED(status)) waitpid(pid_, &status, 0);
        pid_ = -1;
        close(stdout_);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A client of the portal; targets are sent exactly as written, like the ticker does.
    httplib::Client Client(int timeoutSeconds = 5) const {
        httplib::Client c("127.0.0.1", port_);
        c.set_connection_timeout(timeoutSeconds);
        c.set_read_timeout(timeoutSeconds);
        c.set_url_encode(false);
        return c;
    }

    // The body of a GET, "" when there is no answer.
    std::string Body(const std::string& target) const {
        auto r = Client().Get(target);
        return r ? r->body : "";
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1, port_ = 0;
    std::string errors_;
};

}  // namespace portal::test
