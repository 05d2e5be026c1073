// The background window's close query, which every Cancel button leads to,
// and the questions of a run that goes on after a confirmed cancel.
#pragma once

#include <string>

#include "platform/UserQuestions.h"

class TSetupApplication;

// Bind the install run's and the wizard's questions to this object: until the
// application is ending they reach the message boxes; afterwards they count
// as No without being shown (the user has already chosen to leave).
class TCancelRule : public TUserQuestions {
public:
    // boxes and application stay the caller's.
    TCancelRule(TUserQuestions& boxes, TSetupApplication& application);

    // Asks "Are you sure you want to cancel Setup?". Yes tells the
    // application to terminate and allows the close; No refuses it and
    // changes nothing. Once the application is ending the close is allowed
    // without a question. The window must not destroy itself when the close
    // is allowed: an install run may still be working inside it.
    bool FormCloseQuery();

    bool Confirm(const std::string& question) override;
    // After a confirmed cancel a retry counts as Cancel.
    bool Retry(const std::string& message) override;
    // Shown while the application goes on; nothing once it is ending.
    void Warn(const std::string& message) override;

private:
    TUserQuestions& FBoxes;
    TSetupApplication& FApplication;
};
