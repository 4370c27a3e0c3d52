#include "MenuItems.h"

#include "ExtensionFacts.h"
#include "UserFolders.h"
#include "i18n/Translator.h"
#include "platform/Settings.h"

namespace {

// The menus speak the language the user chose in the manager.
Translator translatorOf(const ProgramFolder &folder)
{
    return Translator(folder, Settings::read(folder, Settings::kLanguage));
}

} // namespace

namespace MenuItems {

MenuSet badgeMenu(const ProgramFolder &folder)
{
    Translator translator = translatorOf(folder);
    MenuSet set;
    set.owner = QStringLiteral(EMBLIX_BADGE_MENU_OWNER);
    set.submenu = translator.Translate(QStringLiteral("Badge"));
    set.badgeCommand = folder.file(u"emblix-badge");
    set.folder = folder.root();
    for (int badge = 1; badge <= 10; ++badge) {
        set.items.append({QString::number(badge),
                          translator.Translate(QStringLiteral("Badge %1")).arg(badge),
                          UserFolders::emblemName(badge),
                          {QStringLiteral("--window"), QStringLiteral("set"), QString::number(badge)}});
    }
    set.items.append({QStringLiteral("none"),
                      translator.Translate(QStringLiteral("No badge")),
                      QString(),
                      {QStringLiteral("--window"), QStringLiteral("clear")}});
    return set;
}

MenuSet propertiesEntry(const ProgramFolder &folder)
{
    Translator translator = translatorOf(folder);
    MenuSet set;
    set.owner = QStringLiteral(EMBLIX_SHEET_MENU_OWNER);
    set.forFolders = false;
    set.badgeCommand = folder.file(u"emblix-badge");
    set.folder = folder.root();
    set.items.append({QStringLiteral("properties"),
                      translator.Translate(QStringLiteral("Badge properties...")),
                      UserFolders::emblemName(1),
                      {QStringLiteral("dialog")}});
    return set;
}

} // namespace MenuItems
