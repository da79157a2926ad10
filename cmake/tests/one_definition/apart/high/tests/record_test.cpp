// A test program's own local record is not one of the program's types.
struct TOnce {
  double Width;
};
