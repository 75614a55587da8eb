// Limiters with a bare meter mailbox for an editor, or with no editor at all, so tests see the meters'
// publishing on every platform alike.
#pragma once

#include "host/AEffEditor.h"
#include "limiter/Limiter.h"
#include "plugedit/MeterMailbox.h"

namespace TestSupport {

class MailboxEditor : public AEffEditor, public PlugEdit::MeterMailbox {
public:
    explicit MailboxEditor(AudioEffect* effect) : AEffEditor(effect), MeterMailbox(sizeof(MeterBlock)) {}
    // Holding the lock as the editor's timer would, so publishing finds it taken.
    void holdLock() { lockMeters(); }
    void releaseLock() { unlockMeters(); }
};

class MeteredLimiter : public Limiter {
public:
    MeteredLimiter()
        : Limiter(nullptr, [](Limiter& self) {
                      auto* editor = new MailboxEditor(&self);
                      return Companions{editor, nullptr, editor};
                  }),
          mailbox(static_cast<MailboxEditor*>(getEditor()))
    {
    }
    MailboxEditor* const mailbox;
};

// Without an editor, as the Linux plug-in is today.
class BareLimiter : public Limiter {
public:
    BareLimiter() : Limiter(nullptr) {}
};

}  // namespace TestSupport
