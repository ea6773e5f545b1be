#pragma once
// What the application supplies to the project pages, for the tests: a small road table whose
// names the lookup database knows, the view-only flag, and a log kept in memory.

#include "controls/ListSource.h"
#include "framework/AppServices.h"

#include <QStringList>

class TestServices : public kestrel::AppServices {
public:
    explicit TestServices(bool viewOnly = false) : m_viewOnly(viewOnly) {
        m_roads.SetItems(Roads(), true);
        m_previous = kestrel::SetAppServices(this);
    }
    ~TestServices() override { kestrel::SetAppServices(m_previous); }
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

    // Road names of the lookup database, in its order.
    static QStringList Roads() {
        return {"ADAM AVENUE",  "ADAM CIRCLE", "ADAM CLOSE",
                "ADAM GARDENS", "ADAM GREEN",  "ADAM GROVE"};
    }

    void WriteLog(const QString& message) override { log.append(message); }
    bool IsViewOnly() const override { return m_viewOnly; }
    CListSource* GetRoadTable() override { return &m_roads; }

    QStringList log;

private:
    bool m_viewOnly;
    CStringListSource m_roads;
    kestrel::AppServices* m_previous = nullptr;
};
