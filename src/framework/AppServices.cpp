#include "framework/AppServices.h"

namespace kestrel {
namespace {
AppServices*& registered() {
    static AppServices* services = nullptr;
    return services;
}
} // namespace

AppServices* SetAppServices(AppServices* services) {
    AppServices* previous = registered();
    registered() = services;
    return previous;
}

AppServices* GetAppServices() {
    return registered();
}

void WriteLog(const QString& message) {
    if (AppServices* services = registered()) {
        services->WriteLog(message);
    }
}

bool IsViewOnly() {
    const AppServices* services = registered();
    return services && services->IsViewOnly();
}

CListSource* GetRoadTable() {
    AppServices* services = registered();
    return services ? services->GetRoadTable() : nullptr;
}

} // namespace kestrel
