#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// Hints are never pop-ups: the status bar shows the hint of the control under
// the pointer. A control's hint (platform/Hints.h); a control without one
// shows its nearest parent's.
namespace StatusHint {

// The hint shown for obj: the first non-empty "hint" on the way from obj to
// the top; a hint holding "|" gives only the text after the first "|".
QString hintFor(const QObject *obj);

} // namespace StatusHint

// Watches the pointer across the application and reports the hint under it
// whenever that text changes (the application's hint handler).
class HintTracker final : public QObject
{
public:
    using Handler = std::function<void(const QString &)>;
    explicit HintTracker(Handler handler, QObject *parent = nullptr);

    // Makes the hint of the control under the pointer current.
    void pointerOver(const QObject *control);
    const QString &currentHint() const { return m_hint; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
    QString m_hint;
};
