#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/support/ui_window_fixture.h"
#include "ui/background_paint.h"

namespace rotaryn {
namespace {

using paint::Bitmap;

// A window whose own procedure records what reaches it and paints a known pattern.
class FakeWindow final : public paint::HookedWindow {
 public:
  FakeWindow() {
    procedure_ = [this](uint32_t message, intptr_t wParam, intptr_t lParam) -> intptr_t {
      received.push_back({message, wParam, lParam});
      if (message == paint::WM_PAINT && wParam != 0) {
        Bitmap& memory = *reinterpret_cast<Bitmap*>(wParam);
        for (int y = 0; y < memory.height; ++y) {
          for (int x = 0; x < memory.width; ++x) memory.at(x, y) = ownPixel(x, y);
        }
        return 0;
      }
      return static_cast<intptr_t>(message) * 3 + wParam - lParam;
    };
  }
  static uint32_t ownPixel(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 11) * 0x10101 % 0xFFFFFF);
  }

  paint::Procedure setProcedure(paint::Procedure procedure) override {
    std::swap(procedure_, procedure);
    return procedure;
  }
  void setProperty(const std::string& name, std::any value) override { props[name] = value; }
  std::any property(const std::string& name) const override {
    auto found = props.find(name);
    return found == props.end() ? std::any() : found->second;
  }
  void removeProperty(const std::string& name) override { props.erase(name); }
  int clientWidth() const override { return 8; }
  int clientHeight() const override { return 6; }
  void present(const Bitmap& image) override { shown.push_back(image); }

  intptr_t send(uint32_t message, intptr_t wParam, intptr_t lParam) {
    return procedure_(message, wParam, lParam);
  }

  struct Message {
    uint32_t message;
    intptr_t wParam;
    intptr_t lParam;
    friend bool operator==(const Message&, const Message&) = default;
  };
  std::vector<Message> received;
  std::map<std::string, std::any> props;
  std::vector<Bitmap> shown;

 private:
  paint::Procedure procedure_;
};

// A 4 x 3 picture over a 4 x 2 area: its last row shows the background colour.
class FakePicture final : public paint::PaintSource {
 public:
  uint32_t backColor() const override { return backColor_; }
  void setBackColor(uint32_t color) override {
    backColor_ = color;
    colors.push_back(color);
  }
  Bitmap drawing() const override {
    Bitmap image(4, 3, 0xFF000000u | (backColor_ == kSystemButtonFace ? 0xC0C0C0u : 0x406080u));
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) image.at(x, y) = 0xFF000000u | (0x0F1E2Du * (x + 4 * y + 1));
    }
    return image;
  }
  std::vector<uint32_t> colors;

 private:
  uint32_t backColor_ = 0x00FFEEDD;
};

TEST(BackgroundPainting, EveryOtherMessageReachesTheWindowUnchangedAndRemovalRestoresIt) {
  FakeWindow window;
  FakePicture picture;
  const intptr_t before = window.send(0x201, 5, 2);
  paint::install(window, picture);
  EXPECT_TRUE(paint::installed(window));
  EXPECT_TRUE(window.props.count(paint::kFormerProcedure));
  EXPECT_EQ(std::any_cast<paint::PaintSource*>(window.props.at(paint::kPictureBox)), &picture);

  window.received.clear();
  EXPECT_EQ(window.send(0x201, 5, 2), before);
  EXPECT_EQ(window.send(0x8013, -7, 1 << 20), 0x8013 * 3 - 7 - (1 << 20));
  EXPECT_EQ(window.received,
            (std::vector<FakeWindow::Message>{{0x201, 5, 2}, {0x8013, -7, 1 << 20}}));
  EXPECT_TRUE(window.shown.empty());

  paint::remove(window);
  EXPECT_TRUE(window.props.empty());
  EXPECT_FALSE(paint::installed(window));
  // The former procedure itself: a paint reaches it as it is, and nothing is blended or shown.
  window.received.clear();
  EXPECT_EQ(window.send(paint::WM_PAINT, 0, 9), paint::WM_PAINT * 3 - 9);
  EXPECT_EQ(window.received, (std::vector<FakeWindow::Message>{{paint::WM_PAINT, 0, 9}}));
  EXPECT_TRUE(window.shown.empty());
  paint::remove(window);  // again: nothing to remove
  EXPECT_TRUE(window.props.empty());
}

// The window paints itself into memory; the picture (background: button face) is stretched over
// it with NOT source OR destination, then (its own background) with source AND destination; the
// result is shown once.
TEST(BackgroundPainting, APaintBlendsThePictureOverTheWindowsOwnPaintingPerPixel) {
  FakeWindow window;
  FakePicture picture;
  paint::install(window, picture);
  EXPECT_EQ(window.send(paint::WM_PAINT, 0, 0), 0);

  ASSERT_EQ(window.shown.size(), 1u);
  const Bitmap& shown = window.shown[0];
  ASSERT_EQ(shown.width, 8);
  ASSERT_EQ(shown.height, 6);
  picture.setBackColor(kSystemButtonFace);
  const Bitmap first = picture.drawing();
  picture.setBackColor(0x00FFEEDD);
  const Bitmap second = picture.drawing();
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      // 8 x 6 over 4 x 3: each picture pixel covers 2 x 2.
      const uint32_t d = FakeWindow::ownPixel(x, y);
      const uint32_t expected = second.at(x / 2, y / 2) & (~first.at(x / 2, y / 2) | d);
      EXPECT_EQ(shown.at(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(picture.backColor(), 0x00FFEEDDu);
  // The former procedure was asked once, to paint into memory.
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received[0].message, paint::WM_PAINT);
  EXPECT_NE(window.received[0].wParam, 0);
}

TEST(BackgroundPainting, TheWindowInstallsItAtLoadAndRemovesItAtUnload) {
  WindowFixture host;
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(w.ssmTab.paintedWith.get(), "Picture1");
  EXPECT_EQ(w.Picture1.scaleMode.get(), paint::kScalePixels);
  EXPECT_TRUE(w.Picture1.autoRedraw.get());
  EXPECT_FALSE(w.Picture1.visible.get());
  w.Form_Unload();
  EXPECT_EQ(w.ssmTab.paintedWith.get(), "");
}

}  // namespace
}  // namespace rotaryn
