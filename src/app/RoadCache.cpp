#include "app/RoadCache.h"

#include "sdk/AppDB.h"

CRoadCache::CRoadCache()
    : CRoadCache([](const QString& sql, VariantTable& out) {
          return XKR_GetAppDB()->LoadQueryToArray(sql, out);
      }) {}

CRoadCache::CRoadCache(Loader loader) : m_loader(std::move(loader)) {}

CRoadCache::~CRoadCache() {
    m_roadSource.SetTable(nullptr);
    m_roadArray.clear();
}

CListSource* CRoadCache::GetRoadTable() {
    if (m_roadArray.isEmpty()) {
        const int loaded = m_loader ? m_loader(QString::fromLatin1(kRoadQuery), m_roadArray) : 0;
        m_roadSource.SetTable(&m_roadArray);
        // The query orders by the name column, which compares ignoring case exactly as the
        // combo's search does, so the search may bisect.
        m_roadSource.m_bSorted = true;
        if (!loaded)
            return nullptr;
    }
    return &m_roadSource;
}
