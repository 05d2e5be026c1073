// The end of the setup program as its windows request it: Finish and a
// confirmed cancel tell the application to terminate; the program ends once
// control is back in the event loop, so a run in progress goes on to its end.
#pragma once

#include <functional>

class TSetupApplication {
public:
    // The window side ends its event loop here (it posts the quit message).
    std::function<void()> OnTerminate;

    void Terminate()
    {
        if (FTerminated)
            return;
        FTerminated = true;
        if (OnTerminate)
            OnTerminate();
    }
    bool Terminated() const { return FTerminated; }

private:
    bool FTerminated = false;
};
