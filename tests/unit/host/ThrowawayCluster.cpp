#include "ThrowawayCluster.h"

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

// Debian keeps the server tools of each major version apart: the newest, or "" when there are none.
std::string ServerBin() {
    std::string bin;
    double newest = 0;
    std::error_code ec;
    for (const auto& version : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string tools = version.path().string() + "/bin";
        const double number = std::atof(version.path().filename().c_str());
        if (number > newest && access((tools + "/initdb").c_str(), X_OK) == 0 &&
            access((tools + "/pg_ctl").c_str(), X_OK) == 0) {
            newest = number;
            bin = tools;
        }
    }
    return bin;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

ThrowawayCluster::ThrowawayCluster(bool durable) : m_error(Start(durable)) {}

std::string ThrowawayCluster::Start(bool durable) {
    const std::string bin = ServerBin();
    char folder[] = "/tmp/kestrel-pg-XXXXXX"; // short: a socket path has at most 107 bytes
    if (bin.empty())
        return "no initdb/pg_ctl under /usr/lib/postgresql/*/bin: install Debian's postgresql "
               "package (scripts/install-deps.sh does), or set KESTREL_SKIP_PG=1 to skip";
    if (!mkdtemp(folder))
        return "cannot make a folder under /tmp";
    m_dir = folder;
    const std::string data = m_dir + "/data", log = m_dir + "/tools.log";
    // The server refuses root: its tools then run as the postgres user, in a folder it owns.
    const passwd* pw = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    const std::string as = pw ? "setpriv --reuid=postgres --regid=postgres --clear-groups " : "";
    // The guardian, in a session of its own and deaf to Ctrl-C, waits for the end of this process
    // (its pipe closes, however it ends), then stops the server and removes the folder. The pipe
    // is close-on-exec ("e"): the server never holds it open.
    if (!popen(("setsid sh -c 'trap \"\" INT TERM HUP; cat; " + as + bin + "/pg_ctl -D " + data +
                " -m immediate -w -t 30 stop; rm -rf " + m_dir + "' >/dev/null 2>&1")
                   .c_str(),
               "we"))
        return "cannot start the guardian";
    if (geteuid() == 0 && (!pw || chown(folder, pw->pw_uid, pw->pw_gid) != 0))
        return "as root the server needs the postgres user, which Debian's postgresql makes";
    // In the cluster's folder: the tools look at the working folder, ours may be closed to them.
    const auto run = [&](const std::string& tool) {
        return std::system(("cd " + m_dir + " && " + as + bin + "/" + tool + " >>" + log +
                            " 2>&1 </dev/null")
                               .c_str()) == 0;
    };
    const std::string fast =
        durable ? "" : " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    if (!run("initdb -D " + data + " -A trust -U postgres -E UTF8 --locale=C --no-sync"))
        return "initdb failed: " + ReadAll(log);
    if (!run("pg_ctl -D " + data + " -l " + m_dir + "/server.log -o \"-c listen_addresses=''" +
             " -c unix_socket_directories='" + m_dir + "'" + fast + "\" -w -t 60 start"))
        return "pg_ctl start failed: " + ReadAll(log) + ReadAll(m_dir + "/server.log");
    return "";
}

std::string ThrowawayCluster::Uri(const std::string& schema) const {
    return "postgresql:///postgres?host=" + m_dir + "&user=postgres&options=-csearch_path%3D" +
           schema;
}

std::string ThrowawayCluster::Exec(const std::string& sql, std::string* rows) const {
    PGconn* conn = PQconnectdb(Uri("public").c_str());
    std::string error = PQstatus(conn) == CONNECTION_OK ? "" : PQerrorMessage(conn);
    if (error.empty()) {
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr); // "table does not exist, skipping"
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
