#pragma once
// What every part of the program reaches through the application object: the activity log, the
// view-only flag and the road table. The application registers itself at start-up; tests
// register a stand-in. With nothing registered, the log goes nowhere, the run is editable and
// there is no road table.

#include <QString>

class CListSource;

namespace kestrel {

class AppServices {
public:
    virtual ~AppServices() = default;
    virtual void WriteLog(const QString& message) = 0;
    virtual bool IsViewOnly() const = 0;
    // Null when the road names could not be loaded.
    virtual CListSource* GetRoadTable() = 0;
};

// Registers the services (null unregisters); returns the previous ones.
AppServices* SetAppServices(AppServices* services);
AppServices* GetAppServices();

// Shorthands that are safe with nothing registered.
void WriteLog(const QString& message);
bool IsViewOnly();
CListSource* GetRoadTable();

} // namespace kestrel
