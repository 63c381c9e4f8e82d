// Close requests in a web page: none come from outside it, as the browser ends a page it closes,
// so there is nothing to watch and nothing to take.
#include "platform/core/close_requests.h"

void close_requests::Watch() {}
bool close_requests::Take() { return false; }
