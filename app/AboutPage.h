#pragma once

#include <QWidget>

#include <functional>

class LinkLabel;
class QLabel;

// The program's version and its contact addresses.
namespace AboutLinks {

inline const QString kVersion = QStringLiteral(" 1.0 RC 5");
inline const QString kHomePage = QStringLiteral("https://emblix.example.org");
inline const QString kLanguagesPage = QStringLiteral("https://emblix.example.org/languages");
inline const QString kSupportAddress = QStringLiteral("support@emblix.example.org");

// The support e-mail with its prepared subject and body, the same in every language.
QString supportMailLink();

} // namespace AboutLinks

// The about page p_3: the program's icon, name, version and credits, and
// the home page and support links.
class AboutPage final : public QWidget
{
public:
    explicit AboutPage(QWidget *parent);

    // Hands every link the page opens to the desktop's "open" action.
    std::function<void(const QString &link)> openLink;

    void showProgramIcon();
    // First display: the version line and the author credit.
    void setAboutTexts();
    // First display: each value label 6 pixels after its translated caption,
    // then the two credits; the title and text lines as wide as their
    // translated text.
    void placeValueLabels();

    void Label10Click();
    void Label17Click();

private:
    QLabel *label(const char *name) const;
};
