#include "ThrowawayCluster.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Debian keeps the server tools of each major version apart; take the newest.
std::string FindServerBin() {
    std::vector<std::string> found;
    const std::string root = "/usr/lib/postgresql";
    if (DIR* versions = opendir(root.c_str())) {
        while (const dirent* entry = readdir(versions)) {
            const std::string bin = root + "/" + entry->d_name + "/bin";
            if (entry->d_name[0] != '.' && access((bin + "/pg_ctl").c_str(), X_OK) == 0 &&
                access((bin + "/initdb").c_str(), X_OK) == 0)
                found.push_back(bin);
        }
        closedir(versions);
    }
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str() + 20) <
               std::atoi(b.c_str() + 20); // after "/usr/lib/postgresql/"
    });
    return found.empty() ? std::string() : found.back();
}

// The account the server runs as: postgres when we are root, ourselves otherwise.
struct ServerUser {
    bool switchTo = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

void BecomeServerUser(const ServerUser& user) {
    if (!user.switchTo)
        return;
    if (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0)
        _exit(126);
}

// Runs a server tool with its output in logPath; its exit status, or -1.
int RunTool(const std::vector<std::string>& args, const std::string& logPath,
            const std::string& workDir, const ServerUser& user) {
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        BecomeServerUser(user);
        // initdb and pg_ctl look at the working folder, which the server user must be able to.
        if (chdir(workDir.c_str()) != 0)
            _exit(126);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveTree(const std::string& path) {
    nftw(
        path.c_str(),
        [](const char* name, const struct stat*, int, FTW*) { return ::remove(name), 0; }, 16,
        FTW_DEPTH | FTW_PHYS);
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
    Start(durable);
}

void ThrowawayCluster::Start(bool durable) {
    const std::string bin = FindServerBin();
    if (bin.empty()) {
        m_error = "no initdb/pg_ctl under /usr/lib/postgresql/*/bin: install Debian's postgresql "
                  "package (scripts/install-deps.sh does), or set KESTREL_SKIP_PG=1 to skip";
        return;
    }
    ServerUser user;
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw) {
            m_error = "running as root, the server needs the postgres user, which Debian's "
                      "postgresql package creates";
            return;
        }
        user = {true, pw->pw_uid, pw->pw_gid};
    }
    char folder[] = "/tmp/kestrel-pg-XXXXXX"; // short: a socket path has at most 107 bytes
    if (!mkdtemp(folder)) {
        m_error = std::string("cannot make a folder under /tmp: ") + std::strerror(errno);
        return;
    }
    m_dir = folder;
    if (user.switchTo && chown(folder, user.uid, user.gid) != 0) {
        m_error = std::string("cannot hand the folder to postgres: ") + std::strerror(errno);
        return;
    }
    const std::string data = m_dir + "/data";
    const std::string log = m_dir + "/tools.log";

    // The guardian waits for the end of this process (its pipe closes), then stops the server
    // and removes the folder. Close-on-exec keeps the server itself from holding the pipe open.
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        m_error = "cannot make a pipe";
        return;
    }
    const pid_t guardian = fork();
    if (guardian == 0) {
        setsid(); // a Ctrl-C or a killed process group must still leave it to clean up
        signal(SIGINT, SIG_IGN);
        signal(SIGTERM, SIG_IGN);
        signal(SIGHUP, SIG_IGN);
        close(pipeEnds[1]);
        char byte;
        while (read(pipeEnds[0], &byte, 1) != 0 && errno == EINTR) {
        }
        if (access((data + "/postmaster.pid").c_str(), F_OK) == 0)
            RunTool({bin + "/pg_ctl", "-D", data, "-m", "immediate", "-w", "-t", "30", "stop"},
                    "/dev/null", m_dir, user);
        RemoveTree(m_dir);
        _exit(0);
    }
    close(pipeEnds[0]);
    if (guardian < 0) {
        close(pipeEnds[1]);
        m_error = "cannot start the guardian";
        RemoveTree(m_dir);
        return;
    }
    // pipeEnds[1] stays open, unread, until this process ends.

    if (RunTool({bin + "/initdb", "-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8",
                 "--locale=C", "--no-sync"},
                log, m_dir, user) != 0) {
        m_error = "initdb failed: " + ReadAll(log);
        return;
    }
    // Every role is trusted except one, which must prove its password: the tests need both.
    std::ofstream(data + "/pg_hba.conf")
        << "local all " << kPasswordRole << " scram-sha-256\nlocal all all trust\n";
    std::string options = "-c listen_addresses='' -c unix_socket_directories='" + m_dir + "'";
    if (!durable) // the tests' data is thrown away anyway
        options += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    if (RunTool({bin + "/pg_ctl", "-D", data, "-l", m_dir + "/server.log", "-o", options, "-w",
                 "-t", "60", "start"},
                log, m_dir, user) != 0) {
        m_error = "pg_ctl start failed: " + ReadAll(log) + ReadAll(m_dir + "/server.log");
        return;
    }
    m_error =
        Exec(std::string("CREATE ROLE ") + kPasswordRole + " LOGIN PASSWORD '" + kPassword + "'");
}

std::string ThrowawayCluster::Uri(const std::string& schema) const {
    return "postgresql:///postgres?host=" + m_dir + "&user=postgres&options=-csearch_path%3D" +
           schema;
}

std::string ThrowawayCluster::Exec(const std::string& sql) const {
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
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}
