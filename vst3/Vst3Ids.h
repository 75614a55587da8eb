// The VST3 edition's class IDs, derived from the VST 2.4 unique ID and name by the published VST 2 to
// VST 3 convention: "VST" for the audio processor ("VSE" for its edit controller), the four characters
// of the unique ID, the name's first nine characters in lower case. Hosts that migrate projects find
// the VST3 edition in place of the VST 2.4 plug-in by the processor's ID. The bytes are laid out as the
// platform's VST3 hosts read them (COM order on Windows).
#pragma once

#include <travesty/base.h>

namespace Vst3Face {

void processorClassId(v3_tuid id);
void controllerClassId(v3_tuid id);

}  // namespace Vst3Face
