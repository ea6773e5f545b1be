#pragma once
// Sets or clears one environment variable for the life of the object, then puts back whatever
// was there before (including "not set at all"). Free of any test framework, so gtest programs
// and QtTest programs can both use it.

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class ScopedEnv {
public:
    // std::nullopt clears the variable; any value, the empty one too, sets it.
    ScopedEnv(const char* name, const std::optional<QByteArray>& value) : m_name(name) {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            qputenv(m_name.constData(), *m_old);
        else
            qunsetenv(m_name.constData());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_old;
};
