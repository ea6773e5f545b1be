#pragma once
// Application services for tests: collects the log lines and answers a chosen view-only flag.

#include "framework/AppServices.h"

#include <QStringList>

class ServicesStub : public kestrel::AppServices {
public:
    explicit ServicesStub(bool viewOnly = false)
        : m_viewOnly(viewOnly), m_previous(kestrel::SetAppServices(this)) {}
    ~ServicesStub() override { kestrel::SetAppServices(m_previous); }
    ServicesStub(const ServicesStub&) = delete;
    ServicesStub& operator=(const ServicesStub&) = delete;

    void WriteLog(const QString& message) override { lines.append(message); }
    bool IsViewOnly() const override { return m_viewOnly; }
    CListSource* GetRoadTable() override { return nullptr; }

    QStringList lines;

private:
    bool m_viewOnly;
    kestrel::AppServices* m_previous;
};
