// The same name with another layout in a higher floor: the pair the check must name.
class TRecord {
 public:
  double Width;
};
