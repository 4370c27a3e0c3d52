#pragma once

#include "platform/ProgramFolder.h"

#include <functional>

// Applying a theme: its ten icons replace the active icons icons/1.ico ...
// 10.ico one number at a time, each with a backup that puts the old icon
// back when its copy fails; then the external tool icoswap.exe is started.
class ThemeApplier final
{
public:
    using Launcher = std::function<void(const QString &program)>;

    // The launcher starts a program without waiting; by default detached.
    explicit ThemeApplier(ProgramFolder folder, Launcher launcher = {});

    // themeFolder: the theme's folder ending with a separator. Reports nothing.
    void ApplyTheme(const QString &themeFolder) const;

private:
    ProgramFolder m_folder;
    Launcher m_launcher;
};
