#include "tools/vkar/VkarSignals.h"

#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Read by the handler: a fixed buffer, written only while the signals are
// held off.
char GRemovePath[4097];

#ifndef _WIN32
const int Signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveAndDie(int signal)
{
    if (GRemovePath[0] != '\0')
        ::unlink(GRemovePath);
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

#endif

} // namespace

TVkarSignalsHeld::TVkarSignalsHeld()
{
#ifndef _WIN32
    static_assert(sizeof(sigset_t) <= sizeof FOld);
    sigset_t set;
    sigemptyset(&set);
    for (int s : Signals)
        sigaddset(&set, s);
    ::sigprocmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(FOld));
#endif
}

TVkarSignalsHeld::~TVkarSignalsHeld()
{
#ifndef _WIN32
    ::sigprocmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(FOld), nullptr);
#endif
}

void VkarRemoveOnSignal(const std::string& path)
{
#ifndef _WIN32
    TVkarSignalsHeld held;
    const size_t length = path.size() < sizeof GRemovePath - 1 ? path.size() : 0;
    std::memcpy(GRemovePath, path.data(), length);
    GRemovePath[length] = '\0';
    static bool installed = false;
    if (!installed) {
        installed = true;
        for (int s : Signals) {
            struct sigaction action {};
            action.sa_handler = RemoveAndDie;
            sigemptyset(&action.sa_mask);
            struct sigaction old {};
            // A signal ignored by whoever started vkar stays ignored.
            if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
                continue;
            ::sigaction(s, &action, nullptr);
        }
    }
#else
    (void)path;
#endif
}

void VkarOpenStandardDescriptors()
{
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0) {
            // open() takes the lowest free descriptor: this one.
            if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
                ::_exit(1);
        }
#endif
}
