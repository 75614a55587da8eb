#include "x11edit/WebLink.h"

#include <sys/wait.h>
#include <unistd.h>

namespace X11Edit {

// Two forks: the grandchild runs xdg-open and is nobody's to wait for; the child ends at once, so the
// host is never left holding a zombie and never waits on the browser. Between fork and exec only
// async-signal-safe calls, as the host has threads of its own.
void openWebAddress(const char* address)
{
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        if (fork() == 0) {
            char* const args[] = {const_cast<char*>("xdg-open"), const_cast<char*>(address), nullptr};
            execvp("xdg-open", args);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace X11Edit
