// The window classes, captions and control identifiers of the setup
// program's windows, by which tests and accessibility tools find them.
#pragma once

inline constexpr const char* MainWindowClass = "ZarnSetupBackground";
inline constexpr const char* WizardWindowClass = "ZarnSetupWizard";
inline constexpr const char* CopyDialogClass = "ZarnSetupCopy";
inline constexpr const char* CopyDialogCaption = "Setup";

// The start message: the background window posts it to itself.
inline constexpr unsigned WM_STARTSETUP = 0x0400 + 1;

enum : int {
    // Wizard
    idNext = 1001,    // btnNext
    idWizardCancel,   // btnCancel
    idBrowse,         // Button1
    idUser,           // txtUser
    idPass,           // txtPass
    idReadme,         // chkReadme
    idRunProgram,     // chkRunProgram
    idDestPath,       // lblDestPath; its window text is the full DirName
    idWelcome,        // lblWelcome
    idFinishText,     // lblFinish
    idPathGroup,      // grpPathname
    idGradient,       // VyrlGradient1
    idPageStart = 1101, // pnlStart
    idPageCustom,       // pnlCustom
    idPagePath,         // pnlPath
    idPageFinish,       // pnlFinish
    idButtonPanel,      // Panel1
    idSidePanel,        // Panel2
    idGradientPanel,    // Panel3
    idStaticLabel = 1200, // the labels with fixed texts
    // Copy dialog
    idCopyStatus = 1301, // lblCopyStatus
    idCopyFilename,      // lblFilename
    idCopyProgress,      // Progress; its window text is the percentage
    idCopyCancel,        // btnCancel
};
