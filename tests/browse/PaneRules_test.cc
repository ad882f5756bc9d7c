// The keys and the default button of the file-selection pane, as both front ends take them.
#include "browse/PaneRules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tq {
namespace {

TEST(PaneRulesTest, KeysActOnlyInTheirControls) {
    using K = EPaneKey;
    using C = EPaneControl;
    using A = EPaneAction;
    // key, control, Ctrl held, drop-down open -> action
    const std::tuple<K, C, bool, bool, A> cases[] = {
        {K::kBackspace, C::kFiles, false, false, A::kUp},
        {K::kBackspace, C::kFiles, false, true, A::kUp},
        {K::kBackspace, C::kLocation, false, false, A::kUp},
        {K::kBackspace, C::kLocation, false, true, A::kNone},
        {K::kBackspace, C::kOther, false, false, A::kNone},
        {K::kD, C::kLocation, true, false, A::kDetailsView},
        {K::kD, C::kFiles, false, false, A::kNone},
        {K::kL, C::kFiles, true, false, A::kListView},
        {K::kF4, C::kFiles, false, false, A::kOpenLocation},
        {K::kF4, C::kLocation, false, false, A::kNone},
        {K::kF5, C::kLocation, false, true, A::kRefresh},
        {K::kF5, C::kOther, false, false, A::kNone},
        {K::kOther, C::kFiles, true, false, A::kNone}};
    for (const auto& [key, control, bCtrl, bOpen, action] : cases) {
        EXPECT_EQ(DecidePaneKey(key, control, bCtrl, bOpen), action)
            << static_cast<int>(key) << " in " << static_cast<int>(control);
    }
    // A push button keeps Enter; the file list gives it to Add, the rest to the dialog's button.
    EXPECT_EQ(DecideDefaultButton(true, true), EDefaultButton::kKeep);
    EXPECT_EQ(DecideDefaultButton(false, true), EDefaultButton::kAdd);
    EXPECT_EQ(DecideDefaultButton(false, false), EDefaultButton::kDialog);
}

}  // namespace
}  // namespace tq
