// Without an application object there is nowhere to install the relay's hook: registration
// fails with E_UNEXPECTED and registers nothing.

#include "controls/ToolTipHost.h"
#include "controls/ToolTipRelay.h"

#include <gtest/gtest.h>

namespace {

class NullRelay : public CToolTipRelay {
public:
    long RelayEvent(QWidget*, QEvent*) override { return 0; }
    QWidget* GetRelayWnd() const override { return nullptr; }
};

TEST(ToolTipRelayWithoutApplication, RegisteringFailsAndLeavesTheSetEmpty) {
    NullRelay relay;
    EXPECT_EQ(RegisterToolTipRelay(&relay), E_UNEXPECTED);
    EXPECT_EQ(RegisteredToolTipRelayCount(), 0);
    EXPECT_FALSE(ToolTipRelayHookInstalled());
    EXPECT_EQ(UnregisterToolTipRelay(&relay), E_INVALIDARG);
}

} // namespace
