#include "x11edit/EditorScale.h"

#include <memory>

#include "x11wrap/Connection.h"
#include "x11wrap/ResourceDpi.h"

namespace X11Edit {

int scaleForFactor(float factor)
{
    if (!(factor > 0.0f))
        return 0;
    return factor >= 1.5f ? 2 : 1;
}

int desktopScale()
{
    const std::unique_ptr<X11Wrap::Connection> connection = X11Wrap::Connection::open();
    return connection && X11Wrap::readXftDpi(*connection) >= 144 ? 2 : 1;
}

}  // namespace X11Edit
