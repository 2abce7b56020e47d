#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/adapters/scripted_dialogs.h"

namespace rotaryn {
namespace {

// Unqueued boxes press the first button; queued answers go to boxes in order and must fit them.
TEST(ScriptedDialogs, BoxesTakeQueuedAnswersElseTheFirstButtonAndAreRecorded) {
  ScriptedDialogs dialogs;
  EXPECT_EQ(dialogs.messageBox("Map List updated successfully.", "Success", MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(dialogs.messageBox("Delete?", "Confirmation Required!", MessageButtons::YesNo),
            MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("Save?", "t", MessageButtons::OkCancel), MessageAnswer::Ok);
  dialogs.queueAnswer(MessageAnswer::No);
  dialogs.queueAnswer(MessageAnswer::Cancel);
  dialogs.queueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("a", "t", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(dialogs.messageBox("b", "t", MessageButtons::YesNoCancel), MessageAnswer::Cancel);
  EXPECT_THROW(dialogs.messageBox("c", "t", MessageButtons::Ok), std::logic_error);

  ASSERT_EQ(dialogs.boxes().size(), 5u);
  EXPECT_EQ(dialogs.boxes()[0].text, "Map List updated successfully.");
  EXPECT_EQ(dialogs.boxes()[0].title, "Success");
  EXPECT_EQ(dialogs.boxes()[1].buttons, MessageButtons::YesNo);
  EXPECT_EQ(dialogs.boxes()[1].answer, MessageAnswer::Yes);
  EXPECT_EQ(dialogs.boxes()[3].answer, MessageAnswer::No);
}

TEST(ScriptedDialogs, FileDialogsTakeQueuedPathsElseCancel) {
  ScriptedDialogs dialogs;
  dialogs.queueOpenFile("C:\\Host\\profiles\\p1\\settings\\night.mpl");
  dialogs.queueSaveFile(std::nullopt);
  FileDialogRequest request{"Open Map List", "Map Lists (*.mpl)|*.mpl", "C:\\Host", "mpl"};
  EXPECT_EQ(dialogs.saveFile(request), std::nullopt);
  EXPECT_EQ(dialogs.openFile(request), "C:\\Host\\profiles\\p1\\settings\\night.mpl");
  EXPECT_EQ(dialogs.openFile(request), std::nullopt);
  ASSERT_EQ(dialogs.fileDialogs().size(), 3u);
  EXPECT_TRUE(dialogs.fileDialogs()[0].save);
  EXPECT_FALSE(dialogs.fileDialogs()[1].save);
}

}  // namespace
}  // namespace rotaryn
