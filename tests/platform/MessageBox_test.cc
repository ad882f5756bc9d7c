#include "platform/MessageBox.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(MessageBoxTest, AScriptedBoxAnswersInItsScopeAndWithoutATerminalTheAnswerIsNo) {
    CScriptedMessageBox box;
    {
        CMessageBoxScope scope(box);
        box.PushAnswer(IDYES);
        EXPECT_EQ(GetMessageBox().AskYesNo("first?", "Cap"), IDYES);
    }
    EXPECT_EQ(&GetMessageBox(), &GetSystemMessageBox());
    CTerminalMessageBox noTerminal(CTerminalMessageBox::Mode::Ask, "/nonexistent/tty");
    EXPECT_EQ(noTerminal.AskYesNo("?", "T"), IDNO);
}

}  // namespace
}  // namespace tq
