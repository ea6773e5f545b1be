#pragma once
// The application's services for widget tests: the log kept in memory, a chosen view-only flag,
// and a small sorted road table whose names the lookup database knows. Registered while it lives.

#include "controls/ListSource.h"
#include "framework/AppServices.h"

#include <QStringList>

class TestAppServices : public kestrel::AppServices {
public:
    explicit TestAppServices(bool viewOnly = false, QStringList roadNames = DefaultRoads())
        : viewOnly(viewOnly), roads(std::move(roadNames), true),
          m_previous(kestrel::SetAppServices(this)) {}
    ~TestAppServices() override { kestrel::SetAppServices(m_previous); }
    TestAppServices(const TestAppServices&) = delete;
    TestAppServices& operator=(const TestAppServices&) = delete;

    // Road names of the lookup database, in its order.
    static QStringList DefaultRoads() {
        return {"ADAM AVENUE",  "ADAM CIRCLE", "ADAM CLOSE",
                "ADAM GARDENS", "ADAM GREEN",  "ADAM GROVE"};
    }

    void WriteLog(const QString& message) override { log.append(message); }
    bool IsViewOnly() const override { return viewOnly; }
    CListSource* GetRoadTable() override { return roads.GetCount() > 0 ? &roads : nullptr; }

    QStringList log;
    bool viewOnly;
    CStringListSource roads;

private:
    kestrel::AppServices* m_previous;
};
