#pragma once
// The two kinds of project store as the contract tests meet them: a fresh, empty store for one
// test, its KESTREL_PROJECT_STORE value, and a side door for arranging a table by hand and for
// reading what a call left behind. The calls under test only ever go through the C ABI.

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class StoreKind { Sqlite, Postgres };

class TestStore {
public:
    virtual ~TestStore() = default;

    // A fresh store; null with *why set when it cannot be had (no PostgreSQL server tools).
    static std::unique_ptr<TestStore> Make(StoreKind kind, std::string* why);

    // The KESTREL_PROJECT_STORE value that names this store.
    virtual std::string Setting() const = 0;
    // Runs SQL on the store; empty, or the complaint.
    virtual std::string Exec(const std::string& sql) = 0;
    // The first value of the first row as text; empty when there is no row.
    virtual std::string Query(const std::string& sql) = 0;
    // Runs call while the store cannot be written (a write-protected file, a read-only server).
    virtual int WhileReadOnly(const std::function<int()>& call) = 0;
    // Settings of this kind that cannot reach a store.
    virtual std::vector<std::string> Unreachable() const = 0;

    // How many rows hold the reference (no quotes in it).
    long Rows(const std::string& reference) {
        return std::stol(
            "0" + Query("SELECT count(*) FROM PROJECT WHERE REFERENCE_NO = '" + reference + "'"));
    }
    long AllRows() { return std::stol("0" + Query("SELECT count(*) FROM PROJECT")); }
};

// Runs call in a child process without root's rights when we are root (root writes through any
// file mode), directly otherwise; the call's answer.
int WithoutRootRights(const std::function<int()>& call);
