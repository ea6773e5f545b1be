#pragma once
// CRoadCache: the road names, loaded from the lookup database once per run and offered to the
// road combos of the address and site pages as a list source. The application object holds one
// and answers GetRoadTable with it.

#include "controls/VariantTableSource.h"
#include "sdk/VariantTable.h"

#include <QString>

#include <functional>

class CListSource;

class CRoadCache {
public:
    static constexpr const char* kRoadQuery =
        "SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME";

    // Runs a query into a table; nonzero on success (CAppDB::LoadQueryToArray's contract).
    using Loader = std::function<int(const QString& sql, VariantTable& out)>;

    // Loads through XKR_GetAppDB().
    CRoadCache();
    // Loads through the given loader (tests count and fail loads with it).
    explicit CRoadCache(Loader loader);
    ~CRoadCache();
    CRoadCache(const CRoadCache&) = delete;
    CRoadCache& operator=(const CRoadCache&) = delete;

    // The road names ordered by name (column 1 of the query; column 0 holds the codes). Loaded
    // on the first call; null when that load failed. A failed load that left no table is tried
    // again by the next call; once loaded, the table is never read again.
    CListSource* GetRoadTable();

    const VariantTable& RoadArray() const { return m_roadArray; }

private:
    Loader m_loader;
    VariantTable m_roadArray;
    CVariantTableSource m_roadSource;
};
