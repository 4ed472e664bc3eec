// How replies fare while the portal refreshes: the real portal program reads 50 feeds from a
// source server in this process, and client threads ask for the largest reply the portal
// builds (every topic, 50 stories, 50 symbols, 30 airports; 15.5 KB, the reply cap), each
// client one request every few milliseconds, first with no refresh running (the sources
// fetched once at start, refresh a day away), then with all 50 refreshed at once every second.
// Prints the reply times of both runs; it judges nothing.
//
//   portal_refresh_bench [PORTAL] [--seconds N] [--clients N] [--interval MS]
#include <httplib.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSources = 50;
constexpr int kItems = 100;
const char* const kTopics[] = {"rt", "rw", "rb", "rp", "rc", "rs", "re"};

// A feed of about 200 KB: titles with entities and UTF-8, long descriptions, dates.
std::string Feed(int source) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
                      "<title>Source " +
                      std::to_string(source) + "</title>\n";
    const std::string words(1900, 'w');
    for (int i = 0; i < kItems; ++i) {
        char date[64];
        std::snprintf(date, sizeof date, "Tue, %02d May 2024 %02d:%02d:00 GMT", 1 + i % 28,
                      (source + i) % 24, i % 60);
        xml +=
            "<item><title>Story " + std::to_string(i) + " from source " + std::to_string(source) +
            " &amp; caf\xC3\xA9 \xE2\x80\x9Cnews\xE2\x80\x9D &#8212; more</title>"
            "<link>https://news" +
            std::to_string(source) + ".example/" + std::to_string(i) + ".html</link><pubDate>" +
            date + "</pubDate><description><![CDATA[<p>" + words + "</p>]]></description></item>\n";
    }
    return xml + "</channel></rss>\n";
}

struct Portal {
    pid_t pid = -1;
    int port = 0;
};

Portal StartPortal(const std::string& exe, const std::string& feeds, const std::string& cache,
                   int refresh) {
    int out[2];
    if (pipe(out) != 0) return {};
    Portal p;
    p.pid = fork();
    if (p.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        std::string r = std::to_string(refresh);
        execl(exe.c_str(), exe.c_str(), "--port", "0", "--frozen", "--feeds", feeds.c_str(),
              "--cache", cache.c_str(), "--refresh", r.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) line += c;
    close(out[0]);
    std::size_t colon = line.rfind(':');
    p.port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    return p;
}

void StopPortal(const Portal& p) {
    kill(p.pid, SIGTERM);
    waitpid(p.pid, nullptr, 0);
}

// Reply times in milliseconds of `clients` clients, each asking every `interval` ms.
void Measure(int port, const std::string& target, int clients, double seconds, int interval,
             std::vector<double>& times, std::size_t& bytes) {
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds));
    std::vector<std::vector<double>> each(clients);
    std::vector<std::thread> threads;
    for (int k = 0; k < clients; ++k) {
        threads.emplace_back([&, k] {
            httplib::Client client("127.0.0.1", port);
            client.set_url_encode(false);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            for (Clock::time_point start = Clock::now(); start < end;) {
                auto r = client.Get(target);
                each[k].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                if (r && k == 0) bytes = r->body.size();
                start += std::chrono::milliseconds(interval);
                std::this_thread::sleep_until(start);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (const auto& list : each) times.insert(times.end(), list.begin(), list.end());
}

void Print(const char* name, std::vector<double>& times, std::size_t bytes, int rounds) {
    std::sort(times.begin(), times.end());
    if (times.empty()) return;
    std::printf("%-22s %7zu replies of %zu bytes  p50 %6.2f ms  p99 %6.2f ms  max %7.2f ms"
                "  (%d refresh rounds)\n",
                name, times.size(), bytes, times[times.size() / 2],
                times[std::min(times.size() - 1, times.size() * 99 / 100)], times.back(), rounds);
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe = PORTAL_EXE;
    double seconds = 20;
    int clients = 2, interval = 10;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--clients" && i + 1 < argc)
            clients = std::atoi(argv[++i]);
        else if (arg == "--interval" && i + 1 < argc)
            interval = std::atoi(argv[++i]);
        else
            exe = arg;
    }
    signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> feeds;
    for (int i = 0; i < kSources; ++i) feeds.push_back(Feed(i));
    std::atomic<int> fetched{0};
    httplib::Server sources;
    sources.Get(R"(/feed/(\d+)\.xml)", [&](const httplib::Request& q, httplib::Response& r) {
        // The sources stand for the network, not for load on the portal's machine: their
        // server runs at the lowest priority, and sends a type httplib does not compress.
        static thread_local bool niced = setpriority(PRIO_PROCESS, syscall(SYS_gettid), 19) == 0;
        (void)niced;
        // Every copy differs from the last, as the portal then parses each one in full.
        int n = ++fetched;
        r.set_content(feeds[std::stoi(q.matches[1]) % kSources] + "<!-- " + std::to_string(n) +
                          " -->\n",
                      "application/rss+xml");
    });
    int sourcePort = sources.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { sources.listen_after_bind(); });

    char folder[] = "/tmp/portal_bench_XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string list = std::string(folder) + "/feeds.txt";
    std::ofstream out(list);
    for (int i = 0; i < kSources; ++i)
        out << kTopics[i % 7] << " http://127.0.0.1:" << sourcePort << "/feed/" << i << ".xml\n";
    out.close();

    std::string target = "/zrt/update?stocks=";
    for (int i = 0; i < 50; ++i) target += "S" + std::to_string(i) + ",";
    target += "&weather=f";
    for (int i = 0; i < 30; ++i) target += ",A" + std::to_string(i);
    target += "&news=50,rt,rw,rb,rp,rc,rs,re";

    std::printf("%d sources of %zu KB, %d clients each asking every %d ms, %.0f s a run\n",
                kSources, feeds[0].size() / 1024, clients, interval, seconds);
    // Both portals run side by side; the refreshing one is stopped (SIGSTOP) while the other
    // is measured, and the two take turns a second at a time, so that the load of the other
    // jobs on the machine falls on both alike.
    int before = fetched;
    Portal portals[2];
    for (int run = 0; run < 2; ++run) {
        portals[run] = StartPortal(exe, list, std::string(folder) + "/cache" + std::to_string(run),
                                   run == 0 ? 86400 : 1);
        if (portals[run].port <= 0) return 1;
    }
    while (fetched - before < 2 * kSources)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<double> times[2];
    std::size_t bytes = 0;
    int rounds = 0;
    for (int turn = 0; turn < 2 * static_cast<int>(seconds); ++turn) {
        int run = turn % 2;
        if (run == 0) kill(portals[1].pid, SIGSTOP);
        if (run == 1) kill(portals[1].pid, SIGCONT);
        int start = fetched;
        Measure(portals[run].port, target, clients, 1.0, interval, times[run], bytes);
        if (run == 1) rounds += fetched - start;
    }
    kill(portals[1].pid, SIGCONT);
    Print("no refresh running:", times[0], bytes, 0);
    Print("50 sources every 1 s:", times[1], bytes, rounds / kSources);
    std::printf("p99 while refreshing / p99 idle: %.2f\n",
                times[1][times[1].size() * 99 / 100] / times[0][times[0].size() * 99 / 100]);
    for (const Portal& portal : portals) StopPortal(portal);
    sources.stop();
    serving.join();
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
    return 0;
}
