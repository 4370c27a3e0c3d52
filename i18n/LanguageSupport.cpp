#include "LanguageSupport.h"

#include "platform/ProgramFolder.h"
#include "platform/TextTrim.h"
#include "platform/TntIniFile.h"

#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QVariant>

namespace LanguageSupport {

QString CurLang;

namespace {

ProgramFolder &programFolder()
{
    static ProgramFolder folder;
    return folder;
}

// The break marker "/n" becomes line feed then carriage return.
QString replaceBreakMarkers(QString text)
{
    return text.replace(QStringLiteral("/n"), QStringLiteral("\n\r"));
}

// The language file for CurLang, or an empty text when CurLang cannot name
// a file inside langs (it comes from a file and may hold anything).
QString languageFile()
{
    if (!ProgramFolder::isPlainName(CurLang))
        return {};
    return programFolder().file(QString(QStringLiteral("langs/") + CurLang));
}

} // namespace

void setProgramFolder(const ProgramFolder &folder)
{
    programFolder() = folder;
}

QString Translate(const QString &text)
{
    try {
        QString key = trimControlCharacters(text);
        if (CurLang == u"English")
            return replaceBreakMarkers(text);
        if (key.isEmpty())
            return QString();
        const bool hadDots = key.endsWith(u"...");
        if (hadDots)
            key = trimControlCharacters(key.chopped(3));

        QString value = key;
        const QString file = languageFile();
        if (!file.isEmpty())
            value = TTntIniFile(file).ReadString(QStringLiteral("Dict"), key, key);
        if (hadDots)
            value += u" ...";
        if (!trimControlCharacters(value).isEmpty())
            return replaceBreakMarkers(value);
        return replaceBreakMarkers(text);
    } catch (...) {
        return replaceBreakMarkers(text);
    }
}

namespace {

void translateProperty(QObject *object, const char *name)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index >= 0) {
        const QMetaProperty property = meta->property(index);
        if (property.isWritable() && property.userType() == QMetaType::QString)
            property.write(object, Translate(property.read(object).toString()));
        return;
    }
    const QVariant dynamic = object->property(name);
    if (dynamic.isValid())
        object->setProperty(name, Translate(dynamic.toString()));
}

// The property that holds what a control displays.
const char *captionProperty(const QObject *object)
{
    const QMetaObject *meta = object->metaObject();
    for (const char *name : {"title", "text", "plainText"}) {
        const int index = meta->indexOfProperty(name);
        if (index >= 0 && meta->property(index).isWritable())
            return name;
    }
    return nullptr;
}

} // namespace

void TranslateMainWindow(QObject *window)
{
    if (!window)
        return;
    translateProperty(window, "windowTitle");
    // Setting a caption can delete helper objects owned by a control (a text
    // edit rebuilds its document), so each component is held by a guard.
    QList<QPointer<QObject>> components;
    for (QObject *component : window->findChildren<QObject *>())
        components.append(component);
    for (const QPointer<QObject> &component : components) {
        if (!component || (!component->isWidgetType() && !component->inherits("QAction")))
            continue;
        try {
            if (const char *caption = captionProperty(component))
                translateProperty(component, caption);
            translateProperty(component, "hint");
        } catch (...) {
            // One control's failure must not stop the others.
        }
    }
}

} // namespace LanguageSupport
