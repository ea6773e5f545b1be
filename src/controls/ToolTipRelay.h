#pragma once
// The process-wide relay set: every registered CToolTipRelay gets the mouse events of the whole
// program, so the tooltip of the main dialog sees movements over controls of nested pages too.
// The events are caught by an application-wide event filter (the "hook"), installed with the
// first registration and removed with the last.

#include <cstdint>

class CToolTipRelay;

// Result codes, with the values the callers know them by.
inline constexpr long kRelayNullArgument = -1;
inline constexpr long kRelayOk = 0;
// HRESULTs are 32-bit signed values; kept negative as the callers compare them.
inline constexpr long E_UNEXPECTED = static_cast<std::int32_t>(0x8000FFFFu);
inline constexpr long E_INVALIDARG = static_cast<std::int32_t>(0x80070057u);

// null -> -1; the hook cannot be installed (no application object) -> E_UNEXPECTED and
// nothing is registered; otherwise 0 (registering twice changes nothing).
long RegisterToolTipRelay(CToolTipRelay* relay);
// null -> -1; not registered -> E_INVALIDARG; otherwise 0. The last one out removes the
// hook.
long UnregisterToolTipRelay(CToolTipRelay* relay);

// For tests: how many relays are registered, and whether the hook is in place.
int RegisteredToolTipRelayCount();
bool ToolTipRelayHookInstalled();
