#pragma once
// A record of the lower floor.
struct TRecord {
  int Count;
};
