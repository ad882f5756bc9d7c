#include "applications/EditSession.h"

#include <gtest/gtest.h>

#include <tuple>

#include "manager/ProductFixture.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// An editor's steps run in the order mutex, product key, customize switch, load, and stop at the
// first that fails; whatever the outcome, an ended session leaves the mutex free.
TEST(EditSessionTest, OpenStopsAtTheFirstFailingStepAndEndsHoldingNothing) {
    test::CProductFixture product;
    // The case, whether another editor holds the mutex, the product, its switch, the result.
    const std::tuple<const char*, bool, const char*, uint32_t, int32_t> cases[] = {
        {"another editor, even of a missing product", true, "Missing", 1, TQE_EDITING},
        {"missing product", false, "Missing", 1, TQE_REG_READ},
        {"customize off", false, "Demo", 0, TQE_CUSTOMIZE_OFF},
        {"ready", false, "Demo", 1, 0}};
    for (const auto& [pszCase, bOtherEditor, pszProduct, dwCustomize, lResult] : cases) {
        SCOPED_TRACE(pszCase);
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, test::CProductFixture::Sub("USER\\AddTarget"),
                             KEY_ALL_ACCESS),
                  0);
        ASSERT_EQ(key.SetDword("Customize", dwCustomize), 0);
        {
            CNamedMutex other;
            if (bOtherEditor) {
                ASSERT_EQ(other.Create(kEditMutexName, true), 0);
            }
            CEditSession session;
            EXPECT_EQ(session.Open(std::string(kProductKeyBase) + pszProduct), lResult);
            EXPECT_EQ(session.GetCtrlFile().IsLoaded(), lResult == 0);
            EXPECT_EQ(session.HoldsMutex(), lResult != TQE_EDITING);
        }
        CNamedMutex probe;
        EXPECT_EQ(probe.Open(kEditMutexName), ERROR_FILE_NOT_FOUND);
    }
}

}  // namespace
}  // namespace tq
