#pragma once
// The application's services for programs that show the pages without the application object
// (the documentation pictures, the benchmarks): the road names come from the lookup database as
// in the program, nothing is logged, and the run is editable. Registered while it lives.

#include "app/RoadCache.h"
#include "framework/AppServices.h"

class CQuietAppServices : public kestrel::AppServices {
public:
    CQuietAppServices() : m_previous(kestrel::SetAppServices(this)) {}
    ~CQuietAppServices() override { kestrel::SetAppServices(m_previous); }
    CQuietAppServices(const CQuietAppServices&) = delete;
    CQuietAppServices& operator=(const CQuietAppServices&) = delete;

    void WriteLog(const QString&) override {}
    bool IsViewOnly() const override { return false; }
    CListSource* GetRoadTable() override { return m_roads.GetRoadTable(); }

private:
    CRoadCache m_roads;
    kestrel::AppServices* m_previous;
};
