// The portal program: reads the options, loads the content, listens, and prints
// "portal listening on ADDR:PORT" once it accepts connections. SIGINT or SIGTERM stop it.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "options.h"
#include "server.h"

#ifndef PORTAL_DEFAULT_DATA_DIR
#define PORTAL_DEFAULT_DATA_DIR "data"
#endif

int main(int argc, char** argv) {
    portal::Options options;
    options.portal.dataDir = PORTAL_DEFAULT_DATA_DIR;
    std::string error;
    if (!portal::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "portal: " << error << "\n" << portal::UsageText();
        return 2;
    }
    if (options.help) {
        std::cout << portal::UsageText();
        return 0;
    }

    // Signals are taken by one waiting thread; every other thread keeps them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    portal::Portal site;
    std::vector<std::string> warnings;
    bool loaded = site.Load(options.portal, warnings, error);
    for (const std::string& w : warnings) std::cerr << "portal: warning: " << w << "\n";
    if (!loaded) {
        std::cerr << "portal: " << error << "\n";
        return 1;
    }

    httplib::Server server;
    site.Install(server);
    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.bind);
    } else if (!server.bind_to_port(options.bind, port)) {
        port = -1;
    }
    // From here the process ends with _exit: a refresh thread may be making a connection for
    // up to the connect deadline, and nothing it holds needs saving (a cached copy is renamed
    // into place whole), so the portal does not wait for it.
    if (port <= 0) {
        std::cerr << "portal: cannot listen on " << options.bind << ":" << options.port << "\n";
        _exit(1);
    }

    std::atomic<bool> listening{true};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // stop() only acts once the server runs, so repeat it until listening has ended.
        while (listening) {
            server.stop();
            usleep(20 * 1000);
        }
    });

    std::printf("portal listening on %s:%d\n", options.bind.c_str(), port);
    std::fflush(stdout);
    bool ok = server.listen_after_bind();
    listening = false;
    kill(getpid(), SIGTERM);  // ends the stopper if listening ended on its own
    stopper.join();
    std::fflush(nullptr);
    _exit(ok ? 0 : 1);
}
