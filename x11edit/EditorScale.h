// How large the editor is drawn, from what a host says or else from the desktop: twice the size for a
// host's factor of 1.5 or more, or, when the host says nothing, for an Xft.dpi of 144 or more.
#pragma once

namespace X11Edit {

// 1 or 2 for a host's factor; 0 when it is not a positive number (the request is refused).
int scaleForFactor(float factor);
// 1 or 2 from the desktop's Xft.dpi (1 without an X server). One round trip to the server.
int desktopScale();

}  // namespace X11Edit
