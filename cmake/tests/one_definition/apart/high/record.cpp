namespace high {
struct TRecord {
  double Width;
};
}  // namespace high

struct TOnce;
struct TOnce::TInner {
  int Depth;
};
