#include "installer/CancelRule.h"

#include "installer/SetupApplication.h"

TCancelRule::TCancelRule(TUserQuestions& boxes, TSetupApplication& application)
    : FBoxes(boxes), FApplication(application)
{
}

bool TCancelRule::FormCloseQuery()
{
    if (FApplication.Terminated())
        return true;
    if (!FBoxes.Confirm("Are you sure you want to cancel Setup?"))
        return false;
    FApplication.Terminate();
    return true;
}

bool TCancelRule::Confirm(const std::string& question)
{
    return !FApplication.Terminated() && FBoxes.Confirm(question);
}

void TCancelRule::Warn(const std::string& message)
{
    if (!FApplication.Terminated())
        FBoxes.Warn(message);
}

bool TCancelRule::Retry(const std::string& message)
{
    return !FApplication.Terminated() && FBoxes.Retry(message);
}
