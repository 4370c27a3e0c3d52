#pragma once

#include "ScriptedPrompt.h"
#include "TestFolder.h"

#include "i18n/LanguageSupport.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"

// What the themes tests start from: a program folder with its own
// translator in force, scripted prompts, the real archive layer and the
// page's controller, whose external tool is recorded rather than started.
struct ThemesFixture {
    TestFolder folder;
    LanguageSupport::TranslatorScope translation{folder.folder()};
    ScriptedPrompt prompt;
    LibZipArchive archive;
    QStringList started;
    ThemesController themes{folder.folder(), prompt, archive, [this](const QString &tool) { started << tool; }};
};
