#pragma once
// Pumping the calling thread's message queue during long work. A quit
// message met on the way is posted again, so that the program's own loop
// still sees it, and ends the pumping (false).
namespace qv {

// Dispatches pending paint messages only.
void ProcessPaintMessages();
// Dispatches every message (translated) until ms milliseconds have passed.
bool ProcessMessagesFor(unsigned ms);
// Dispatches every waiting message (translated) until none is left.
bool ProcessPendingMessages();

}  // namespace qv
