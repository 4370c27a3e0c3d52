#include "LanguageSupport.h"

#include "platform/Hints.h"

#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <vector>

namespace LanguageSupport {

namespace {

// The scopes' translators, the one in force last. A scope may end before a
// later one (a test's fixture replaced by the next), so each leaves the
// stack from wherever it stands.
std::vector<Translator *> &scopes()
{
    static std::vector<Translator *> stack;
    return stack;
}

} // namespace

TranslatorScope::TranslatorScope(ProgramFolder folder, QString curLang)
    : m_translator(std::move(folder), std::move(curLang))
{
    scopes().push_back(&m_translator);
}

TranslatorScope::~TranslatorScope()
{
    std::erase(scopes(), &m_translator);
}

Translator &translator()
{
    static Translator none{ProgramFolder(), QString()};
    return scopes().empty() ? none : *scopes().back();
}

QString CurLang()
{
    return translator().CurLang();
}

void setCurLang(const QString &language)
{
    translator().setCurLang(language);
}

QString Translate(const QString &text)
{
    return translator().Translate(text);
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
            if (const char *caption = captionProperty(component)) {
                translateProperty(component, caption);
                // A field shows its text from the start, not from where
                // setting it left the cursor (its end).
                if (component->metaObject()->indexOfProperty("cursorPosition") >= 0)
                    component->setProperty("cursorPosition", 0);
            }
            translateProperty(component, Hints::kProperty);
        } catch (...) {
            // One control's failure must not stop the others.
        }
    }
}

} // namespace LanguageSupport
