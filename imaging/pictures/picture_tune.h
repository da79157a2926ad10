#pragma once
// The one floating "Tune" window of picture windows: twelve buttons that send the newest
// picture's commands for colour mode, spectrum, scale, axes, brightness and contrast. The
// picture shows its state in the buttons after every redraw.

class TColorPicture;
class TColorPictureTune;

// The tuning window now, or null.
TColorPictureTune *GetPictureTune();
// Deletes the tuning window there is and makes one for the picture, shown at the screen
// position of the picture's client origin.
TColorPictureTune *CreatePictureTune(TColorPicture *picture);
void DeletePictureTune();
// Moves the tuning window of the picture, at its own size, to the picture's client origin.
void PlacePictureTune(TColorPicture &picture);
// Presses the buttons that show the picture's state: 201, 202 and 208 for its colour kind,
// 216 for a continuous spectrum, 300 for a logarithmic scale, 501 for drawn axes.
void UpdatePictureTune(TColorPicture &picture);

class TColorPictureTune {
 public:
  virtual ~TColorPictureTune() = default;
  virtual TColorPicture *Picture() const = 0;
  // Whether the button of a command shows pressed.
  virtual bool IsPressed(int command) const = 0;
  virtual void SetPressed(int command, bool pressed) = 0;
  // Presses the button as the user does: the picture gets its command.
  virtual void Click(int command) = 0;
  virtual bool ScreenOrigin(int &left, int &top) const = 0;
};
