// Limiters with a bare meter mailbox for an editor, or with no editor at all, so tests see the meters'
// publishing on every platform alike.
#pragma once

#include "limiter/Limiter.h"
#include "plugedit/MeterMailbox.h"
#include "host/AEffEditor.h"

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
    MeteredLimiter() : Limiter(nullptr)
    {
        delete editor;  // the window editor of this platform, if any
        setEditor(mailbox = new MailboxEditor(this));
    }
    MailboxEditor* mailbox;
};

class BareLimiter : public Limiter {
public:
    BareLimiter() : Limiter(nullptr)
    {
        delete editor;
        setEditor(nullptr);
    }
};

}  // namespace TestSupport
