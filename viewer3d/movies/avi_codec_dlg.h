#pragma once
// TAviCodecDlg: how a new movie stores its pictures, asked once at its first frame: "Full
// frames (uncompressed)", or "Motion JPEG" with a quality from 1 to 100. The writer asks
// through ChooseAviCodec, which the program answers with this dialog and tests answer for
// the user.

#include <functional>

#include "toolkit/dialogs/color_dlg.h"
#include "viewer3d/movies/avi_movie_writer.h"

class TAviCodecDlg : public TColorDlg {
 public:
  static constexpr int kFullFrames = 101;
  static constexpr int kMotionJpeg = 102;
  static constexpr int kQuality = 103;

  // The dialog starts from `codec` and leaves the choice in it on OK.
  TAviCodecDlg(TWindow *parentWindow, TAviCodec &codec);

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void CmOk();
  // The quality is asked only for Motion JPEG.
  void CmKind();

 private:
  TAviCodec &codec_;
};

// Answers the choice for a new movie: true with it in `codec`, false when the user
// cancels. Null restores the dialog; the previous chooser is answered.
using TAviCodecChooser = std::function<bool(TAviCodec &codec)>;
TAviCodecChooser SetAviCodecChooser(TAviCodecChooser chooser);
bool ChooseAviCodec(TAviCodec &codec);
