#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"

namespace rotaryn {
namespace {

using Box = ScriptedDialogs::MessageBoxRecord;

TEST(ScriptedDialogs, UnqueuedBoxesPressTheFirstButtonAndAreRecorded) {
  ScriptedDialogs dialogs;
  EXPECT_EQ(dialogs.messageBox("Map List updated successfully.", "Success", MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(dialogs.messageBox("Delete?", "Confirmation Required!", MessageButtons::YesNo),
            MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("Save?", "t", MessageButtons::OkCancel), MessageAnswer::Ok);

  ASSERT_EQ(dialogs.boxes().size(), 3u);
  EXPECT_EQ(dialogs.boxes()[0].text, "Map List updated successfully.");
  EXPECT_EQ(dialogs.boxes()[0].title, "Success");
  EXPECT_EQ(dialogs.boxes()[1].buttons, MessageButtons::YesNo);
  EXPECT_EQ(dialogs.boxes()[1].answer, MessageAnswer::Yes);
}

TEST(ScriptedDialogs, QueuedAnswersGoToBoxesInOrderAndMustFitTheButtons) {
  ScriptedDialogs dialogs;
  dialogs.queueAnswer(MessageAnswer::No);
  dialogs.queueAnswer(MessageAnswer::Cancel);
  dialogs.queueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("a", "t", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(dialogs.messageBox("b", "t", MessageButtons::YesNoCancel), MessageAnswer::Cancel);
  EXPECT_EQ(dialogs.queuedAnswers(), 1u);
  EXPECT_THROW(dialogs.messageBox("c", "t", MessageButtons::Ok), std::logic_error);
  EXPECT_EQ(dialogs.queuedAnswers(), 0u);
}

TEST(ScriptedDialogs, TimersFireWhileABoxIsOpenAndTheirBoxesNestInOrder) {
  VirtualScheduler scheduler;
  ScriptedDialogs dialogs;
  scheduler.create("tmrMaps", 1,
                   [&] { dialogs.messageBox("from the timer", "Error!", MessageButtons::Ok); });
  scheduler.setInterval("tmrMaps", 1, 2000);
  scheduler.start("tmrMaps", 1);

  std::vector<std::string> openedAt;
  dialogs.onMessageBox([&](const Box& box) {
    openedAt.push_back(box.text + "@" + std::to_string(scheduler.monotonicMs()));
    if (box.text == "Are you sure?") scheduler.advance(4000);  // the user takes a while
  });
  dialogs.queueAnswer(MessageAnswer::No);
  EXPECT_EQ(dialogs.messageBox("Are you sure?", "Confirmation Required!", MessageButtons::YesNo),
            MessageAnswer::No);

  EXPECT_EQ(openedAt, (std::vector<std::string>{"Are you sure?@0", "from the timer@2000",
                                                "from the timer@4000"}));
  ASSERT_EQ(dialogs.boxes().size(), 3u);
  EXPECT_EQ(dialogs.boxes()[0].answer, MessageAnswer::No);
  EXPECT_EQ(dialogs.boxes()[2].title, "Error!");
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
  EXPECT_EQ(dialogs.fileDialogs()[1].request.filter, "Map Lists (*.mpl)|*.mpl");
  EXPECT_EQ(dialogs.fileDialogs()[2].answer, std::nullopt);

  dialogs.setBusy(true);
  EXPECT_TRUE(dialogs.busy());
}

}  // namespace
}  // namespace rotaryn
