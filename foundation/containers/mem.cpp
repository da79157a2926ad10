#include "foundation/containers/mem.h"

#include "platform/core/message_box.h"

namespace {
// Block requests still allowed before the injected failures start; negative: no faults.
int allowedBlockRequests = -1;
}  // namespace

namespace mem_detail {

void ReportAllocationFailure() { ShowNotEnoughMemory(); }

bool BlockRequestRefused() {
  if (allowedBlockRequests < 0) return false;
  if (allowedBlockRequests == 0) return true;
  --allowedBlockRequests;
  return false;
}

}  // namespace mem_detail

TMemAllocationFaults::TMemAllocationFaults(int allowedBlocks) : previous(allowedBlockRequests) {
  allowedBlockRequests = allowedBlocks < 0 ? 0 : allowedBlocks;
}

TMemAllocationFaults::~TMemAllocationFaults() { allowedBlockRequests = previous; }
