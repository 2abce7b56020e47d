#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/screen.h"
#include "ui/controls.h"

namespace rotaryn {

class FileSystem;

// The window's push buttons as pairs: an Image named N & "Img" showing the face, and the label
// N (the designed Button) with the caption on top. The faces are two pictures under the root.
inline constexpr const char* kButtonUpPicture = "\\imgs\\butup.gif";
inline constexpr const char* kButtonDownPicture = "\\imgs\\butdown.gif";
inline constexpr int kDefaultButtonFontSize = 8;
// How far the caption sits inside the face on either side, and moves when pressed.
inline constexpr int kCaptionInset = 75;
inline constexpr int kPressedDown = 50;
inline constexpr int kPressedRight = 20;

// The label's mouse handlers, to which the image hands its own events. Positions in twips over
// the control.
class ButtonLabelEvents {
 public:
  virtual ~ButtonLabelEvents() = default;
  virtual void buttonMouseDown(Button& label, MouseButton mouse, int shift, float x, float y) = 0;
  virtual void buttonMouseUp(Button& label, MouseButton mouse, int shift, float x, float y) = 0;
};

// Makes and drives the image buttons of one window. Pictures are read through the file system;
// one that is missing or unreadable leaves the image without a picture and raises nothing.
class ImageButtons {
 public:
  ImageButtons(ControlSet& controls, FileSystem& files, std::string rootFolder,
               const Screen* screen);
  ImageButtons(const ImageButtons&) = delete;
  ImageButtons& operator=(const ImageButtons&) = delete;

  // A new image control of the window: placed, stretched, in front, showing the released face.
  // Error 5 when the window has a control of that name.
  Image& CreateImage(int width, int height, int left, int top, bool enabled, bool visible,
                     const std::string& imageName, const std::string& container);
  // The window's label `labelName` set up as the caption over its image: font size (8 below 1),
  // inset kCaptionInset on both sides, in front, then in the state "Up". Error 5 when the window
  // has no such label.
  Button& CreateLabel(int width, int height, int left, int top, bool enabled, bool visible,
                      const std::string& caption, const std::string& labelName,
                      const std::string& container, int fontSize);
  // "Down" shows the pressed face and moves the caption kPressedDown down and kPressedRight
  // right of its place over the middle of the face; anything else shows the released face with
  // the caption there. Error 5 when the image or its label is not a control of the window.
  void SetState(std::string_view state, const std::string& imageName);

  // The image's mouse events go to its label's handlers, with the same values.
  void imageMouseDown(ButtonLabelEvents& handlers, Image& image, MouseButton mouse, int shift,
                      float x, float y);
  void imageMouseUp(ButtonLabelEvents& handlers, Image& image, MouseButton mouse, int shift,
                    float x, float y);

  // The image of a label and the label of an image; null when there is none.
  Image* imageOf(const Button& label) const;
  Button* labelOf(const Image& image) const;
  const std::vector<std::unique_ptr<Image>>& images() const { return images_; }

 private:
  template <class T>
  T* find(std::string_view name) const;
  template <class T>
  T& require(std::string_view name) const;
  void load(Image& image, const std::string& path);

  ControlSet& controls_;
  FileSystem& files_;
  std::string rootFolder_;
  const Screen* screen_;
  std::vector<std::unique_ptr<Image>> images_;
};

}  // namespace rotaryn
