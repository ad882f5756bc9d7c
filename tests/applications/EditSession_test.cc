#include "applications/EditSession.h"

#include <gtest/gtest.h>

#include "manager/ProductFixture.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// An editor's steps run in the order mutex, product key, customize switch, load, and stop at the
// first that fails; whatever the outcome, an ended session leaves the mutex free.
TEST(EditSessionTest, OpenStopsAtTheFirstFailingStepAndEndsHoldingNothing) {
    test::CProductFixture product;
    const struct {
        const char* m_pszCase;
        bool m_bOtherEditor;
        const char* m_pszProduct;
        uint32_t m_dwCustomize;
        int32_t m_lResult;
    } cases[] = {
        {"another editor, even of a missing product", true, "Missing", 1, TQE_EDITING},
        {"missing product", false, "Missing", 1, TQE_REG_READ},
        {"customize off", false, "Demo", 0, TQE_CUSTOMIZE_OFF},
        {"ready", false, "Demo", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_pszCase);
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, test::CProductFixture::Sub("USER\\AddTarget"),
                             KEY_ALL_ACCESS),
                  0);
        ASSERT_EQ(key.SetDword("Customize", c.m_dwCustomize), 0);
        {
            CNamedMutex other;
            if (c.m_bOtherEditor) {
                ASSERT_EQ(other.Create(kEditMutexName, true), 0);
            }
            CEditSession session;
            EXPECT_EQ(session.Open(std::string(kProductKeyBase) + c.m_pszProduct), c.m_lResult);
            EXPECT_EQ(session.GetCtrlFile().IsLoaded(), c.m_lResult == 0);
            EXPECT_EQ(session.HoldsMutex(), c.m_lResult != TQE_EDITING);
        }
        CNamedMutex probe;
        EXPECT_EQ(probe.Open(kEditMutexName), ERROR_FILE_NOT_FOUND);
    }
}

}  // namespace
}  // namespace tq
