#include <gtest/gtest.h>

#include <vector>

#include "platform/screen.h"
#include "tests/support/ui_window_fixture.h"
#include "ui/automation/window_automation.h"
#include "ui/automation/window_controls.h"

namespace rotaryn {
namespace {

class ImageButtonsTest : public ::testing::Test {
 protected:
  frmRotarynMaps& loadWithPictures() {
    host.scratch.write("imgs/butup.gif", "up face");
    host.scratch.write("imgs/butdown.gif", "down face");
    return host.load();
  }
  Image& imageOf(Button& label) {
    Image* image = host.window().imageButtons().imageOf(label);
    if (image == nullptr) throw std::runtime_error(label.name() + " has no image");
    return *image;
  }
  std::string up() const { return host.root() + "\\imgs\\butup.gif"; }
  std::string down() const { return host.root() + "\\imgs\\butdown.gif"; }

  WindowFixture host;
};

// Each of the fourteen buttons is its image N & "Img" with the designed place and state, and
// its label inside it; the picture button is not one of them.
TEST_F(ImageButtonsTest, EveryPushButtonIsAFaceWithItsCaptionInFront) {
  frmRotarynMaps& w = loadWithPictures();
  int pairs = 0;
  for (const ControlDesign& design : kWindowControls) {
    if (design.kind != ControlKind::Button) continue;
    auto found = findControl(w, std::string(design.name) + "Img");
    ASSERT_TRUE(found.has_value()) << design.name;
    Image& image = *std::get<Image*>(*found);
    Button& label = *std::get<Button*>(*findControl(w, design.name));
    EXPECT_EQ(image.place.get(), design.place) << design.name;
    EXPECT_EQ(image.picture.get(), up()) << design.name;
    EXPECT_EQ(image.pictureBytes, "up face");
    EXPECT_EQ(label.place.get().width, design.place.width - 150) << design.name;
    ++pairs;
  }
  EXPECT_EQ(pairs, 14);
  EXPECT_EQ(w.imageButtons().imageOf(w.cmdRandomize), nullptr);
}

// Face of "Skip Map": left 360, top 320, 1335 x 495. Its middle is 567.5, a whole 568; the
// caption's base is 8 points x 15 twips above it, 448, and 75 in from the left, 435.
TEST_F(ImageButtonsTest, PressingTheLeftButtonShowsThePressedFaceAndMovesTheCaption) {
  frmRotarynMaps& w = loadWithPictures();
  Image& face = imageOf(w.cmdSkip);
  EXPECT_EQ(w.cmdSkip.place.get(), (TwipsRect{435, 448, 1185, 240}));
  int runs = 0;
  w.cmdSkip.action = [&runs] { ++runs; };

  w.buttonMouseDown(w.cmdSkip, MouseButton::Left, 0);
  EXPECT_EQ(face.picture.get(), down());
  EXPECT_EQ(face.pictureBytes, "down face");
  EXPECT_EQ(w.cmdSkip.place.get(), (TwipsRect{455, 498, 1185, 240}));
  EXPECT_EQ(runs, 0);

  w.buttonMouseUp(w.cmdSkip, MouseButton::Left, 0);
  EXPECT_EQ(face.picture.get(), up());
  EXPECT_EQ(w.cmdSkip.place.get(), (TwipsRect{435, 448, 1185, 240}));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(face.place.get(), (TwipsRect{360, 320, 1335, 495}));

  // "<": 280 + 320 / 2 = 440, less 120.
  w.imageMouseDown(imageOf(w.cmdGtLeft), MouseButton::Left, 0);
  EXPECT_EQ(w.cmdGtLeft.place.get(), (TwipsRect{1275, 370, 105, 240}));
}

// Any release runs the action; only the left button changes the face, on the label or on the
// image alike.
TEST_F(ImageButtonsTest, OtherButtonsRunTheActionWithoutChangingTheFace) {
  frmRotarynMaps& w = loadWithPictures();
  Image& face = imageOf(w.cmdScore);
  const TwipsRect resting = w.cmdScore.place;
  int runs = 0;
  w.cmdScore.action = [&runs] { ++runs; };
  for (MouseButton mouse : {MouseButton::Right, MouseButton::Middle}) {
    w.imageMouseDown(face, mouse, 0);
    EXPECT_EQ(face.picture.get(), up());
    EXPECT_EQ(w.cmdScore.place.get(), resting);
    w.imageMouseUp(face, mouse, 0);
    w.buttonMouseDown(w.cmdScore, mouse, 0);
    EXPECT_EQ(face.picture.get(), up());
    w.buttonMouseUp(w.cmdScore, mouse, 0);
  }
  EXPECT_EQ(runs, 4);

  // A left press released with the right button: the face stays pressed, the action runs.
  w.imageMouseDown(face, MouseButton::Left, 0);
  w.imageMouseUp(face, MouseButton::Right, 0);
  EXPECT_EQ(face.picture.get(), down());
  EXPECT_EQ(runs, 5);

  // A disabled button neither changes nor acts.
  Image& edit = imageOf(w.cmdEditTask);
  int edits = 0;
  w.cmdEditTask.action = [&edits] { ++edits; };
  w.imageMouseDown(edit, MouseButton::Left, 0);
  w.imageMouseUp(edit, MouseButton::Left, 0);
  EXPECT_EQ(edit.picture.get(), up());
  EXPECT_EQ(edits, 0);
}

// Without the pictures every face is plain: no box on load or on a press, and the buttons act.
TEST_F(ImageButtonsTest, MissingPicturesLeavePlainFacesAndWorkingButtons) {
  frmRotarynMaps& w = host.load();
  Image& face = imageOf(w.cmdAdd);
  EXPECT_EQ(face.picture.get(), "");
  EXPECT_EQ(face.pictureBytes, "");
  int runs = 0;
  w.cmdAdd.action = [&runs] { ++runs; };
  host.release(w.cmdAdd);
  host.release(w.cmdAdd);
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(host.dialogs.boxes().empty());
}

}  // namespace
}  // namespace rotaryn
