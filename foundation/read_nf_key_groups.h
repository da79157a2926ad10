#pragma once
// Registration of two to six keys of one type at once, in argument order (the n-key form
// registers its first part, then the rest). A trailing capacity applies to every key.

#include "foundation/read_nf_keys.h"

class TReadNFKeyGroups : public TReadNFKeys {
 public:
  void AddFloat2(const char *a, float *aVar,
                 const char *b, float *bVar,
                 int capacity = 1) {
    AddFloat(a, aVar, capacity);
    AddFloat(b, bVar, capacity);
  }
  void AddFloat3(const char *a, float *aVar,
                 const char *b, float *bVar,
                 const char *c, float *cVar,
                 int capacity = 1) {
    AddFloat2(a, aVar, b, bVar, capacity);
    AddFloat(c, cVar, capacity);
  }
  void AddFloat4(const char *a, float *aVar,
                 const char *b, float *bVar,
                 const char *c, float *cVar,
                 const char *d, float *dVar,
                 int capacity = 1) {
    AddFloat2(a, aVar, b, bVar, capacity);
    AddFloat2(c, cVar, d, dVar, capacity);
  }
  void AddFloat5(const char *a, float *aVar,
                 const char *b, float *bVar,
                 const char *c, float *cVar,
                 const char *d, float *dVar,
                 const char *e, float *eVar,
                 int capacity = 1) {
    AddFloat2(a, aVar, b, bVar, capacity);
    AddFloat3(c, cVar, d, dVar, e, eVar, capacity);
  }
  void AddFloat6(const char *a, float *aVar,
                 const char *b, float *bVar,
                 const char *c, float *cVar,
                 const char *d, float *dVar,
                 const char *e, float *eVar,
                 const char *f, float *fVar,
                 int capacity = 1) {
    AddFloat3(a, aVar, b, bVar, c, cVar, capacity);
    AddFloat3(d, dVar, e, eVar, f, fVar, capacity);
  }
  void AddDouble2(const char *a, double *aVar,
                  const char *b, double *bVar,
                  int capacity = 1) {
    AddDouble(a, aVar, capacity);
    AddDouble(b, bVar, capacity);
  }
  void AddDouble3(const char *a, double *aVar,
                  const char *b, double *bVar,
                  const char *c, double *cVar,
                  int capacity = 1) {
    AddDouble2(a, aVar, b, bVar, capacity);
    AddDouble(c, cVar, capacity);
  }
  void AddDouble4(const char *a, double *aVar,
                  const char *b, double *bVar,
                  const char *c, double *cVar,
                  const char *d, double *dVar,
                  int capacity = 1) {
    AddDouble2(a, aVar, b, bVar, capacity);
    AddDouble2(c, cVar, d, dVar, capacity);
  }
  void AddDouble5(const char *a, double *aVar,
                  const char *b, double *bVar,
                  const char *c, double *cVar,
                  const char *d, double *dVar,
                  const char *e, double *eVar,
                  int capacity = 1) {
    AddDouble2(a, aVar, b, bVar, capacity);
    AddDouble3(c, cVar, d, dVar, e, eVar, capacity);
  }
  void AddDouble6(const char *a, double *aVar,
                  const char *b, double *bVar,
                  const char *c, double *cVar,
                  const char *d, double *dVar,
                  const char *e, double *eVar,
                  const char *f, double *fVar,
                  int capacity = 1) {
    AddDouble3(a, aVar, b, bVar, c, cVar, capacity);
    AddDouble3(d, dVar, e, eVar, f, fVar, capacity);
  }
  void AddInt2(const char *a, int *aVar,
               const char *b, int *bVar,
               int capacity = 1) {
    AddInt(a, aVar, capacity);
    AddInt(b, bVar, capacity);
  }
  void AddInt3(const char *a, int *aVar,
               const char *b, int *bVar,
               const char *c, int *cVar,
               int capacity = 1) {
    AddInt2(a, aVar, b, bVar, capacity);
    AddInt(c, cVar, capacity);
  }
  void AddInt4(const char *a, int *aVar,
               const char *b, int *bVar,
               const char *c, int *cVar,
               const char *d, int *dVar,
               int capacity = 1) {
    AddInt2(a, aVar, b, bVar, capacity);
    AddInt2(c, cVar, d, dVar, capacity);
  }
  void AddInt5(const char *a, int *aVar,
               const char *b, int *bVar,
               const char *c, int *cVar,
               const char *d, int *dVar,
               const char *e, int *eVar,
               int capacity = 1) {
    AddInt2(a, aVar, b, bVar, capacity);
    AddInt3(c, cVar, d, dVar, e, eVar, capacity);
  }
  void AddInt6(const char *a, int *aVar,
               const char *b, int *bVar,
               const char *c, int *cVar,
               const char *d, int *dVar,
               const char *e, int *eVar,
               const char *f, int *fVar,
               int capacity = 1) {
    AddInt3(a, aVar, b, bVar, c, cVar, capacity);
    AddInt3(d, dVar, e, eVar, f, fVar, capacity);
  }
  void AddLong2(const char *a, long *aVar,
                const char *b, long *bVar,
                int capacity = 1) {
    AddLong(a, aVar, capacity);
    AddLong(b, bVar, capacity);
  }
  void AddLong3(const char *a, long *aVar,
                const char *b, long *bVar,
                const char *c, long *cVar,
                int capacity = 1) {
    AddLong2(a, aVar, b, bVar, capacity);
    AddLong(c, cVar, capacity);
  }
  void AddLong4(const char *a, long *aVar,
                const char *b, long *bVar,
                const char *c, long *cVar,
                const char *d, long *dVar,
                int capacity = 1) {
    AddLong2(a, aVar, b, bVar, capacity);
    AddLong2(c, cVar, d, dVar, capacity);
  }
  void AddLong5(const char *a, long *aVar,
                const char *b, long *bVar,
                const char *c, long *cVar,
                const char *d, long *dVar,
                const char *e, long *eVar,
                int capacity = 1) {
    AddLong2(a, aVar, b, bVar, capacity);
    AddLong3(c, cVar, d, dVar, e, eVar, capacity);
  }
  void AddLong6(const char *a, long *aVar,
                const char *b, long *bVar,
                const char *c, long *cVar,
                const char *d, long *dVar,
                const char *e, long *eVar,
                const char *f, long *fVar,
                int capacity = 1) {
    AddLong3(a, aVar, b, bVar, c, cVar, capacity);
    AddLong3(d, dVar, e, eVar, f, fVar, capacity);
  }
  void AddText2(const char *a, STRING *aVar,
                const char *b, STRING *bVar,
                int capacity = 1) {
    AddText(a, aVar, capacity);
    AddText(b, bVar, capacity);
  }
  void AddText3(const char *a, STRING *aVar,
                const char *b, STRING *bVar,
                const char *c, STRING *cVar,
                int capacity = 1) {
    AddText2(a, aVar, b, bVar, capacity);
    AddText(c, cVar, capacity);
  }
  void AddText4(const char *a, STRING *aVar,
                const char *b, STRING *bVar,
                const char *c, STRING *cVar,
                const char *d, STRING *dVar,
                int capacity = 1) {
    AddText2(a, aVar, b, bVar, capacity);
    AddText2(c, cVar, d, dVar, capacity);
  }
  void AddText5(const char *a, STRING *aVar,
                const char *b, STRING *bVar,
                const char *c, STRING *cVar,
                const char *d, STRING *dVar,
                const char *e, STRING *eVar,
                int capacity = 1) {
    AddText2(a, aVar, b, bVar, capacity);
    AddText3(c, cVar, d, dVar, e, eVar, capacity);
  }
  void AddText6(const char *a, STRING *aVar,
                const char *b, STRING *bVar,
                const char *c, STRING *cVar,
                const char *d, STRING *dVar,
                const char *e, STRING *eVar,
                const char *f, STRING *fVar,
                int capacity = 1) {
    AddText3(a, aVar, b, bVar, c, cVar, capacity);
    AddText3(d, dVar, e, eVar, f, fVar, capacity);
  }
  void AddString2(const char *a, char *aBuf,
                  const char *b, char *bBuf,
                  int bufferSize) {
    AddString(a, aBuf, bufferSize);
    AddString(b, bBuf, bufferSize);
  }
  void AddString3(const char *a, char *aBuf,
                  const char *b, char *bBuf,
                  const char *c, char *cBuf,
                  int bufferSize) {
    AddString2(a, aBuf, b, bBuf, bufferSize);
    AddString(c, cBuf, bufferSize);
  }
  void AddString4(const char *a, char *aBuf,
                  const char *b, char *bBuf,
                  const char *c, char *cBuf,
                  const char *d, char *dBuf,
                  int bufferSize) {
    AddString2(a, aBuf, b, bBuf, bufferSize);
    AddString2(c, cBuf, d, dBuf, bufferSize);
  }
  void AddString5(const char *a, char *aBuf,
                  const char *b, char *bBuf,
                  const char *c, char *cBuf,
                  const char *d, char *dBuf,
                  const char *e, char *eBuf,
                  int bufferSize) {
    AddString2(a, aBuf, b, bBuf, bufferSize);
    AddString3(c, cBuf, d, dBuf, e, eBuf, bufferSize);
  }
  void AddString6(const char *a, char *aBuf,
                  const char *b, char *bBuf,
                  const char *c, char *cBuf,
                  const char *d, char *dBuf,
                  const char *e, char *eBuf,
                  const char *f, char *fBuf,
                  int bufferSize) {
    AddString3(a, aBuf, b, bBuf, c, cBuf, bufferSize);
    AddString3(d, dBuf, e, eBuf, f, fBuf, bufferSize);
  }
  void AddStringList2(const char *a, char *const *aBufs,
                      const char *b, char *const *bBufs,
                      int count, int bufferSize) {
    AddStringList(a, aBufs, count, bufferSize);
    AddStringList(b, bBufs, count, bufferSize);
  }
  void AddStringList3(const char *a, char *const *aBufs,
                      const char *b, char *const *bBufs,
                      const char *c, char *const *cBufs,
                      int count, int bufferSize) {
    AddStringList2(a, aBufs, b, bBufs, count, bufferSize);
    AddStringList(c, cBufs, count, bufferSize);
  }
  void AddStringList4(const char *a, char *const *aBufs,
                      const char *b, char *const *bBufs,
                      const char *c, char *const *cBufs,
                      const char *d, char *const *dBufs,
                      int count, int bufferSize) {
    AddStringList2(a, aBufs, b, bBufs, count, bufferSize);
    AddStringList2(c, cBufs, d, dBufs, count, bufferSize);
  }
  void AddStringList5(const char *a, char *const *aBufs,
                      const char *b, char *const *bBufs,
                      const char *c, char *const *cBufs,
                      const char *d, char *const *dBufs,
                      const char *e, char *const *eBufs,
                      int count, int bufferSize) {
    AddStringList2(a, aBufs, b, bBufs, count, bufferSize);
    AddStringList3(c, cBufs, d, dBufs, e, eBufs, count, bufferSize);
  }
  void AddStringList6(const char *a, char *const *aBufs,
                      const char *b, char *const *bBufs,
                      const char *c, char *const *cBufs,
                      const char *d, char *const *dBufs,
                      const char *e, char *const *eBufs,
                      const char *f, char *const *fBufs,
                      int count, int bufferSize) {
    AddStringList3(a, aBufs, b, bBufs, c, cBufs, count, bufferSize);
    AddStringList3(d, dBufs, e, eBufs, f, fBufs, count, bufferSize);
  }

 protected:
  ~TReadNFKeyGroups() = default;
};
