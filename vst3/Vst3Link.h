// How the processor tells the edit controller which effect it runs: when the host connects the two
// (IConnectionPoint), the processor sends its peer a message of its own making, "TarnLink", carrying
// the effect's token and this process's ID. The controller takes the effect only when both match one
// alive in its own process, so a host that keeps the halves apart (another process, a proxy that copies
// messages) leaves the controller unlinked rather than wrong.
#pragma once

#include <travesty/message.h>

#include <cstdint>

namespace Vst3Face {

class SharedEffect;

// Sends the link for the effect with `token` to `peer`.
void sendLink(v3_connection_point** peer, std::uint64_t token);

// The effect a message links to, with a reference for the caller; null for any other message.
SharedEffect* linkedEffect(v3_message** message);

}  // namespace Vst3Face
