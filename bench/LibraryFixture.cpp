#include "LibraryFixture.h"

#include "BenchSupport.h"

#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"

#include <QDir>
#include <QFile>

QString libraryFolder(int records)
{
    const QString root = benchFolder() + QStringLiteral("/library-%1").arg(records);
    if (QFile::exists(root + QStringLiteral("/base.ini")))
        return root;
    QDir().mkpath(root + QStringLiteral("/files"));
    QString text = QStringLiteral("[Files]\r\n");
    for (int i = 0; i < records; ++i) {
        const QString path = root + QStringLiteral("/files/marked file %1.txt").arg(i);
        if (i % 2 == 0) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
        }
        text += path + u'=' + QString::number(1 + i % 10) + QStringLiteral("\r\n");
    }
    QFile store(root + QStringLiteral("/base.ini"));
    store.open(QIODevice::WriteOnly);
    store.write("\xFF\xFE");
    store.write(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return root;
}

void showFirstDisplay(LibraryController &library, LibraryPage &page)
{
    page.setGeometry(0, 0, 591, 362);
    library.firstLoad();
    page.setUpGrid();
    page.FormResize();
}
