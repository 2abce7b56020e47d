#include <gtest/gtest.h>

#include <tuple>
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
    EXPECT_EQ(image.container, design.container) << design.name;
    EXPECT_EQ(label.container, design.container) << design.name;
    EXPECT_EQ(image.enabled.get(), design.enabledAtLoad) << design.name;
    EXPECT_EQ(label.enabled.get(), design.enabledAtLoad) << design.name;
    EXPECT_TRUE(image.stretch);
    EXPECT_EQ(image.picture.get(), up()) << design.name;
    EXPECT_EQ(image.pictureBytes, "up face");
    EXPECT_EQ(label.caption.get(), design.caption) << design.name;
    EXPECT_EQ(label.fontSize.get(), 8);
    EXPECT_EQ(label.place.get().width, design.place.width - 150) << design.name;
    ++pairs;
  }
  EXPECT_EQ(pairs, 14);
  EXPECT_EQ(w.imageButtons().imageOf(w.cmdRandomize), nullptr);
  // Made in the design's order, each image right after the one before.
  ASSERT_EQ(w.imageButtons().images().size(), 14u);
  EXPECT_EQ(w.imageButtons().images()[11]->name(), "cmdGtRight" + std::string("Img"));
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

TEST_F(ImageButtonsTest, TheCaptionFollowsTheScreensTwipsPerPixel) {
  FixedScreen screen(12);  // 120 dots per inch
  host.module.ports.screen = &screen;
  frmRotarynMaps& w = loadWithPictures();
  // 568 less 8 x 12.
  EXPECT_EQ(w.cmdSkip.place.get(), (TwipsRect{435, 472, 1185, 192}));
  w.imageMouseDown(imageOf(w.cmdSkip), MouseButton::Left, 0);
  EXPECT_EQ(w.cmdSkip.place.get(), (TwipsRect{455, 522, 1185, 192}));
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

class RecordingLabel final : public ButtonLabelEvents {
 public:
  using Event = std::tuple<std::string, Button*, MouseButton, int, float, float>;
  void buttonMouseDown(Button& label, MouseButton mouse, int shift, float x, float y) override {
    events.emplace_back("down", &label, mouse, shift, x, y);
  }
  void buttonMouseUp(Button& label, MouseButton mouse, int shift, float x, float y) override {
    events.emplace_back("up", &label, mouse, shift, x, y);
  }
  std::vector<Event> events;
};

TEST_F(ImageButtonsTest, AnImagesEventsReachItsLabelWithTheSameValues) {
  frmRotarynMaps& w = loadWithPictures();
  RecordingLabel label;
  ImageButtons& buttons = w.imageButtons();
  buttons.imageMouseDown(label, imageOf(w.cmdUpdate), MouseButton::Middle, 3, 12.5f, 40.0f);
  buttons.imageMouseUp(label, imageOf(w.cmdDown), MouseButton::Right, 1, 0.0f, 375.0f);
  EXPECT_EQ(label.events, (std::vector<RecordingLabel::Event>{
                              {"down", &w.cmdUpdate, MouseButton::Middle, 3, 12.5f, 40.0f},
                              {"up", &w.cmdDown, MouseButton::Right, 1, 0.0f, 375.0f}}));
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

// Driven and dumped as a script drives them: the image's picture as a path under the root.
TEST_F(ImageButtonsTest, AutomationPressesImagesAndDumpsFacesAndCaptions) {
  frmRotarynMaps& w = loadWithPictures();
  int runs = 0;
  w.cmdPlay.action = [&runs] { ++runs; };
  automateWindow(host.module, Json{{"event", "mouseDown"}, {"control", "cmdPlayImg"}});
  Json image = automateWindow(host.module, Json{{"dump", "control"}, {"control", "cmdPlayImg"}});
  EXPECT_EQ(image["result"]["kind"], "Image");
  EXPECT_EQ(image["result"]["picture"], "imgs/butdown.gif");
  EXPECT_EQ(image["result"]["place"], Json::array({3690, 320, 1335, 495}));
  Json label = automateWindow(host.module, Json{{"dump", "control"}, {"control", "cmdPlay"}});
  EXPECT_EQ(label["result"]["fontSize"], 8);
  EXPECT_EQ(label["result"]["place"], Json::array({3785, 498, 1185, 240}));
  automateWindow(host.module,
                 Json{{"event", "mouseUp"}, {"control", "cmdPlayImg"}, {"button", "right"}});
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(w.cmdPlay.place.get().top, 498);
}

}  // namespace
}  // namespace rotaryn
