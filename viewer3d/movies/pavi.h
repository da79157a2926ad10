#pragma once
// TPavi: the movie player. A small top-level window, hidden until a movie plays, that
// shows the movie at the top left of its client area and loops it at one and a half times
// the file's own rate (15 frames a second for the program's movies), with a bar below it:
// a play/pause button and a track whose thumb shows the frame and moves the movie when
// pressed or dragged. The window fits itself to the movie and snaps back to that size when
// the user resizes it.
//
// Its parent owns it (the editor's main window, or the viewer's); several players may be
// open at once, each closing by itself. Closing stops the movie and lets the file go.

#include <memory>
#include <string>

#include "platform/gui/windows/window.h"
#include "viewer3d/movies/avi_picture.h"

class TAviReader;

class TPavi : public TWindow {
 public:
  // Height of the play bar under the movie, and the narrowest client the bar needs.
  static constexpr int kBarHeight = 22;
  static constexpr int kSmallestWidth = 160;
  static constexpr UINT kPlayTimer = 1;
  // The movie plays at 1.5 times its file's rate.
  static constexpr double kSpeed = 1.5;

  explicit TPavi(TWindow *parentWindow);
  ~TPavi() override;

  const char *GetClassName() override { return "Pavi"; }
  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;

  // Opens the movie and plays it in a loop; a file it cannot read gives "Unable to open
  // Movie" and the window stays hidden.
  void OpenMovie(const char *fileName);

  void EvSize(UINT sizeType, const SIZE &size);
  void EvClose();
  void EvDestroy();
  void EvTimer(UINT timerId);
  void EvLButtonDown(UINT keys, const POINT &point);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);

  bool IsOpen() const { return open_; }
  bool IsPlaying() const { return playing_; }
  int Frame() const { return frame_; }
  int FrameCount() const;
  // Milliseconds between two frames while playing.
  UINT FramePeriodMs() const { return periodMs_; }
  // The movie's picture in the client area, and the bar's parts.
  RECT MovieRect() const;
  RECT ButtonRect() const;
  RECT TrackRect() const;
  // Shows the frame (the bar follows); false when it cannot be read (the player says why
  // once, and stops).
  bool ShowFrame(int frame);
  void Play(bool play);

 private:
  // The client size the movie and its bar need.
  SIZE WantedClient() const;
  void FitToMovie();
  void CloseMovie();
  int FrameAt(int pointX) const;
  void DrawBar(TDC &dc);

  std::unique_ptr<TAviReader> reader_;
  TAviImage picture_;
  // The movie's size in the client: its own, or scaled down (one scale for both sides) so
  // that the player with its bar stands wholly on the screen.
  SIZE shown_{0, 0};
  bool open_ = false;
  bool playing_ = false;
  bool dragging_ = false;
  bool fitting_ = false;
  bool failureShown_ = false;
  int frame_ = 0;
  UINT periodMs_ = 0;
};
