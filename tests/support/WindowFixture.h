#pragma once

#include "ScriptedPrompt.h"
#include "TestFolder.h"

#include "app/MainWindow.h"
#include "i18n/LanguageSupport.h"

#include <QTest>

#include <memory>

// What the window tests start from: a program folder of their own with
// English chosen, its translator in force, and scripted prompts. Made anew
// for each test function, so no test sees another's files or answers.
struct WindowFixture final {
    WindowFixture() { folder.write("settings.ini", "[Translate]\nCurLang=English\n"); }

    // A window on the folder, started up (with the packages handed over on
    // its command line) and shown; null when it never came on screen.
    std::unique_ptr<TForm1> shownForm(const QStringList &handedOver = {})
    {
        auto form = std::make_unique<TForm1>(folder.folder(), prompt, handedOver);
        form->present();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        return form;
    }

    TestFolder folder;
    LanguageSupport::TranslatorScope translation{folder.folder()};
    ScriptedPrompt prompt;
};
