#include "ThrowawayCluster.h"

#include <libpq-fe.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

// Debian keeps the server tools of each major version apart; take the newest.
std::string FindServerBin() {
    char bin[256] = {};
    if (FILE* newest = popen("ls -d /usr/lib/postgresql/*/bin/pg_ctl 2>/dev/null | sort -V | "
                             "tail -n 1 | xargs -r dirname",
                             "r")) {
        (void)!fgets(bin, sizeof bin, newest);
        pclose(newest);
    }
    std::string found(bin);
    while (!found.empty() && found.back() == '\n')
        found.pop_back();
    return access((found + "/initdb").c_str(), X_OK) == 0 ? found : std::string();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

bool ThrowawayCluster::SkipRequested() {
    const char* skip = std::getenv("KESTREL_SKIP_PG");
    return skip && std::strcmp(skip, "1") == 0;
}

ThrowawayCluster& ThrowawayCluster::Shared() {
    static ThrowawayCluster cluster(false);
    return cluster;
}

ThrowawayCluster::ThrowawayCluster(bool durable) {
    const std::string bin = FindServerBin();
    if (bin.empty()) {
        m_error = "no initdb/pg_ctl under /usr/lib/postgresql/*/bin: install Debian's postgresql "
                  "package (scripts/install-deps.sh does), or set KESTREL_SKIP_PG=1 to skip";
        return;
    }
    char folder[] = "/tmp/kestrel-pg-XXXXXX"; // short: a socket path has at most 107 bytes
    if (!mkdtemp(folder)) {
        m_error = std::string("cannot make a folder under /tmp: ") + std::strerror(errno);
        return;
    }
    m_dir = folder;
    // The server refuses root: then its tools run as the postgres user, in a folder it owns.
    std::string as;
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(folder, pw->pw_uid, pw->pw_gid) != 0) {
            m_error = "running as root, the server needs the postgres user, which Debian's "
                      "postgresql package creates";
            return;
        }
        as = "setpriv --reuid=postgres --regid=postgres --clear-groups ";
    }
    const std::string data = m_dir + "/data";
    const std::string log = m_dir + "/tools.log";
    // initdb and pg_ctl look at the working folder, which the server user must be able to.
    const auto run = [&](const std::string& tool) {
        return std::system(("cd " + m_dir + " && " + as + bin + "/" + tool + " >>" + log +
                            " 2>&1 </dev/null")
                               .c_str()) == 0;
    };

    // The guardian waits for the end of this process (its pipe closes), then stops the server
    // and removes the folder. Close-on-exec keeps the server itself from holding the pipe open.
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        m_error = "cannot make a pipe";
        return;
    }
    const std::string cleanUp = "cat >/dev/null; [ -f " + data + "/postmaster.pid ] && " + as +
                                bin + "/pg_ctl -D " + data +
                                " -m immediate -w -t 30 stop >/dev/null 2>&1; rm -rf " + m_dir;
    const pid_t guardian = fork();
    if (guardian == 0) {
        setsid(); // a Ctrl-C or a killed process group must still leave it to clean up
        for (const int sig : {SIGINT, SIGTERM, SIGHUP})
            signal(sig, SIG_IGN); // ignored signals stay ignored in the shell it becomes
        dup2(pipeEnds[0], STDIN_FILENO);
        execl("/bin/sh", "sh", "-c", cleanUp.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[0]);
    if (guardian < 0) {
        close(pipeEnds[1]);
        m_error = "cannot start the guardian";
        return;
    }
    // pipeEnds[1] stays open, unread, until this process ends.

    if (!run("initdb -D " + data + " -A trust -U postgres -E UTF8 --locale=C --no-sync")) {
        m_error = "initdb failed: " + ReadAll(log);
        return;
    }
    std::string options = "-c listen_addresses='' -c unix_socket_directories='" + m_dir + "'";
    if (!durable) // the tests' data is thrown away anyway
        options += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    if (!run("pg_ctl -D " + data + " -l " + m_dir + "/server.log -o \"" + options +
             "\" -w -t 60 start"))
        m_error = "pg_ctl start failed: " + ReadAll(log) + ReadAll(m_dir + "/server.log");
}

std::string ThrowawayCluster::Uri(const std::string& schema) const {
    return "postgresql:///postgres?host=" + m_dir + "&user=postgres&options=-csearch_path%3D" +
           schema;
}

std::string ThrowawayCluster::Exec(const std::string& sql, std::string* rows) const {
    PGconn* conn = PQconnectdb(Uri("public").c_str());
    std::string error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = PQerrorMessage(conn);
    } else {
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
        PGresult* result = PQexec(conn, sql.c_str());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = std::string(PQresultErrorMessage(result)) + " in: " + sql;
        for (int row = 0; rows && row < PQntuples(result); ++row)
            *rows += (rows->empty() ? "" : "|") + std::string(PQgetvalue(result, row, 0));
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}
