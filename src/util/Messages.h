#pragma once
// Pumping the calling thread's message queue during long work.
namespace qv {

// Dispatches pending paint messages only; a quit message met on the way is
// posted again and ends the loop.
void ProcessPaintMessages();
// Dispatches every message (translated) until ms milliseconds have passed.
void ProcessMessagesFor(unsigned ms);
// Dispatches every waiting message (no translation) until none is left.
void ProcessPendingMessages();

}  // namespace qv
