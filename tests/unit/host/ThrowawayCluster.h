#pragma once
// ThrowawayCluster: a PostgreSQL server of the test program's own, made with initdb and started
// with pg_ctl from Debian's postgresql package. It listens on a Unix socket in a fresh folder
// under /tmp only (no TCP), trusts local connections, and runs as the postgres user when the
// program runs as root (the server refuses root). A guardian process stops it and removes its
// folder when the program ends, however it ends; nothing else is ever touched.

#include <string>

class ThrowawayCluster {
public:
    // Durable: fsync and synchronous commit on, as a real server runs; else fast, not crash-safe.
    explicit ThrowawayCluster(bool durable);
    ThrowawayCluster(const ThrowawayCluster&) = delete;
    ThrowawayCluster& operator=(const ThrowawayCluster&) = delete;

    bool Running() const { return m_error.empty(); }
    // Why the cluster could not be started.
    const std::string& Error() const { return m_error; }
    // A URI for the superuser on the "postgres" database, with its search path set to schema.
    std::string Uri(const std::string& schema) const;
    // Runs SQL as the superuser on the "postgres" database; empty, or the server's complaint.
    // With rows, the first column of every row the last statement gave, joined by '|'.
    std::string Exec(const std::string& sql, std::string* rows = nullptr) const;

private:
    // Makes and starts the cluster in m_dir; why it could not, or "".
    std::string Start(bool durable);
    std::string m_dir, m_error; // m_dir first: Start, which sets it, gives m_error
};
