// Registrations per second from several editors saving at once, for each kind of project store.
// Every process calls CreateProject as the editor does (a fresh connection per call) as soon as a
// shared gate opens; the time runs from the gate to the last process's end.
//
//   store_bench [processes=4] [calls per process=250] [rounds=3]
//
// Two workloads: "distinct", each process registering references of its own (every call
// succeeds), and "same set", all processes racing over one set of references (one call in
// `processes` succeeds, the others are told -1). PostgreSQL runs on a throwaway cluster on a Unix
// socket, durable (fsync on) as a real server; SQLite is one file on the same disk.
#include "ThrowawayCluster.h"
#include "host/TernSdkDef.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Round {
    double seconds = 0;
    int registered = 0;
    int refused = 0;
    int failed = 0;
};

// One timed race; the store is what KESTREL_PROJECT_STORE names.
Round Race(int processes, int calls, bool sameSet, const std::string& tag) {
    int gate[2];
    if (pipe(gate) != 0)
        std::exit(1);
    std::vector<std::pair<pid_t, int>> children;
    for (int p = 0; p < processes; ++p) {
        int report[2];
        if (pipe(report) != 0)
            std::exit(1);
        const pid_t pid = fork();
        if (pid == 0) {
            close(gate[1]);
            char byte;
            (void)!read(gate[0], &byte, 1);
            int counts[3] = {0, 0, 0};
            for (int k = 0; k < calls; ++k) {
                // Racing over one set, each process walks it from its own starting point.
                const int i = sameSet ? (k + p * calls / processes) % calls : p * calls + k;
                const std::string reference = tag + "-" + std::to_string(i) + "-2026";
                const int rc = CreateProject(reference.c_str());
                ++counts[rc == TERN_OK ? 0 : rc == TERN_DUPLICATE ? 1 : 2];
            }
            (void)!write(report[1], counts, sizeof counts);
            _exit(0);
        }
        close(report[1]);
        children.emplace_back(pid, report[0]);
    }
    close(gate[0]);
    const auto start = std::chrono::steady_clock::now();
    close(gate[1]);
    Round round;
    for (const auto& [pid, report] : children) {
        int counts[3] = {0, 0, 0};
        (void)!read(report, counts, sizeof counts);
        close(report);
        waitpid(pid, nullptr, 0);
        round.registered += counts[0];
        round.refused += counts[1];
        round.failed += counts[2];
    }
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return round;
}

void Measure(const char* store, const std::string& setting, int processes, int calls, int rounds) {
    setenv("KESTREL_PROJECT_STORE", setting.c_str(), 1);
    for (bool sameSet : {false, true}) {
        std::vector<Round> results;
        for (int r = 0; r < rounds; ++r) {
            const std::string tag = std::string(sameSet ? "S" : "D") + std::to_string(r);
            results.push_back(Race(processes, calls, sameSet, tag));
        }
        std::sort(results.begin(), results.end(),
                  [](const Round& a, const Round& b) { return a.seconds < b.seconds; });
        const Round& median = results[results.size() / 2];
        std::printf("%-10s  %-8s  %6d calls  %5d registered  %5d refused  %2d failed  %7.3f s"
                    "  %8.0f calls/s  %8.0f registrations/s\n",
                    store, sameSet ? "same set" : "distinct", processes * calls, median.registered,
                    median.refused, median.failed, median.seconds,
                    processes * calls / median.seconds, median.registered / median.seconds);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int processes = argc > 1 ? std::atoi(argv[1]) : 4;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 250;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    if (processes < 1 || calls < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: %s [processes] [calls per process] [rounds]\n", argv[0]);
        return 2;
    }
    std::printf("%d processes x %d calls, median of %d rounds\n", processes, calls, rounds);

    char folder[] = "/var/tmp/kestrel-store-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    Measure("SQLite", std::string(folder) + "/projects.db", processes, calls, rounds);
    for (const char* file : {"/projects.db", "/projects.db-journal", ""})
        std::remove((std::string(folder) + file).c_str());

    ThrowawayCluster cluster(/*durable=*/true);
    if (!cluster.Running()) {
        std::fprintf(stderr, "no PostgreSQL cluster: %s\n", cluster.Error().c_str());
        return 1;
    }
    Measure("PostgreSQL", cluster.Uri("public"), processes, calls, rounds);
    return 0;
}
