#include "ui/image_buttons.h"

#include <algorithm>
#include <cmath>

#include "platform/file_system.h"
#include "platform/vb_error.h"

namespace rotaryn {
namespace {

// The kind every image made at run time shares.
constexpr ControlDesign kImageKind{"", ControlKind::Image};

// The image of label N is N & "Img", and the label the image's name without its last three
// characters.
constexpr size_t kImageSuffix = 3;

// Whole twips, halves to even, as an assignment to a whole-number variable rounds.
int wholeTwips(double twips) {
  return static_cast<int>(std::nearbyint(twips));
}

}  // namespace

ImageButtons::ImageButtons(ControlSet& controls, FileSystem& files, std::string rootFolder,
                           const Screen* screen)
    : controls_(controls), files_(files), rootFolder_(std::move(rootFolder)), screen_(screen) {}

template <class T>
T* ImageButtons::find(std::string_view name) const {
  for (Control* control : controls_.roster()) {
    if (control->name() == name && T::fits(control->design()->kind)) {
      return static_cast<T*>(control);
    }
  }
  return nullptr;
}

template <class T>
T& ImageButtons::require(std::string_view name) const {
  T* found = find<T>(name);
  if (found == nullptr) {
    raiseVbError(vberr::kInvalidCall, "the window has no control \"" + std::string(name) + "\"");
  }
  return *found;
}

Image& ImageButtons::CreateImage(int width, int height, int left, int top, bool enabled,
                                 bool visible, const std::string& imageName,
                                 const std::string& container) {
  for (Control* control : controls_.roster()) {
    if (control->name() == imageName) {
      raiseVbError(vberr::kInvalidCall, "the window already has a control \"" + imageName + "\"");
    }
  }
  images_.push_back(std::make_unique<Image>(controls_, imageName, kImageKind, container));
  Image& image = *images_.back();
  image.place = TwipsRect{left, top, width, height};
  image.enabled = enabled;
  image.stretch = true;
  image.visible = visible;
  load(image, rootFolder_ + kButtonUpPicture);
  return image;
}

Button& ImageButtons::CreateLabel(int width, int height, int left, int top, bool enabled,
                                  bool visible, const std::string& caption,
                                  const std::string& labelName, const std::string& container,
                                  int fontSize) {
  Button& label = require<Button>(labelName);
  label.container = container;
  label.fontSize = fontSize < 1 ? kDefaultButtonFontSize : fontSize;
  // Two lines' worth of the font's height: SetState centres it on the face.
  const int captionHeight = 2 * label.fontSize * twipsPerPixelX(screen_);
  label.place = TwipsRect{left + kCaptionInset, top, width - 2 * kCaptionInset,
                          std::min(captionHeight, height)};
  label.enabled = enabled;
  label.visible = visible;
  label.caption = caption;
  SetState("Up", labelName + "Img");
  return label;
}

void ImageButtons::SetState(std::string_view state, const std::string& imageName) {
  const bool down = state == "Down";
  Image& image = require<Image>(imageName);
  load(image, rootFolder_ + (down ? kButtonDownPicture : kButtonUpPicture));
  const TwipsRect face = image.place;
  const int middle = wholeTwips(face.top + face.height / 2.0);
  const int left = face.left + kCaptionInset;

  std::string_view labelName(imageName);
  labelName.remove_suffix(std::min(kImageSuffix, labelName.size()));
  Button& label = require<Button>(labelName);
  const int top =
      wholeTwips(middle - static_cast<double>(label.fontSize) * twipsPerPixelX(screen_));

  TwipsRect place = label.place;
  place.top = down ? top + kPressedDown : top;
  place.left = down ? left + kPressedRight : left;
  label.place = place;
}

void ImageButtons::imageMouseDown(ButtonLabelEvents& handlers, Image& image, MouseButton mouse,
                                  int shift, float x, float y) {
  if (Button* label = labelOf(image)) handlers.buttonMouseDown(*label, mouse, shift, x, y);
}

void ImageButtons::imageMouseUp(ButtonLabelEvents& handlers, Image& image, MouseButton mouse,
                                int shift, float x, float y) {
  if (Button* label = labelOf(image)) handlers.buttonMouseUp(*label, mouse, shift, x, y);
}

Image* ImageButtons::imageOf(const Button& label) const {
  return find<Image>(label.name() + "Img");
}

Button* ImageButtons::labelOf(const Image& image) const {
  std::string_view name(image.name());
  if (name.size() < kImageSuffix) return nullptr;
  name.remove_suffix(kImageSuffix);
  return find<Button>(name);
}

void ImageButtons::load(Image& image, const std::string& path) {
  std::string bytes;
  try {
    if (files_.FileExists(path)) bytes = files_.ReadAll(path);
  } catch (const VbError&) {
    // Unreadable: a plain face, and the button still works.
    bytes.clear();
  }
  image.pictureBytes = std::move(bytes);
  image.picture = image.pictureBytes.empty() ? std::string() : path;
}

}  // namespace rotaryn
