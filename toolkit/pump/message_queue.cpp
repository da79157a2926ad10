#include "toolkit/pump/message_queue.h"

#include "platform/gui/windows/message_loop.h"

void PumpWaitingMessages() { ProcessWaitingMessages(0); }

void TMessageQueue::Leave(int reset) {
  if (reset != 0) {
    busy = 0;
  } else if (busy > 0) {
    --busy;
  }
}

int TMessageQueue::Pump() {
  if (busy < 1) return 0;
  const UINT watched = cancelKey > 0 ? static_cast<UINT>(cancelKey) : 0;
  if (ProcessWaitingMessages(watched)) {
    Leave(0);
    return 0;
  }
  return 1;
}

TMessageQueue &ProgramMessageQueue() {
  static TMessageQueue queue;
  return queue;
}
