#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "tests/qt/qt_test_application.h"
#include "tests/support/ui_window_fixture.h"
#include "ui/qt/frm_rotaryn_maps_view.h"
#include "ui/qt/painted_tab_widget.h"
#include "ui/qt/twips.h"

namespace rotaryn {
namespace {

namespace fs = std::filesystem;

std::string repositoryFile(const std::string& relative) {
  const fs::path file = fs::path(ROTARYN_SOURCE_DIR) / relative;
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Our pictures, as the plug-in and the host carry them, are pictures this Qt can read.
TEST(ButtonPictures, TheFacesAndTheBackgroundDecode) {
  testing::qtApplication();
  for (const char* face : {"host/imgs/butup.gif", "host/imgs/butdown.gif"}) {
    const std::string bytes = repositoryFile(face);
    QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                    static_cast<int>(bytes.size()), "GIF");
    ASSERT_FALSE(image.isNull()) << face;
    EXPECT_EQ(image.size(), QSize(89, 33)) << face;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << face;  // round corners
    EXPECT_EQ(qAlpha(image.pixel(44, 16)), 255) << face;
  }
  QImage background(QStringLiteral(":/rotaryn/background.png"));
  EXPECT_EQ(background.size(), QSize(335, 440));
}

class ImageButtonView : public ::testing::Test {
 protected:
  void show(const std::string& up, const std::string& down) {
    testing::qtApplication();
    host.scratch.write("imgs/butup.gif", up);
    host.scratch.write("imgs/butdown.gif", down);
    w = &host.load();
    view = std::make_unique<FrmRotarynMapsView>(*w);
  }
  QLabel* label(const std::string& control) const {
    return qobject_cast<QLabel*>(view->widgetOf(control));
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
  std::unique_ptr<FrmRotarynMapsView> view;
};

TEST_F(ImageButtonView, TheCaptionOverTheFaceSinksWhileTheLeftButtonIsHeld) {
  show(repositoryFile("host/imgs/butup.gif"), repositoryFile("host/imgs/butdown.gif"));
  QLabel* face = label("cmdSkipImg");
  QLabel* caption = label("cmdSkip");
  ASSERT_NE(face, nullptr);
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->parentWidget(), face->parentWidget());
  EXPECT_FALSE(face->pixmap().isNull());
  // The caption is in front of its face.
  const QObjectList& siblings = face->parentWidget()->children();
  EXPECT_GT(siblings.indexOf(caption), siblings.indexOf(face));

  int runs = 0;
  w->cmdSkip.action = [&runs] { ++runs; };
  const QRect resting = caption->geometry();
  const QImage up = face->pixmap().toImage();
  QTest::mousePress(caption, Qt::LeftButton);
  EXPECT_EQ(caption->geometry(), pixelRect(w->cmdSkip.place));
  EXPECT_EQ(caption->geometry().topLeft() - resting.topLeft(), QPoint(1, 3));
  EXPECT_NE(face->pixmap().toImage(), up);
  QTest::mouseRelease(caption, Qt::LeftButton);
  EXPECT_EQ(caption->geometry(), resting);
  EXPECT_EQ(face->pixmap().toImage(), up);
  EXPECT_EQ(runs, 1);

  // The face takes the mouse as the caption does.
  QTest::mouseClick(face, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
  EXPECT_EQ(runs, 2);
}

TEST_F(ImageButtonView, TheTabControlIsHookedWhileTheWindowPaintsIt) {
  show("", "");
  auto* tabs = dynamic_cast<PaintedTabWidget*>(view->widgetOf("ssmTab"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_TRUE(tabs->dynamicPropertyNames().contains("lpPROC"));
  EXPECT_TRUE(tabs->dynamicPropertyNames().contains("PctOBJ"));
  w->Form_Unload();
  EXPECT_TRUE(tabs->dynamicPropertyNames().isEmpty());
  // Its own procedure again: tabs still change.
  tabs->setCurrentIndex(1);
  EXPECT_EQ(w->ssmTab.tab.get(), 1);
}

// A picture of half the tab control's size, whose last row is left to its background colour.
class HalfPicture final : public paint::PaintSource {
 public:
  HalfPicture(int width, int height) : width_(width), height_(height) {}
  uint32_t backColor() const override { return backColor_; }
  void setBackColor(uint32_t color) override { backColor_ = color; }
  paint::Bitmap drawing() const override {
    paint::Bitmap image(width_, height_, backColor_ == kSystemButtonFace ? 0xFFC0C0C0 : 0xFFF0E0D0);
    for (int y = 0; y + 1 < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        image.at(x, y) = qRgb(255 - x * 3, 200 + y, (x * y) % 256);
      }
    }
    return image;
  }

 private:
  int width_;
  int height_;
  uint32_t backColor_ = 0x00D0E0F0;
};

TEST(BackgroundPaintingView, ThePaintedTabControlIsItsPaintingBlendedPerPixel) {
  testing::qtApplication();
  PaintedTabWidget tabs(nullptr);
  tabs.addTab(new QWidget, QStringLiteral("Available Maps"));
  tabs.resize(120, 80);
  tabs.show();  // laid out, as on the screen
  QApplication::processEvents();
  paint::Bitmap own(120, 80);
  tabs.ownProcedure()(paint::WM_PAINT, reinterpret_cast<intptr_t>(&own), 0);

  HalfPicture picture(60, 40);
  paint::install(tabs, picture);
  QImage painted(120, 80, QImage::Format_RGB32);
  painted.fill(Qt::black);
  tabs.render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);

  picture.setBackColor(kSystemButtonFace);
  const paint::Bitmap first = picture.drawing();
  picture.setBackColor(0x00D0E0F0);
  const paint::Bitmap second = picture.drawing();
  int wrong = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      const uint32_t s1 = first.at(x / 2, y / 2);
      const uint32_t s2 = second.at(x / 2, y / 2);
      const uint32_t expected = s2 & (~s1 | own.at(x, y));
      if ((painted.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF)) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
  // The tab control's own painting is not uniform: the frame and the tab row are in it.
  EXPECT_NE(own.at(0, 0), own.at(60, 60));

  paint::remove(tabs);
  EXPECT_TRUE(tabs.dynamicPropertyNames().isEmpty());
  painted.fill(Qt::black);
  tabs.render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  EXPECT_EQ(painted.pixel(60, 60) & 0xFFFFFF, own.at(60, 60) & 0xFFFFFF);
}

}  // namespace
}  // namespace rotaryn
