#pragma once
// Registration of two to six keys of one type at once, in argument order:
//   AddFloat3(name1, var1, name2, var2, name3, var3 [, capacity = 1]);
// likewise AddDouble, AddInt, AddLong and AddText; AddStringN ends in the buffer size every
// buffer has, AddStringListN in the count and buffer size every list has. What follows the
// pairs applies to every key, exactly as the one-key form takes it.

#include <cstddef>
#include <tuple>
#include <utility>

#include "foundation/textfiles/read_nf_keys.h"

class TReadNFKeyGroups : public TReadNFKeys {
 public:
  template <class... A> void AddFloat2(A... a) { AddEach<float, 2>(a...); }
  template <class... A> void AddFloat3(A... a) { AddEach<float, 3>(a...); }
  template <class... A> void AddFloat4(A... a) { AddEach<float, 4>(a...); }
  template <class... A> void AddFloat5(A... a) { AddEach<float, 5>(a...); }
  template <class... A> void AddFloat6(A... a) { AddEach<float, 6>(a...); }

  template <class... A> void AddDouble2(A... a) { AddEach<double, 2>(a...); }
  template <class... A> void AddDouble3(A... a) { AddEach<double, 3>(a...); }
  template <class... A> void AddDouble4(A... a) { AddEach<double, 4>(a...); }
  template <class... A> void AddDouble5(A... a) { AddEach<double, 5>(a...); }
  template <class... A> void AddDouble6(A... a) { AddEach<double, 6>(a...); }

  template <class... A> void AddInt2(A... a) { AddEach<int, 2>(a...); }
  template <class... A> void AddInt3(A... a) { AddEach<int, 3>(a...); }
  template <class... A> void AddInt4(A... a) { AddEach<int, 4>(a...); }
  template <class... A> void AddInt5(A... a) { AddEach<int, 5>(a...); }
  template <class... A> void AddInt6(A... a) { AddEach<int, 6>(a...); }

  template <class... A> void AddLong2(A... a) { AddEach<long, 2>(a...); }
  template <class... A> void AddLong3(A... a) { AddEach<long, 3>(a...); }
  template <class... A> void AddLong4(A... a) { AddEach<long, 4>(a...); }
  template <class... A> void AddLong5(A... a) { AddEach<long, 5>(a...); }
  template <class... A> void AddLong6(A... a) { AddEach<long, 6>(a...); }

  template <class... A> void AddText2(A... a) { AddEach<STRING, 2>(a...); }
  template <class... A> void AddText3(A... a) { AddEach<STRING, 3>(a...); }
  template <class... A> void AddText4(A... a) { AddEach<STRING, 4>(a...); }
  template <class... A> void AddText5(A... a) { AddEach<STRING, 5>(a...); }
  template <class... A> void AddText6(A... a) { AddEach<STRING, 6>(a...); }

  template <class... A> void AddString2(A... a) { AddEach<char, 2>(a...); }
  template <class... A> void AddString3(A... a) { AddEach<char, 3>(a...); }
  template <class... A> void AddString4(A... a) { AddEach<char, 4>(a...); }
  template <class... A> void AddString5(A... a) { AddEach<char, 5>(a...); }
  template <class... A> void AddString6(A... a) { AddEach<char, 6>(a...); }

  template <class... A> void AddStringList2(A... a) { AddEach<char *const, 2>(a...); }
  template <class... A> void AddStringList3(A... a) { AddEach<char *const, 3>(a...); }
  template <class... A> void AddStringList4(A... a) { AddEach<char *const, 4>(a...); }
  template <class... A> void AddStringList5(A... a) { AddEach<char *const, 5>(a...); }
  template <class... A> void AddStringList6(A... a) { AddEach<char *const, 6>(a...); }

 protected:
  ~TReadNFKeyGroups() = default;

 private:
  // Registers the Keys leading (name, variable) pairs in order, each with the arguments
  // after the pairs. A variable of another type than Var does not compile.
  template <class Var, std::size_t Keys, class... A>
  void AddEach(A... args) {
    static_assert(sizeof...(A) >= 2 * Keys, "every key needs a name and a variable");
    const std::tuple<A...> all(args...);
    [&]<std::size_t... K, std::size_t... T>(std::index_sequence<K...>,
                                            std::index_sequence<T...>) {
      (AddOne(std::get<2 * K>(all), Exactly<Var>(std::get<2 * K + 1>(all)),
              std::get<2 * Keys + T>(all)...),
       ...);
    }(std::make_index_sequence<Keys>{}, std::make_index_sequence<sizeof...(A) - 2 * Keys>{});
  }

  template <class Var>
  static Var *Exactly(Var *variable) {
    return variable;
  }

  void AddOne(const char *name, float *variable, int capacity = 1) {
    AddFloat(name, variable, capacity);
  }
  void AddOne(const char *name, double *variable, int capacity = 1) {
    AddDouble(name, variable, capacity);
  }
  void AddOne(const char *name, int *variable, int capacity = 1) {
    AddInt(name, variable, capacity);
  }
  void AddOne(const char *name, long *variable, int capacity = 1) {
    AddLong(name, variable, capacity);
  }
  void AddOne(const char *name, STRING *variable, int capacity = 1) {
    AddText(name, variable, capacity);
  }
  void AddOne(const char *name, char *buffer, int bufferSize) {
    AddString(name, buffer, bufferSize);
  }
  void AddOne(const char *name, char *const *buffers, int count, int bufferSize) {
    AddStringList(name, buffers, count, bufferSize);
  }
};
