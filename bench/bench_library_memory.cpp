// Peak memory of the whole process with 100 000 records loaded into the
// library page and painted: what a user's program holds at most.

#include "LibraryFixture.h"

#include "i18n/LanguageSupport.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "library/ui/TSortGrid.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace {

QString status(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromLatin1(file.readAll());
    const QRegularExpression line(QStringLiteral("%1:\\s*(.*)").arg(QLatin1String(field)));
    return line.match(text).captured(1).trimmed();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const LanguageSupport::TranslatorScope translation{ProgramFolder()};
    const ProgramFolder folder(libraryFolder(100000));
    const QString before = status("VmHWM");
    FixedAnswerPrompt prompt(PromptAnswer::No);
    LibraryController library(folder, prompt);
    QWidget window;
    window.resize(640, 480);
    LibraryPage page(&window, library);
    window.show();
    showFirstDisplay(library, page);
    page.grid()->grab();
    library.grid().SortOnColumn(2, TSortOptions{});
    page.grid()->grab();
    std::printf("records loaded: %d\n", library.grid().RowCount() - 1);
    std::printf("peak resident memory of the process: %s (before loading: %s; target: under 150 MB)\n",
                qPrintable(status("VmHWM")), qPrintable(before));
    return 0;
}
