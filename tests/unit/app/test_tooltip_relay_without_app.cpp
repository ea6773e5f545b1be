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
    EXPECT_EQ(E_UNEXPECTED, static_cast<long>(static_cast<std::int32_t>(0x8000FFFFu)));
    EXPECT_EQ(RegisteredToolTipRelayCount(), 0);
    EXPECT_FALSE(ToolTipRelayHookInstalled());
    EXPECT_EQ(UnregisterToolTipRelay(&relay), E_INVALIDARG);
    EXPECT_EQ(RegisterToolTipRelay(nullptr), -1);
    EXPECT_EQ(UnregisterToolTipRelay(nullptr), -1);
}

} // namespace
