// Opens an address in the user's browser with xdg-open, where it exists, without waiting for it.
#pragma once

namespace X11Edit {

void openWebAddress(const char* address);

}  // namespace X11Edit
