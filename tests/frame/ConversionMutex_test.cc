// The conversion is an editor: when it cannot own the editing mutex, for whatever reason, it
// stops before it touches the product.
#include <gtest/gtest.h>

#include "applications/EditSession.h"
#include "frame/Exports.h"
#include "manager/ProductFixture.h"
#include "platform/NamedMutex.h"
#include "resources/ErrorCodes.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TQ_CHILD_MAIN(ConvertAsOtherUser) {
    return VXCSTM_BaseInfoToControl(test::kProductPath.c_str()) == TQE_EDITING ? 0 : 1;
}

// Another user's process may not even open the mutex that root's editor holds; going on
// without it would let two editors rewrite one product.
TEST(ConversionMutexTest, AMutexThatCannotBeMadeStopsTheConversion) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    }
    test::CProductFixture product;
    product.OpenRegistryToAll();
    CNamedMutex editor;
    ASSERT_EQ(editor.Create(kEditMutexName, true), 0);
    test::CChildOptions other;
    other.m_bDropPrivileges = true;
    EXPECT_EQ(test::RunChild("ConvertAsOtherUser", {}, other), 0);
    // Loading would have reset the builder's requests for the missing control file.
    EXPECT_EQ(test::CProductFixture::Values("Builder\\Request"), "-");
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/ctrl.ctl")));
}

}  // namespace
}  // namespace tq
