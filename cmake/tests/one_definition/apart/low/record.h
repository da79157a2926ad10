#pragma once
// Records of one name in two namespaces, a type defined once and declared elsewhere.
namespace low {
struct TRecord {
  int Count;
};
}  // namespace low

struct TOnce {
  int Count;
  struct TInner;
};
